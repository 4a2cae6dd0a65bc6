// The node tree of one material or texture map: one typed node per object with its parameter
// lines, its inputs as children by slot name, and reference nodes for objects met again.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"

namespace larkspur {

// A graph the host would never produce (a cycle through objects without a handle, a nesting
// deeper than any real material, an endless fan-out) ends the tree with this error instead of
// exhausting the stack or the memory.
class NodeTreeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Nesting levels below the top node. Each level takes about half a kilobyte of stack, so the
// deepest tree stays well inside the 1 MiB stack of the host's main thread.
inline constexpr int kMaxNodeTreeLevels = 256;
// Nodes (reference nodes included) written into one tree.
inline constexpr int kMaxNodeTreeNodes = 20000;

// Appends to out the JSON text of object's node at depth (indent 2 x depth spaces), with its
// whole subtree, in UTF-8. cache keeps what the build has already read of each object. Throws
// NodeTreeError when the graph exceeds the limits above; out then holds part of the tree.
void BuildNodeTree(host::Interface& ip, BuildCache& cache, host::Anim* object, int depth,
                   std::string& out);

// Empties the node registry; the node id counter keeps counting.
void ResetNodeRegistry();

}  // namespace larkspur
