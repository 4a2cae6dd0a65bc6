// Readers of the parts of a scene file that name no other anim: meshes, transforms, UV generators
// and gradient colour stops.
#pragma once

#include <string>
#include <vector>

#include "host/sim/scene_document.h"
#include "host/sim/sim_scene.h"

namespace larkspur::sim::scene_file {

SimMesh ReadMesh(const JsonValue& j, const KeyPath& path);
// Either a matrix alone, or any of position, rotation and scale.
Matrix3 ReadTransform(const JsonValue& j, const KeyPath& path);
SimUvGen ReadUvGen(const JsonValue& j, const KeyPath& path);
std::vector<SimGradientStop> ReadGradientStops(const JsonValue& j, const KeyPath& path);

}  // namespace larkspur::sim::scene_file
