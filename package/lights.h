// The scene's Corona lights: the "lights" fragment that closes the package, and its log lines.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/build_cache.h"

namespace larkspur {

// The empty text, or ",\n  \"lights\": [\n" ... "\n  ]". Appends one line per light and the
// summary line to packageLog.
Text CollectLightsJson(host::Interface& ip, BuildCache& cache, std::vector<Text>& packageLog);

}  // namespace larkspur
