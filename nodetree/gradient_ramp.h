// Parameter lines of the host's gradient ramp map, whose colour stops only a script can read.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

std::vector<Text> ExportGradientRampParams(host::Interface& ip, const host::Anim& object);

}  // namespace larkspur
