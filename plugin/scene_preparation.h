// Flattens the scene before an export: groups exploded, then every geometry node with a reset
// transform, a collapsed stack and an editable-poly base object. Done by the host's scripts; the
// changes are permanent.
#pragma once

#include "host/host.h"

namespace larkspur {

// Runs the group explosion, then one flattening script per geometry node (children before their
// parent, siblings in index order; the root left out), then clears the selection. Script results
// are not examined: each script catches its own errors.
void RunResetXformAndConvertToPoly(host::Interface& ip);

}  // namespace larkspur
