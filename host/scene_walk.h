// The scene walk every step shares: depth-first from the root, children before their parent,
// siblings in index order, the root itself left out.
#pragma once

#include <vector>

#include "host/host.h"

namespace larkspur {

std::vector<host::Node*> CollectSceneNodes(const host::Interface& ip);

// The evaluated object of a node when it is geometry (super class GEOMOBJECT), otherwise null.
host::Anim* EvaluatedGeometry(const host::Node& node, host::TimeValue t);

}  // namespace larkspur
