// Parameter lines of the classes that combine several inputs: the composite map, the Corona
// layered material, the Corona multi-map and the multi-texture. Their inputs themselves are the
// node tree's children (or, for the multi-texture, its "textures").
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

std::vector<Text> ExportCompositeParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportLayeredMaterialParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportMultiMapParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportMultiTextureParams(host::Interface& ip, const host::Anim& object);

}  // namespace larkspur
