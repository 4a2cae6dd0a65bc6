#include "nodetree/build_cache.h"

#include <algorithm>
#include <cstdint>

namespace larkspur {

const ParamIndex& BuildCache::ParamsOf(const host::Anim& object) {
  std::optional<ParamIndex>& params = NodeOf(object).params;
  if (params) return *params;
  descs_.clear();
  for (int i = 0; i < object.NumParamBlocks(); ++i) {
    const host::ParamBlock* block = object.GetParamBlock(i);
    descs_.push_back(block ? block->GetDesc() : nullptr);
  }
  auto names = names_.find(descs_);
  if (names == names_.end()) {
    names = names_.try_emplace(descs_, &object, &memory_).first;
  }
  return params.emplace(object, names->second);
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

size_t BuildCache::NodeSlot(const host::Anim* object) const {
  // Fibonacci hashing of the address; its low bits are alignment and carry nothing.
  const uint64_t mixed =
      (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(object)) >> 4) * 0x9E3779B97F4A7C15ull;
  const size_t mask = nodeSlots_.size() - 1;
  for (size_t i = static_cast<size_t>(mixed >> 32) & mask;; i = (i + 1) & mask) {
    if (!nodeSlots_[i].first || nodeSlots_[i].first == object) return i;
  }
}

void BuildCache::GrowNodeSlots() {
  std::vector<std::pair<const host::Anim*, CachedNode*>> old(
      std::max<size_t>(64, 2 * nodeSlots_.size()));
  std::swap(old, nodeSlots_);
  for (const auto& entry : old) {
    if (entry.first) nodeSlots_[NodeSlot(entry.first)] = entry;
  }
}

CachedNode& BuildCache::NodeOf(const host::Anim& object) {
  // At most half full, so that every probe ends at a free slot soon.
  if (2 * (nodes_.size() + 1) > nodeSlots_.size()) GrowNodeSlots();
  auto& slot = nodeSlots_[NodeSlot(&object)];
  if (!slot.first) slot = {&object, &nodes_.emplace_back(&memory_)};
  return *slot.second;
}

std::string_view BuildCache::Spaces(size_t count) {
  if (spaces_.size() < count) spaces_.assign(count, ' ');
  return spaces_;
}

}  // namespace larkspur
