#include "package/material_entry.h"

#include <string>
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
void AppendSubMaterialEntry(std::string& out, host::Interface& ip, BuildCache& cache,
                            host::Anim* sub, int slotNumber) {
  ResetNodeRegistry();
  out += "      {\n        \"material_id\": ";
  AppendInt(out, slotNumber);
  out += ",\n        \"material_name\": \"";
  if (sub) AppendJsonEscapedUtf8(out, sub->GetName());
  out += "\",\n        \"node_tree\": ";
  if (sub) {
    BuildNodeTree(ip, cache, sub, 3, out);
  } else {
    out += "null";
  }
  out += "\n      }";
}

void AppendMultiMaterialEntry(std::string& out, host::Interface& ip, BuildCache& cache,
                              host::Anim& material) {
  out += "{\n      \"type\": \"Multimaterial\",\n      \"name\": \"";
  AppendJsonEscapedUtf8(out, material.GetName());
  out += "\",\n      \"sub_materials\": [\n";
  const int count = material.NumSubMtls();
  for (int i = 0; i < count; ++i) {
    AppendSubMaterialEntry(out, ip, cache, material.GetSubMtl(i), i + 1);
    out += i + 1 < count ? ",\n" : "\n";
  }
  out += "      ]\n    }";
}

void AppendPlainMaterialEntry(std::string& out, host::Interface& ip, BuildCache& cache,
                              host::Anim& material, const Text& className) {
  ResetNodeRegistry();
  out += "{\n      \"type\": \"";
  AppendJsonEscapedUtf8(out, className);
  out += "\",\n      \"name\": \"";
  AppendJsonEscapedUtf8(out, material.GetName());
  out += "\",\n      \"node_tree\": ";
  BuildNodeTree(ip, cache, &material, 2, out);
  out += "\n    }";
}

}  // namespace

void buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material,
                       std::string& out) {
  if (!material) {
    out += "null";
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
