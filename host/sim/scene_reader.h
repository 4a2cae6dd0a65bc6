// The scene reader: fills a host from a scene document (settings, nodes, anims, parameters).
#pragma once

#include <string_view>

#include "host/sim/scene_document.h"
#include "host/sim/sim_scene.h"

namespace larkspur::sim::scene_file {

// Fills the empty host from a scene file's text; throws FormatError at the first break of the
// format. A scene that names no user scripts folder gets the default one, made when it is missing.
void ReadScene(std::string_view json, SimHost& host);
// The same from a text it may parse where it lies.
void ReadScene(WritableText text, SimHost& host);

}  // namespace larkspur::sim::scene_file
