// The placement of a light as one parameter line, and the factor from system units to metres.
#pragma once

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

// Metres per system unit; one inch (0.0254) when the host reports no usable scale.
float GetMetersPerUnit(const host::Interface& ip);

// "transform":{"position":[..],"quat":[w,x,y,z],"scale":[..]}, positions in metres, followed by
// ,"target_transform":{"position":[..]} when targeted and the node has a target.
Text BuildTransformJson(const host::Interface& ip, const host::Node& node, host::TimeValue t,
                        float unitScale, bool targeted);

}  // namespace larkspur
