#include "nodetree/class_dispatch.h"

#include <gtest/gtest.h>

#include "nodetree/bitmap_params.h"
#include "nodetree/gradient_ramp.h"
#include "nodetree/layered_maps.h"
#include "nodetree/map_tables.h"
#include "nodetree/material_tables.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

struct DispatchCase {
  std::u16string_view className;
  ParamExporter expected;  // null: no rule names the class
};

// Every rule by a name it catches, exact rules before containment rules, and names that an
// earlier rule catches before a later one would.
const DispatchCase kCases[] = {
    {u"CoronaBitmap", ExportCoronaBitmapParams},
    {u"CoronaMtl", ExportCoronaMaterialParams},
    {u"CORONAMTL", ExportCoronaMaterialParams},
    {u"CoronaLayeredMtl", ExportLayeredMaterialParams},
    {u"CoronaMixTex", ExportMixParams},
    {u"CoronaBlendMtl", ExportBlendMaterialParams},
    {u"CoronaNormalTex", ExportNormalParams},
    {u"CoronaBumpTex", ExportBumpParams},
    {u"CoronaColorTex", ExportCoronaColorParams},
    {u"CoronaColor", ExportCoronaColorParams},
    {u"CoronaLightMtl", ExportLightMaterialParams},
    {u"CoronaSkinMtl", ExportSkinMaterialParams},
    {u"CoronaRaySwitchMtl", ExportRaySwitchMaterialParams},
    {u"CoronaAOTexmap", ExportAmbientOcclusionParams},
    {u"CoronaFrontBack", ExportFrontBackParams},
    {u"Falloff", ExportFalloffParams},
    {u"Mix", ExportMixParams},
    {u"Noise", ExportNoiseParams},
    {u"Output", ExportOutputParams},
    {u"Gradient", ExportGradientParams},
    {u"Gradient_Ramp", ExportGradientRampParams},
    {u"GradientRamp", ExportGradientRampParams},
    {u"Gradient Ramp", ExportGradientRampParams},
    {u"GRADIENT RAMP", ExportGradientRampParams},
    {u"Bitmaptexture", ExportBitmapParams},
    {u"Bitmap", ExportBitmapParams},
    {u"Color_Correction", ExportColorCorrectionParams},
    {u"Color Correction", ExportColorCorrectionParams},
    {u"Cellular", ExportCellularParams},
    {u"RGB_Multiply", ExportRgbMultiplyParams},
    {u"Color_Map", ExportSolidColorParams},
    {u"Blend", ExportBlendParams},
    {u"MultiTexture", ExportMultiTextureParams},
    {u"CoronaLegacyMtl", ExportCoronaMaterialParams},
    {u"CoronaPhysicalMtl", ExportCoronaMaterialParams},
    {u"PhysicalMaterial", ExportCoronaMaterialParams},
    {u"CoronaLegacyLightMtl", ExportCoronaMaterialParams},  // "legacy" before "lightmtl"
    {u"MyLightMtl", ExportLightMaterialParams},
    {u"OldSkinMtl", ExportSkinMaterialParams},
    {u"CoronaAO", ExportAmbientOcclusionParams},
    {u"Chaos", ExportAmbientOcclusionParams},  // any "ao" no exact rule caught
    {u"CompositeTexturemap", ExportCompositeParams},
    {u"Composite", ExportCompositeParams},
    {u"CoronaColorCorrect", ExportCoronaColorCorrectParams},  // before "coronacolor"
    {u"CoronaMixer", ExportMixParams},
    {u"CoronaColorTexmap", ExportCoronaColorParams},
    {u"RGB_Multiply_2", ExportRgbMultiplyParams},
    {u"Color_Map_Old", ExportSolidColorParams},
    {u"CoronaMultiMap", ExportMultiMapParams},
    {u"CoronaRoundEdge", ExportRoundEdgeParams},
    {u"CoronaTriplanar", ExportTriplanarParams},
    {u"Bitmap2", nullptr},
    {u"Gradient Ramp 2", nullptr},
    {u"Checker", nullptr},
    {u"Standardmaterial", nullptr},
    {u"", nullptr},
};

TEST(ClassDispatchTest, ClassNameSelectsExporter) {
  for (const DispatchCase& c : kCases) {
    EXPECT_EQ(FindParamExporter(c.className), c.expected) << ToUtf8(c.className);
  }
}

TEST(ClassDispatchTest, ExportNodeParamsRunsTheSelectedExporter) {
  sim::SimHost host;
  testing::SimAnim& switcher = testing::NewMaterial(host, u"CoronaRaySwitchMtl", u"S");
  EXPECT_EQ(ExportNodeParams(host, switcher), ExportRaySwitchMaterialParams(host, switcher));
  EXPECT_EQ(ExportNodeParams(host, switcher).size(), 4u);

  testing::SimAnim& unknown = testing::NewMaterial(host, u"Checker", u"C");
  testing::AddParam(unknown, u"mixAmount", host::param_type::kFloat, {testing::Number(0.5)});
  EXPECT_TRUE(ExportNodeParams(host, unknown).empty());
}

}  // namespace
}  // namespace larkspur
