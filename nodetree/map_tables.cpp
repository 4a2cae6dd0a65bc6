#include "nodetree/map_tables.h"

namespace larkspur {

// The texture-map tables are not written yet: every map has no parameter lines.

std::vector<Text> ExportMixParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportFalloffParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportNoiseParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportOutputParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportGradientParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportColorCorrectionParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCellularParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportRgbMultiplyParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportSolidColorParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportBlendParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportAmbientOcclusionParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportBumpParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCoronaColorCorrectParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCoronaColorParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportFrontBackParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportNormalParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportRoundEdgeParams(host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportTriplanarParams(host::Interface&, const host::Anim&) {
  return {};
}

}  // namespace larkspur
