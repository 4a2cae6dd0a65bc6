#include "nodetree/gradient_ramp.h"

namespace larkspur {

// The gradient ramp table and its probe are not written yet: the map has no parameter lines.
std::vector<Text> ExportGradientRampParams(host::Interface&, const host::Anim&) {
  return {};
}

}  // namespace larkspur
