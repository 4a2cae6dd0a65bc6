// The "displacement_mod" value of an object entry: the first displacement modifier on the node's
// modifier stack, as one compact JSON object, or null.
#pragma once

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"

namespace larkspur {

Text BuildDisplacementJson(host::Interface& ip, BuildCache& cache, const host::Node* node);

}  // namespace larkspur
