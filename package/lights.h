// The scene's Corona lights: the "lights" fragment that closes the package, and its log lines.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

// The empty text, or ",\n  \"lights\": [\n" ... "\n  ]". Appends one line per light and the
// summary line to packageLog.
Text CollectLightsJson(host::Interface& ip, std::vector<Text>& packageLog);

// The parameter lines of one light in the package's key names, ending with its transform line;
// empty when the node evaluates to nothing.
std::vector<Text> ExportCoronaLightParams(const host::Interface& ip, const host::Node& node,
                                          host::TimeValue t);
std::vector<Text> ExportCoronaSunParams(const host::Interface& ip, const host::Node& node,
                                        host::TimeValue t);

}  // namespace larkspur
