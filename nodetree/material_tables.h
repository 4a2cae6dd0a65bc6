// Parameter lines of the Corona material classes: the Corona material (also every legacy or
// physical material), the blend, light, skin and ray-switch materials. Texture slots and
// sub-materials are the node tree's children, not lines.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_rows.h"

namespace larkspur {

std::vector<Text> ExportCoronaMaterialParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBlendMaterialParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportLightMaterialParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportSkinMaterialParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportRaySwitchMaterialParams(host::Interface& ip, const host::Anim& object);

// The row operations of the Corona material beyond the shared ones.
// Roughness as glossiness: 1 - a float value; nothing for any other kind.
void OneMinusRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row);
// A mode stored as a bool, or as an int where 1 means on; nothing for any other kind.
void MetalnessFlagRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                      const ParamRow& row);

}  // namespace larkspur
