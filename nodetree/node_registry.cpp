#include "nodetree/node_registry.h"

#include <algorithm>
#include <utility>

namespace larkspur {

size_t NodeRegistry::Home(host::AnimHandle handle) const {
  // Fibonacci hashing spreads consecutive handles over the table.
  const uint64_t mixed = static_cast<uint64_t>(handle) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(mixed >> 32) & (slots_.size() - 1);
}

const int32_t* NodeRegistry::Find(host::AnimHandle handle) const {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t i = Home(handle);; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.generation != generation_) return nullptr;
    if (slot.handle == handle) return &slot.id;
  }
}

void NodeRegistry::Add(host::AnimHandle handle, int32_t id) {
  // At most half full, so that every probe ends at a free slot soon.
  if (2 * (count_ + 1) > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t i = Home(handle);; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.generation != generation_) {
      slot = Slot{handle, id, generation_};
      ++count_;
      return;
    }
    if (slot.handle == handle) return;
  }
}

void NodeRegistry::Clear() {
  count_ = 0;
  if (++generation_ != 0) return;
  // After the counter wraps, no slot may still carry a generation that comes round again.
  for (Slot& slot : slots_) slot.generation = 0;
  generation_ = 1;
}

void NodeRegistry::Grow() {
  std::vector<Slot> old(std::max<size_t>(16, 2 * slots_.size()));
  std::swap(old, slots_);
  count_ = 0;
  for (const Slot& slot : old) {
    if (slot.generation == generation_) Add(slot.handle, slot.id);
  }
}

}  // namespace larkspur
