#include "host/sim/param_descs.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace larkspur::sim {
namespace {

uint64_t Mix(uint64_t hash, uint64_t value) {
  return (hash ^ value) * 0x9E3779B97F4A7C15ull;
}

size_t HashOf(const std::vector<host::ParamDef>& defs) {
  uint64_t hash = defs.size();
  for (const host::ParamDef& def : defs) {
    // A null name and an empty one differ in the second part.
    const uint64_t name =
        def.internalName ? std::hash<std::u16string_view>()(*def.internalName) * 2 + 1 : 0;
    hash = Mix(hash, name);
    hash = Mix(hash, static_cast<uint32_t>(def.type));
    hash = Mix(hash, static_cast<uint16_t>(def.id));
  }
  return static_cast<size_t>(hash ^ (hash >> 29));
}

bool SameDefs(const std::vector<host::ParamDef>& a, const std::vector<host::ParamDef>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].internalName != b[i].internalName || a[i].type != b[i].type || a[i].id != b[i].id) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::shared_ptr<const SimParamDesc> SimParamDescs::Intern(const std::vector<host::ParamDef>& defs) {
  const size_t hash = HashOf(defs);
  const auto [first, last] = byHash_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    if (SameDefs(it->second->Defs(), defs)) return it->second;
  }
  auto desc = std::make_shared<const SimParamDesc>(defs);
  byHash_.emplace(hash, desc);
  return desc;
}

}  // namespace larkspur::sim
