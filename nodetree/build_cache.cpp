#include "nodetree/build_cache.h"

namespace larkspur {

const ParamIndex& BuildCache::ParamsOf(const host::Anim& object) {
  auto found = params_.find(&object);
  if (found == params_.end()) {
    found = params_.emplace(&object, ParamIndex(&object, &indexMemory_)).first;
  }
  return found->second;
}

std::string_view BuildCache::Spaces(size_t count) {
  if (spaces_.size() < count) spaces_.assign(count, ' ');
  return spaces_;
}

}  // namespace larkspur
