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
void AppendSubMaterialEntry(Text& out, host::Interface& ip, BuildCache& cache, host::Anim* sub,
                            int slotNumber) {
  ResetNodeRegistry();
  out += u"      {\n        \"material_id\": ";
  out += FormatInt(slotNumber);
  out += u",\n        \"material_name\": \"";
  if (sub) AppendJsonEscaped(out, sub->GetName());
  out += u"\",\n        \"node_tree\": ";
  if (sub) {
    BuildNodeTree(ip, cache, sub, 3, out);
  } else {
    out += u"null";
  }
  out += u"\n      }";
}

void AppendMultiMaterialEntry(Text& out, host::Interface& ip, BuildCache& cache,
                              host::Anim& material) {
  out += u"{\n      \"type\": \"Multimaterial\",\n      \"name\": \"";
  AppendJsonEscaped(out, material.GetName());
  out += u"\",\n      \"sub_materials\": [\n";
  const int count = material.NumSubMtls();
  for (int i = 0; i < count; ++i) {
    AppendSubMaterialEntry(out, ip, cache, material.GetSubMtl(i), i + 1);
    out += i + 1 < count ? u",\n" : u"\n";
  }
  out += u"      ]\n    }";
}

void AppendPlainMaterialEntry(Text& out, host::Interface& ip, BuildCache& cache,
                              host::Anim& material, const Text& className) {
  ResetNodeRegistry();
  out += u"{\n      \"type\": \"";
  AppendJsonEscaped(out, className);
  out += u"\",\n      \"name\": \"";
  AppendJsonEscaped(out, material.GetName());
  out += u"\",\n      \"node_tree\": ";
  BuildNodeTree(ip, cache, &material, 2, out);
  out += u"\n    }";
}

}  // namespace

void buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material, Text& out) {
  if (!material) {
    out += u"null";
    return;
  }
  const Text className = material->GetClassName();
  if (IsMultiMaterial(*material, className)) {
    AppendMultiMaterialEntry(out, ip, cache, *material);
  } else {
    AppendPlainMaterialEntry(out, ip, cache, *material, className);
  }
}

}  // namespace larkspur
