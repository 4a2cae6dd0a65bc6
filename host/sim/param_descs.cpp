#include "host/sim/param_descs.h"

#include <cstdint>

#include "host/sim/scene_text.h"
#include "host/sim/short_text.h"

namespace larkspur::sim {
namespace {

uint64_t Mix(uint64_t hash, uint64_t value) {
  return (hash ^ value) * 0x9E3779B97F4A7C15ull;
}

// The bytes of a name, eight at a time: names are short, and a call per name costs as much as
// hashing it.
uint64_t HashOf(std::string_view name) {
  uint64_t hash = name.size();
  size_t i = 0;
  for (; name.size() - i >= 8; i += 8) hash = Mix(hash, LoadWord<uint64_t>(name.data() + i));
  if (i == name.size()) return hash;
  // The last eight bytes, which overlap those already mixed in; fewer in a name that short.
  if (name.size() >= 8) return Mix(hash, LoadWord<uint64_t>(name.data() + name.size() - 8));
  uint64_t tail = 0;
  for (; i < name.size(); ++i) tail = tail << 8 | static_cast<unsigned char>(name[i]);
  return Mix(hash, tail);
}

size_t HashOf(const std::vector<SpelledParamDef>& defs) {
  uint64_t hash = defs.size();
  for (const SpelledParamDef& def : defs) {
    // A null name and an empty one differ in the second part.
    hash = Mix(hash, def.name ? HashOf(*def.name) * 2 + 1 : 0);
    hash = Mix(hash, static_cast<uint32_t>(def.type));
    hash = Mix(hash, static_cast<uint16_t>(def.id));
  }
  return static_cast<size_t>(hash ^ (hash >> 29));
}

bool SameDefs(const std::vector<SpelledParamDef>& a, const std::vector<SpelledParamDef>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].type != b[i].type || a[i].id != b[i].id ||
        a[i].name.has_value() != b[i].name.has_value() ||
        (a[i].name && !SameText(*a[i].name, *b[i].name))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::shared_ptr<const SimParamDesc> SimParamDescs::Intern(
    const std::vector<SpelledParamDef>& defs) {
  const size_t hash = HashOf(defs);
  const auto [first, last] = byHash_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    if (SameDefs(it->second.defs, defs)) return it->second.desc;
  }
  std::vector<host::ParamDef> decoded;
  decoded.reserve(defs.size());
  for (const SpelledParamDef& def : defs) {
    std::optional<host::Text> name;
    if (def.name) name = scene_file::TextOf(*def.name);
    decoded.push_back(host::ParamDef{std::move(name), def.type, def.id});
  }
  auto desc = std::make_shared<const SimParamDesc>(std::move(decoded));
  byHash_.emplace(hash, Spelling{defs, desc});
  return desc;
}

}  // namespace larkspur::sim
