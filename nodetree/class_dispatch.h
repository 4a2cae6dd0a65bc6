// Which parameter lines a node carries: the object's class name selects one parameter table,
// first by whole name, then by a part of the name.
#pragma once

#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"
#include "nodetree/param_rows.h"

namespace larkspur {

// The table selected by a class name in any letter case, or null when no rule names it.
const ParamTable* FindParamTable(std::u16string_view className);

// The parameter lines of a material or texture map in UTF-8; empty for a class no rule names.
// Made once per object and build: later calls answer from the cache.
const KeptTexts& ExportNodeParams(host::Interface& ip, BuildCache& cache, const host::Anim& object);

}  // namespace larkspur
