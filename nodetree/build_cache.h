// What one package build works out once per host object and reuses wherever the object occurs
// again: the object's parameter index, and for a material or map that several objects, trees or
// slots use, what its node writes in every tree. Only what cannot differ between occurrences is
// kept: node ids, the node registry and reference nodes belong to each tree and are never cached.
#pragma once

#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_lookup.h"

namespace larkspur {

// The parts of an object's node that depend only on the object and the host's state, each made
// on first use.
struct CachedNode {
  std::optional<std::vector<Text>> paramLines;  // the lines of its class's parameter table
  bool described = false;                       // className and slotKeys are filled in
  Text className;
  std::vector<std::string> slotKeys;  // the child key of each texture slot, escaped, in UTF-8
  // The node's lines after its id ("type", "name", the parameter lines) in UTF-8, each preceded
  // by ",\n" and the inner indent of the depth it is keyed by.
  std::unordered_map<int, std::string> fieldsAtDepth;
};

// Lives for one build. Objects are keyed by their address: the scene's materials, maps,
// modifiers and lights outlive the build, and the only objects deleted meanwhile (temporaries
// of mesh conversion) are never looked up here.
class BuildCache {
 public:
  // The object's parameter index, made on its first use in this build.
  const ParamIndex& ParamsOf(const host::Anim& object);
  // The object's record; empty on its first use in this build.
  CachedNode& NodeOf(const host::Anim& object) { return nodes_[&object]; }
  // A run of at least count spaces for indents; a longer run asked for later replaces it.
  std::string_view Spaces(size_t count);

 private:
  // Holds the entries of every parameter index of the build, which all end with it.
  std::pmr::monotonic_buffer_resource indexMemory_;
  std::string spaces_;
  struct DescsHash {
    size_t operator()(const std::vector<const host::ParamBlockDesc*>& descs) const;
  };
  // The names of each distinct sequence of block descriptors (null for a block without one).
  std::unordered_map<std::vector<const host::ParamBlockDesc*>, ParamNames, DescsHash> names_;
  std::vector<const host::ParamBlockDesc*> descs_;  // the sequence of the object being indexed
  std::unordered_map<const host::Anim*, ParamIndex> params_;
  std::unordered_map<const host::Anim*, CachedNode> nodes_;
};

}  // namespace larkspur
