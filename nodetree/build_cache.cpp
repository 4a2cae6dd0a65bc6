#include "nodetree/build_cache.h"

namespace larkspur {

const ParamIndex& BuildCache::ParamsOf(const host::Anim& object) {
  auto found = params_.find(&object);
  if (found == params_.end()) found = params_.emplace(&object, ParamIndex(&object)).first;
  return found->second;
}

const std::vector<Text>* BuildCache::NodeParams(const host::Anim& object) const {
  const auto found = nodeParams_.find(&object);
  return found == nodeParams_.end() ? nullptr : &found->second;
}

const std::vector<Text>& BuildCache::KeepNodeParams(const host::Anim& object,
                                                    std::vector<Text> lines) {
  return nodeParams_.insert_or_assign(&object, std::move(lines)).first->second;
}

}  // namespace larkspur
