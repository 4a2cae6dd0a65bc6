// What one package build works out once per host object and reuses wherever the object occurs
// again: the object's parameter index, and for a material or map that several objects, trees or
// slots use, what its node writes in every tree. Only what cannot differ between occurrences is
// kept: node ids, the node registry and reference nodes belong to each tree and are never cached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_lookup.h"

namespace larkspur {

// Text kept for the whole build; it comes from the build's arena, which is freed at once.
using KeptText = std::pmr::string;
using KeptTexts = std::pmr::vector<KeptText>;

// A whole tree as written once from an empty node registry, to be written again for the next
// occurrence of its top object at the same depth: the text, and where each node id stands in it.
// Ids are drawn in the same order every time, so each is kept as its distance from the id drawn
// before the tree.
struct TreeIdSlot {
  size_t offset;            // where the id's digits begin in text
  size_t length;            // how many characters they took
  uint32_t distance;        // the id, less the last id drawn before the tree
  host::AnimHandle handle;  // the node registered under the id; 0 for a reference
};
struct TreeText {
  explicit TreeText(std::pmr::memory_resource* memory) : text(memory), ids(memory) {}
  KeptText text;
  std::pmr::vector<TreeIdSlot> ids;
  uint32_t idsDrawn = 0;
};

// The parts of an object's node that depend only on the object and the host's state, each made
// on first use.
struct CachedNode {
  explicit CachedNode(std::pmr::memory_resource* memory)
      : className(memory),
        slotKeys(memory),
        paramLines(memory),
        fieldsAtDepth(memory),
        entryHead(memory),
        treesAtDepth(memory) {}

  std::optional<ParamIndex> params;  // the object's parameters by name
  bool described = false;            // className and slotKeys are filled in
  bool paramsMade = false;           // paramLines are filled in
  std::pmr::u16string className;
  KeptTexts slotKeys;    // the child key of each texture slot, escaped, in UTF-8
  KeptTexts paramLines;  // the lines of its class's parameter table, in UTF-8
  // The node's lines after its id ("type", "name", the parameter lines) in UTF-8, each preceded
  // by ",\n" and the inner indent of the depth it is paired with. A node occurs at few depths,
  // so a short list searched in order beats a hash map.
  std::pmr::vector<std::pair<int, KeptText>> fieldsAtDepth;
  // When the object is an object's material: the opening of its entry ("type" and "name", and a
  // multi-material's list key) in UTF-8, and whether it lists sub-materials.
  bool entryMade = false;
  bool multiMaterial = false;
  KeptText entryHead;
  // The trees with the object on top, by the depth they were written at.
  std::pmr::vector<std::pair<int, TreeText>> treesAtDepth;
};

// Lives for one build. Objects are keyed by their address: the scene's materials, maps,
// modifiers and lights outlive the build, and the only objects deleted meanwhile (temporaries
// of mesh conversion) are never looked up here.
class BuildCache {
 public:
  BuildCache() = default;
  BuildCache(const BuildCache&) = delete;
  BuildCache& operator=(const BuildCache&) = delete;

  // The object's parameter index, made on its first use in this build.
  const ParamIndex& ParamsOf(const host::Anim& object);
  // The object's record; empty on its first use in this build.
  CachedNode& NodeOf(const host::Anim& object);
  // A run of at least count spaces for indents; a longer run asked for later replaces it.
  std::string_view Spaces(size_t count);
  // The arena of the build's kept text.
  std::pmr::memory_resource* Memory() { return &memory_; }

 private:
  // The slot of object in nodeSlots_, empty or its own.
  size_t NodeSlot(const host::Anim* object) const;
  void GrowNodeSlots();

  // Holds every record, parameter index entry and kept text of the build, which all end with it.
  std::pmr::monotonic_buffer_resource memory_;
  std::string spaces_;
  struct DescsHash {
    size_t operator()(const std::vector<const host::ParamBlockDesc*>& descs) const;
  };
  // The names of each distinct sequence of block descriptors (null for a block without one).
  std::unordered_map<std::vector<const host::ParamBlockDesc*>, ParamNames, DescsHash> names_;
  std::vector<const host::ParamBlockDesc*> descs_;  // the sequence of the object being indexed
  // Records by object in an open-addressing table: a look-up per node written touches one slot.
  std::deque<CachedNode, std::pmr::polymorphic_allocator<CachedNode>> nodes_{&memory_};
  std::vector<std::pair<const host::Anim*, CachedNode*>> nodeSlots_;
};

}  // namespace larkspur
