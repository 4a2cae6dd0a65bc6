#include "nodetree/build_cache.h"

namespace larkspur {

const ParamIndex& BuildCache::ParamsOf(const host::Anim& object) {
  auto found = params_.find(&object);
  if (found == params_.end()) found = params_.emplace(&object, ParamIndex(&object)).first;
  return found->second;
}

}  // namespace larkspur
