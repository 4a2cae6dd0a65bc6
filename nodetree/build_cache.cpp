#include "nodetree/build_cache.h"

#include <cstdint>

namespace larkspur {

const ParamIndex& BuildCache::ParamsOf(const host::Anim& object) {
  auto found = params_.find(&object);
  if (found != params_.end()) return found->second;
  descs_.clear();
  for (int i = 0; i < object.NumParamBlocks(); ++i) {
    const host::ParamBlock* block = object.GetParamBlock(i);
    descs_.push_back(block ? block->GetDesc() : nullptr);
  }
  auto names = names_.find(descs_);
  if (names == names_.end()) {
    names = names_.try_emplace(descs_, &object, &indexMemory_).first;
  }
  return params_.emplace(&object, ParamIndex(object, names->second)).first->second;
}

size_t BuildCache::DescsHash::operator()(
    const std::vector<const host::ParamBlockDesc*>& descs) const {
  uint64_t hash = descs.size();
  for (const host::ParamBlockDesc* desc : descs) {
    hash = (hash ^ reinterpret_cast<uintptr_t>(desc)) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 32;
  }
  return static_cast<size_t>(hash);
}

std::string_view BuildCache::Spaces(size_t count) {
  if (spaces_.size() < count) spaces_.assign(count, ' ');
  return spaces_;
}

}  // namespace larkspur
