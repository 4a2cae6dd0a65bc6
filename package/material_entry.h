// The "material" value of an object entry: a material with its node tree, or a multi-material's
// numbered sub-material entries.
#pragma once

#include <string>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"

namespace larkspur {

// Appends the entry to out in UTF-8; "null" for a null material. Exceptions of the tree builder
// pass to the caller, with part of the entry appended.
void buildMaterialJson(host::Interface& ip, BuildCache& cache, host::Anim* material,
                       std::string& out);

}  // namespace larkspur
