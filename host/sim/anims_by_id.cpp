#include "host/sim/anims_by_id.h"

#include <functional>

#include "host/sim/sim_scene.h"

namespace larkspur::sim {
namespace {

constexpr size_t kMinSlots = 16;

size_t HashOf(std::string_view id) {
  return std::hash<std::string_view>()(id);
}

// Slots for count anims at most three quarters full.
size_t SlotsFor(size_t count) {
  size_t slots = kMinSlots;
  while (slots / 4 * 3 < count) slots *= 2;
  return slots;
}

}  // namespace

void AnimsById::Reserve(size_t count) {
  if (SlotsFor(count) > slots_.size()) Rehash(SlotsFor(count));
}

SimAnim* AnimsById::Find(std::string_view id) const {
  if (slots_.empty()) return nullptr;
  return slots_[SlotOf(id, HashOf(id))].anim;
}

void AnimsById::Insert(SimAnim* anim) {
  Reserve(count_ + 1);
  const size_t hash = HashOf(anim->id);
  slots_[SlotOf(anim->id, hash)] = Slot{hash, anim};
  ++count_;
}

void AnimsById::Erase(std::string_view id) {
  if (slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  size_t hole = SlotOf(id, HashOf(id));
  if (!slots_[hole].anim) return;
  --count_;
  // Linear probing without markers: each later anim of the run moves back into the hole unless
  // its own home slot lies after the hole, where a lookup would no longer pass the hole to it.
  for (size_t next = (hole + 1) & mask; slots_[next].anim; next = (next + 1) & mask) {
    const size_t home = slots_[next].hash & mask;
    const bool staysPut =
        hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (staysPut) continue;
    slots_[hole] = slots_[next];
    hole = next;
  }
  slots_[hole] = Slot{};
}

size_t AnimsById::SlotOf(std::string_view id, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (!slot.anim || (slot.hash == hash && slot.anim->id == id)) return at;
  }
}

void AnimsById::Rehash(size_t slotCount) {
  std::vector<Slot> old(slotCount);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (!slot.anim) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].anim) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace larkspur::sim
