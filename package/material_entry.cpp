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

// What an entry writes before its trees; the same for every object that uses the material.
KeptText EntryHead(const host::Anim& material, bool multiMaterial, const Text& className,
                   BuildCache& cache) {
  std::string head;
  if (multiMaterial) {
    head = "{\n      \"type\": \"Multimaterial\",\n      \"name\": \"";
    AppendJsonEscapedUtf8(head, material.GetName());
    head += "\",\n      \"sub_materials\": [\n";
  } else {
    head = "{\n      \"type\": \"";
    AppendJsonEscapedUtf8(head, className);
    head += "\",\n      \"name\": \"";
    AppendJsonEscapedUtf8(head, material.GetName());
    head += "\",\n      \"node_tree\": ";
  }
  return KeptText(head, cache.Memory());
}

}  // namespace

void buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material,
                       std::string& out) {
  if (!material) {
    out += "null";
    return;
  }
  CachedNode& kept = cache.NodeOf(*material);
  if (!kept.entryMade) {
    const Text className = material->GetClassName();
    kept.multiMaterial = IsMultiMaterial(*material, className);
    kept.entryHead = EntryHead(*material, kept.multiMaterial, className, cache);
    kept.entryMade = true;
  }
  out += kept.entryHead;
  if (kept.multiMaterial) {
    const int count = material->NumSubMtls();
    for (int i = 0; i < count; ++i) {
      AppendSubMaterialEntry(out, ip, cache, material->GetSubMtl(i), i + 1);
      out += i + 1 < count ? ",\n" : "\n";
    }
    out += "      ]\n    }";
  } else {
    ResetNodeRegistry();
    BuildNodeTree(ip, cache, material, 2, out);
    out += "\n    }";
  }
}

}  // namespace larkspur
