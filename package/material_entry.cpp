#include "package/material_entry.h"

#include <vector>

#include "json/json_text.h"
#include "nodetree/node_tree.h"

namespace larkspur {
namespace {

// The host's Multi/Sub-Object material, or another multi-material class by its name; a
// multi-texture's class name says "Multi" too but it is no material list.
bool IsMultiMaterial(const host::Anim& material, const Text& className) {
  if (material.ClassID() == host::kMultiMaterialClassId) return true;
  return className.find(u"Multi") != Text::npos && className.find(u"Texture") == Text::npos;
}

// One numbered slot of a multi-material; an empty slot has an empty name and a null tree.
Text SubMaterialEntry(host::Interface& ip, BuildCache& cache, host::Anim* sub, int slotNumber) {
  ResetNodeRegistry();
  const Text name = sub ? sub->GetName() : Text();
  const Text tree = sub ? BuildNodeTree(ip, cache, sub, 3) : Text(u"null");
  Text entry = u"      {\n";
  entry += u"        \"material_id\": " + FormatInt(slotNumber) + u",\n";
  entry += u"        \"material_name\": \"" + EscapeJsonString(name) + u"\",\n";
  entry += u"        \"node_tree\": " + tree + u"\n";
  entry += u"      }";
  return entry;
}

Text MultiMaterialEntry(host::Interface& ip, BuildCache& cache, host::Anim& material) {
  Text entry = u"{\n";
  entry += u"      \"type\": \"Multimaterial\",\n";
  entry += u"      \"name\": \"" + EscapeJsonString(material.GetName()) + u"\",\n";
  entry += u"      \"sub_materials\": [\n";
  const int count = material.NumSubMtls();
  for (int i = 0; i < count; ++i) {
    entry += SubMaterialEntry(ip, cache, material.GetSubMtl(i), i + 1);
    entry += i + 1 < count ? u",\n" : u"\n";
  }
  entry += u"      ]\n    }";
  return entry;
}

Text PlainMaterialEntry(host::Interface& ip, BuildCache& cache, host::Anim& material,
                        const Text& className) {
  ResetNodeRegistry();
  const Text tree = BuildNodeTree(ip, cache, &material, 2);
  Text entry = u"{\n";
  entry += u"      \"type\": \"" + EscapeJsonString(className) + u"\",\n";
  entry += u"      \"name\": \"" + EscapeJsonString(material.GetName()) + u"\",\n";
  entry += u"      \"node_tree\": " + tree + u"\n";
  entry += u"    }";
  return entry;
}

}  // namespace

Text buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material) {
  if (!material) return u"null";
  const Text className = material->GetClassName();
  return IsMultiMaterial(*material, className)
             ? MultiMaterialEntry(ip, cache, *material)
             : PlainMaterialEntry(ip, cache, *material, className);
}

}  // namespace larkspur
