#include "nodetree/layered_maps.h"

namespace larkspur {

// The layered and multi map tables are not written yet: these classes have no parameter lines.

std::vector<Text> ExportCompositeParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportLayeredMaterialParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportMultiMapParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportMultiTextureParams(host::Interface&, const host::Anim&) {
  return {};
}

}  // namespace larkspur
