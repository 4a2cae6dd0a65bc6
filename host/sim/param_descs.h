// The descriptors of a scene's parameter blocks, one per distinct definition list: a scene has
// thousands of blocks and only a few hundred lists, so blocks of equal lists share one.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

class SimParamDescs {
 public:
  // The descriptor whose definitions equal these (names, types and ids, in order), made on the
  // first call with such a list.
  std::shared_ptr<const SimParamDesc> Intern(const std::vector<host::ParamDef>& defs);

 private:
  std::unordered_multimap<size_t, std::shared_ptr<const SimParamDesc>> byHash_;
};

}  // namespace larkspur::sim
