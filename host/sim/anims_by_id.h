// The anims of a scene by their ids. A scene file refers to anims by id many times over, so the
// table keeps each anim beside its id's hash in open addressing (robin hood hashing): a lookup
// reads one slot and the one anim it names, where a node-based map read a bucket, a node and a
// copy of the id.
#pragma once

#include <tsl/robin_map.h>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

namespace larkspur::sim {

class SimAnim;

class AnimsById {
 public:
  // Room for this many anims in all, so that a scene of known size is indexed without rehashing.
  void Reserve(size_t count) { anims_.reserve(count); }
  SimAnim* Find(std::string_view id) const {
    const auto found = anims_.find(id);
    return found == anims_.end() ? nullptr : found->second;
  }
  // The anim's id must be one the table does not hold yet, and must not change while it is held.
  void Insert(SimAnim* anim);
  void Erase(std::string_view id) { anims_.erase(id); }

 private:
  // Keyed by views of the anims' own ids.
  tsl::robin_map<std::string_view, SimAnim*, std::hash<std::string_view>,
                 std::equal_to<std::string_view>,
                 std::allocator<std::pair<std::string_view, SimAnim*>>, true>
      anims_;
};

}  // namespace larkspur::sim
