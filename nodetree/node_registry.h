// The objects written into the current node tree, by handle, with the ids they were written
// under. The registry is emptied for every tree, so it is an open-addressing table whose entries
// belong to a generation: emptying it starts a new generation and touches no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/host.h"

namespace larkspur {

class NodeRegistry {
 public:
  // The id the object of that handle was written under in this tree; null when it was not.
  const int32_t* Find(host::AnimHandle handle) const;
  // Records the id unless the handle is already recorded in this tree.
  void Add(host::AnimHandle handle, int32_t id);
  void Clear();
  bool Empty() const { return count_ == 0; }

 private:
  struct Slot {
    host::AnimHandle handle = 0;
    int32_t id = 0;
    uint32_t generation = 0;  // the slot is in use when it matches the registry's
  };
  size_t Home(host::AnimHandle handle) const;
  void Grow();

  std::vector<Slot> slots_;  // empty, or a power of two long
  uint32_t generation_ = 1;
  size_t count_ = 0;
};

}  // namespace larkspur
