// The scene reader: fills a host from a scene document (settings, nodes, anims, parameters).
#pragma once

#include <string_view>

#include "host/sim/sim_scene.h"

namespace larkspur::sim::scene_file {

// Fills the empty host from a scene file's text; throws FormatError at the first break of the
// format. A scene that names no user scripts folder gets the default one, made when it is missing.
void ReadScene(std::string_view json, SimHost& host);

}  // namespace larkspur::sim::scene_file
