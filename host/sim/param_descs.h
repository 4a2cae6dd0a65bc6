// The descriptors of a scene's parameter blocks, one per distinct definition list: a scene has
// thousands of blocks and only a few hundred lists, so blocks of equal lists share one.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

// A definition as a scene file spells it: the name still in the file's UTF-8.
struct SpelledParamDef {
  std::optional<std::string_view> name;
  ParamType type = 0;
  ParamId id = 0;
};

class SimParamDescs {
 public:
  // The descriptor whose definitions equal these (names, types and ids, in order), made on the
  // first call with such a list. Names are compared as the parser gives them, which decode to the
  // system's text one to one (escapes are already resolved, lone surrogates carried uniquely), so
  // equal lists of text share one descriptor. The names must outlive this object.
  std::shared_ptr<const SimParamDesc> Intern(const std::vector<SpelledParamDef>& defs);

 private:
  struct Spelling {
    std::vector<SpelledParamDef> defs;
    std::shared_ptr<const SimParamDesc> desc;
  };
  std::unordered_multimap<size_t, Spelling> byHash_;
};

}  // namespace larkspur::sim
