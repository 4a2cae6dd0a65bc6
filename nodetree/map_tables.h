// Parameter lines of the texture maps: one exporter per parameter set.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

std::vector<Text> ExportMixParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportFalloffParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportNoiseParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportOutputParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportGradientParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportColorCorrectionParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportCellularParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportRgbMultiplyParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportSolidColorParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBlendParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportAmbientOcclusionParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBumpParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportCoronaColorCorrectParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportCoronaColorParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportFrontBackParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportNormalParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportRoundEdgeParams(host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportTriplanarParams(host::Interface& ip, const host::Anim& object);

}  // namespace larkspur
