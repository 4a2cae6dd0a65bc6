// The anims of a scene by their ids. A scene file refers to anims by id many times over, so the
// table keeps the anims themselves in open addressing, each beside its id's hash: a lookup reads
// one slot and the one anim it names, where a node-based map read a bucket, a node and a copy of
// the id.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace larkspur::sim {

class SimAnim;

class AnimsById {
 public:
  // Room for this many anims in all, so that a scene of known size is indexed without rehashing.
  void Reserve(size_t count);
  SimAnim* Find(std::string_view id) const;
  // The anim's id must be one the table does not hold yet, and must not change while it is held.
  void Insert(SimAnim* anim);
  void Erase(std::string_view id);

 private:
  struct Slot {
    size_t hash = 0;
    SimAnim* anim = nullptr;  // null: a free slot
  };

  // The slot holding id, or the free slot where it would go.
  size_t SlotOf(std::string_view id, size_t hash) const;
  void Rehash(size_t slotCount);

  std::vector<Slot> slots_;  // a power of two of them, at most three quarters used
  size_t count_ = 0;
};

}  // namespace larkspur::sim
