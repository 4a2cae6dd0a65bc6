// The node tree of one material or texture map: one typed node per object with its parameter
// lines, its inputs as children by slot name, and reference nodes for objects met again.
#pragma once

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

// The JSON text of object's node at depth (indent 2 x depth spaces), with its whole subtree.
Text BuildNodeTree(host::Interface& ip, host::Anim* object, int depth);

// Empties the node registry; the node id counter keeps counting.
void ResetNodeRegistry();

}  // namespace larkspur
