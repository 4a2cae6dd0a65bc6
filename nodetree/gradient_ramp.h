// Parameter lines of the host's gradient ramp map, whose colour stops only a script can read.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

std::vector<Text> ExportGradientRampParams(host::Interface& ip, const host::Anim& object);

// Runs the probe script for the map of that name: the stops as "position,r,g,b" records joined by
// "|" (position 0..100, colour 0..255), an "ERROR:" answer, or the empty text when the script fails
// or does not answer with a string.
Text ProbeGradientKeys(host::Interface& ip, const Text& mapName);

}  // namespace larkspur
