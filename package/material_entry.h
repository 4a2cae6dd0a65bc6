// The "material" value of an object entry: a material with its node tree, or a multi-material's
// numbered sub-material entries.
#pragma once

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"

namespace larkspur {

// "null" for a null material. Exceptions of the tree builder pass to the caller.
Text buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material);

}  // namespace larkspur
