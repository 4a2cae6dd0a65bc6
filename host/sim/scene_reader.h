// The scene reader: fills a host from a scene document (settings, nodes, anims, parameters).
#pragma once

#include "host/sim/scene_document.h"
#include "host/sim/sim_scene.h"

namespace larkspur::sim::scene_file {

// Fills the empty host from the document; throws FormatError at the first break of the format.
// A scene that names no user scripts folder gets the default one, made when it is missing.
void ReadScene(const JsonValue& document, SimHost& host);

}  // namespace larkspur::sim::scene_file
