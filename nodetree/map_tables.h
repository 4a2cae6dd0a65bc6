// Parameter lines of the texture maps: one exporter per parameter set.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

std::vector<Text> ExportMixParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportFalloffParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportNoiseParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportOutputParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportGradientParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportColorCorrectionParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportCellularParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportRgbMultiplyParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportSolidColorParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBlendParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportAmbientOcclusionParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportBumpParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportCoronaColorCorrectParams(const host::Interface& ip,
                                                 const host::Anim& object);
std::vector<Text> ExportCoronaColorParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportFrontBackParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportNormalParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportRoundEdgeParams(const host::Interface& ip, const host::Anim& object);
std::vector<Text> ExportTriplanarParams(const host::Interface& ip, const host::Anim& object);

}  // namespace larkspur
