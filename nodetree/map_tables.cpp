#include "nodetree/map_tables.h"

namespace larkspur {

// The texture-map tables are not written yet: every map has no parameter lines.

std::vector<Text> ExportMixParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportFalloffParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportNoiseParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportOutputParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportGradientParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportColorCorrectionParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCellularParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportRgbMultiplyParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportSolidColorParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportBlendParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportAmbientOcclusionParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportBumpParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCoronaColorCorrectParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportCoronaColorParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportFrontBackParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportNormalParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportRoundEdgeParams(const host::Interface&, const host::Anim&) {
  return {};
}
std::vector<Text> ExportTriplanarParams(const host::Interface&, const host::Anim&) {
  return {};
}

}  // namespace larkspur
