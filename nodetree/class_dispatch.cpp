#include "nodetree/class_dispatch.h"

#include "nodetree/bitmap_params.h"
#include "nodetree/gradient_ramp.h"
#include "nodetree/layered_maps.h"
#include "nodetree/map_tables.h"
#include "nodetree/material_tables.h"

namespace larkspur {
namespace {

struct DispatchRule {
  std::u16string_view name;  // lower case
  ParamExporter exporter;
};

// Tested first, against the whole lower-cased class name, in this order.
constexpr DispatchRule kExactRules[] = {
    {u"coronabitmap", ExportCoronaBitmapParams},
    {u"coronamtl", ExportCoronaMaterialParams},
    {u"coronalayeredmtl", ExportLayeredMaterialParams},
    {u"coronamixtex", ExportMixParams},
    {u"coronablendmtl", ExportBlendMaterialParams},
    {u"coronanormaltex", ExportNormalParams},
    {u"coronabumptex", ExportBumpParams},
    {u"coronacolortex", ExportCoronaColorParams},
    {u"coronacolor", ExportCoronaColorParams},
    {u"coronalightmtl", ExportLightMaterialParams},
    {u"coronaskinmtl", ExportSkinMaterialParams},
    {u"coronarayswitchmtl", ExportRaySwitchMaterialParams},
    {u"coronaaotexmap", ExportAmbientOcclusionParams},
    {u"coronafrontback", ExportFrontBackParams},
    {u"falloff", ExportFalloffParams},
    {u"mix", ExportMixParams},
    {u"noise", ExportNoiseParams},
    {u"output", ExportOutputParams},
    {u"gradient", ExportGradientParams},
    {u"gradient_ramp", ExportGradientRampParams},
    {u"gradientramp", ExportGradientRampParams},
    {u"gradient ramp", ExportGradientRampParams},
    {u"bitmaptexture", ExportBitmapParams},
    {u"bitmap", ExportBitmapParams},
    {u"color_correction", ExportColorCorrectionParams},
    {u"color correction", ExportColorCorrectionParams},
    {u"cellular", ExportCellularParams},
    {u"rgb_multiply", ExportRgbMultiplyParams},
    {u"color_map", ExportSolidColorParams},
    {u"blend", ExportBlendParams},
    {u"multitexture", ExportMultiTextureParams},
};

// Tested when no exact rule matched, for a part of the lower-cased class name, in this order:
// an earlier rule wins over a later one that the name also contains ("coronacolorcorrect"
// before "coronacolor"), and "ao" catches every remaining name with those two letters.
constexpr DispatchRule kContainmentRules[] = {
    {u"legacy", ExportCoronaMaterialParams},
    {u"physical", ExportCoronaMaterialParams},
    {u"lightmtl", ExportLightMaterialParams},
    {u"skinmtl", ExportSkinMaterialParams},
    {u"ao", ExportAmbientOcclusionParams},
    {u"composite", ExportCompositeParams},
    {u"coronacolorcorrect", ExportCoronaColorCorrectParams},
    {u"coronamix", ExportMixParams},
    {u"coronacolor", ExportCoronaColorParams},
    {u"rgb_multiply", ExportRgbMultiplyParams},
    {u"color_map", ExportSolidColorParams},
    {u"multimap", ExportMultiMapParams},
    {u"roundedge", ExportRoundEdgeParams},
    {u"triplanar", ExportTriplanarParams},
};

}  // namespace

ParamExporter FindParamExporter(std::u16string_view className) {
  const Text key = ToLowerAscii(className);
  for (const DispatchRule& rule : kExactRules) {
    if (key == rule.name) return rule.exporter;
  }
  for (const DispatchRule& rule : kContainmentRules) {
    if (key.find(rule.name) != Text::npos) return rule.exporter;
  }
  return nullptr;
}

std::vector<Text> ExportNodeParams(host::Interface& ip, const host::Anim& object) {
  const ParamExporter exporter = FindParamExporter(object.GetClassName());
  return exporter ? exporter(ip, object) : std::vector<Text>();
}

}  // namespace larkspur
