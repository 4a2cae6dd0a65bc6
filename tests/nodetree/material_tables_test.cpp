#include "nodetree/material_tables.h"

#include <gtest/gtest.h>

#include "package/json_text.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;
using testing::AddBool;
using testing::AddColor;
using testing::AddFloat;
using testing::AddInt;
using testing::AddString;
using testing::NewMaterial;
using testing::SimAnim;
using testing::SimHost;

std::vector<Text> RunRow(SimHost& host, const SimAnim& object, RowOperation write) {
  std::vector<Text> lines;
  write(lines, host, object, ParamRow{u"key", u"param", write});
  return lines;
}

struct RowCase {
  const char* what;
  RowOperation write;
  void (*setUp)(SimAnim&);  // null: the parameter is missing
  std::vector<Text> expected;
};

TEST(MaterialTablesTest, RowOperations) {
  const RowCase cases[] = {
      {"line float", LineRow, [](SimAnim& m) { AddFloat(m, u"Param", 0.5); }, {u"\"key\":0.5"}},
      {"line string",
       LineRow,
       [](SimAnim& m) { AddString(m, u"param", u"a\\b"); },
       {u"\"key\":\"a\\\\b\""}},
      {"line missing", LineRow, nullptr, {}},
      {"percent float",
       PercentRow,
       [](SimAnim& m) { AddFloat(m, u"param", 0.5); },
       {u"\"key\":50"}},
      {"percent int", PercentRow, [](SimAnim& m) { AddInt(m, u"param", 1); }, {}},
      {"percent missing", PercentRow, nullptr, {}},
      {"fixed", FixedRow, nullptr, {u"\"key\":param"}},
      {"one minus float",
       OneMinusRow,
       [](SimAnim& m) { AddFloat(m, u"param", 0.25); },
       {u"\"key\":0.75"}},
      {"one minus infinite",
       OneMinusRow,
       [](SimAnim& m) { AddFloat(m, u"param", -1e39); },
       {u"\"key\":null"}},
      {"one minus int", OneMinusRow, [](SimAnim& m) { AddInt(m, u"param", 0); }, {}},
      {"one minus missing", OneMinusRow, nullptr, {}},
      {"flag bool on",
       MetalnessFlagRow,
       [](SimAnim& m) { AddBool(m, u"param", true); },
       {u"\"key\":true"}},
      {"flag bool off",
       MetalnessFlagRow,
       [](SimAnim& m) { AddBool(m, u"param", false); },
       {u"\"key\":false"}},
      {"flag int 1",
       MetalnessFlagRow,
       [](SimAnim& m) { AddInt(m, u"param", 1); },
       {u"\"key\":true"}},
      {"flag int 2",
       MetalnessFlagRow,
       [](SimAnim& m) { AddInt(m, u"param", 2); },
       {u"\"key\":false"}},
      {"flag float", MetalnessFlagRow, [](SimAnim& m) { AddFloat(m, u"param", 1); }, {}},
      {"flag missing", MetalnessFlagRow, nullptr, {}},
  };
  for (const RowCase& c : cases) {
    SimHost host;
    SimAnim& material = NewMaterial(host, u"CoronaMtl", u"M");
    if (c.setUp) c.setUp(material);
    EXPECT_EQ(RunRow(host, material, c.write), c.expected) << c.what;
  }
}

// A material that carries the host parameter of every row, legacy and physical names alike.
void AddEveryCoronaParameter(SimAnim& m) {
  const std::u16string_view mapAmounts[] = {u"mapAmountDiffuse",
                                            u"mapamountReflect",
                                            u"mapamountRefract",
                                            u"mapamountReflectGlossiness",
                                            u"mapamountRefractGlossiness",
                                            u"mapamountOpacity",
                                            u"mapamountBump",
                                            u"mapamountTranslucency",
                                            u"mapamountAnisotropy",
                                            u"mapamountAnisotropyRotation",
                                            u"mapamountIor",
                                            u"mapamountFresnelIor",
                                            u"mapamountSelfIllum",
                                            u"mapamountTranslucencyFraction",
                                            u"mapamountAbsorption",
                                            u"mapamountScatterColor",
                                            u"mapamountSssAmount",
                                            u"mapamountSssRadius",
                                            u"mapamountSssScatterColor",
                                            u"sheenAmountMapAmount",
                                            u"sheenColorMapAmount",
                                            u"sheenRoughnessMapAmount",
                                            u"translucencyFractionMapAmount"};
  double amount = 0.0;
  for (std::u16string_view name : mapAmounts) AddFloat(m, Text(name), amount += 0.03125);
  const std::u16string_view colors[] = {
      u"baseColor",         u"edgeColor",        u"selfIllumColor", u"sheenColor",
      u"sssScatterColor",   u"colorDiffuse",     u"diffuseColor",   u"colorReflect",
      u"reflectColor",      u"colorRefract",     u"refractColor",   u"colorOpacity",
      u"colorSelfIllum",    u"selfIllumination", u"sssColor",       u"colorTranslucency",
      u"translucencyColor", u"absorptionColor"};
  float channel = 0.0f;
  for (std::u16string_view name : colors) {
    AddColor(m, Text(name), channel, 0.5f, 1.0f - channel);
    channel += 0.0625f;
  }
  const std::u16string_view floats[] = {u"baseLevel",
                                        u"baseIor",
                                        u"refractionAmount",
                                        u"selfIllumLevel",
                                        u"clearcoatAmount",
                                        u"clearcoatIor",
                                        u"sheenAmount",
                                        u"sheenRoughness",
                                        u"sssAmount",
                                        u"sssRadius",
                                        u"levelDiffuse",
                                        u"diffuseLevel",
                                        u"levelReflect",
                                        u"reflectGlossiness",
                                        u"fresnelIor",
                                        u"reflectIOR",
                                        u"metalness",
                                        u"baseMetalness",
                                        u"metalnessAmount",
                                        u"metalAmount",
                                        u"levelRefract",
                                        u"refractGlossiness",
                                        u"ior",
                                        u"refractionIOR",
                                        u"levelOpacity",
                                        u"levelSelfIllum",
                                        u"selfIlluminationMultiplier",
                                        u"levelSss",
                                        u"anisotropy",
                                        u"baseAnisotropy",
                                        u"anisotropyAmount",
                                        u"anisotropyRotation",
                                        u"baseAnisotropyRotation",
                                        u"levelTranslucency",
                                        u"translucencyFraction",
                                        u"baseBumpMapAmount",
                                        u"clearcoatBumpMapAmount",
                                        u"absorptionDistance",
                                        u"displacementMinimum",
                                        u"displacementMaximum",
                                        u"displacementWaterLevel",
                                        u"baseDisplacementMin",
                                        u"baseDisplacementMax",
                                        u"baseDisplacementWaterLevel"};
  double value = 1.0;
  for (std::u16string_view name : floats) AddFloat(m, Text(name), value += 0.125);
  AddFloat(m, u"baseRoughness", 0.25);
  AddBool(m, u"useThinMode", true);
  AddBool(m, u"thin", false);
  AddBool(m, u"useSss", true);
  AddInt(m, u"metalnessMode", 1);
  AddInt(m, u"pbrMode", 1);
  AddInt(m, u"alphaMode", 2);
}

TEST(MaterialTablesTest, CoronaMaterialWritesEveryRow) {
  SimHost host;
  SimAnim& material = NewMaterial(host, u"CoronaPhysicalMtl", u"All");
  AddEveryCoronaParameter(material);
  const std::vector<Text> lines = ExportCoronaMaterialParams(host, material);
  EXPECT_EQ(lines.size(), 97u);
  testing::ExpectGolden("golden/corona_material_rows.txt", JoinLines(lines, u""));
}

TEST(MaterialTablesTest, CoronaMaterialOfNoParameters) {
  SimHost host;
  SimAnim& material = NewMaterial(host, u"CoronaLegacyMtl", u"Empty");
  AddFloat(material, u"somethingElse", 1);
  EXPECT_TRUE(ExportCoronaMaterialParams(host, material).empty());
}

TEST(MaterialTablesTest, SmallMaterialTables) {
  SimHost host;
  SimAnim& blend = NewMaterial(host, u"CoronaBlendMtl", u"B");
  AddFloat(blend, u"mixAmount", 0.5);
  AddBool(blend, u"additive", false);
  EXPECT_EQ(ExportBlendMaterialParams(host, blend),
            (std::vector<Text>{u"\"mix_amount\":0.5", u"\"additive\":false"}));

  SimAnim& light = NewMaterial(host, u"CoronaLightMtl", u"L");
  AddBool(light, u"emitOnBothSides", true);
  AddFloat(light, u"intensity", 12.5);
  AddColor(light, u"color", 1, 0.5f, 0);
  EXPECT_EQ(ExportLightMaterialParams(host, light),
            (std::vector<Text>{u"\"color\":[1,0.5,0]", u"\"intensity\":12.5",
                               u"\"emit_both_sides\":true"}));

  SimAnim& switcher = NewMaterial(host, u"CoronaRaySwitchMtl", u"R");
  AddBool(switcher, u"giMtlOn", false);
  AddInt(switcher, u"displacementSource", 3);
  EXPECT_EQ(
      ExportRaySwitchMaterialParams(host, switcher),
      (std::vector<Text>{u"\"gi_on\":false", u"\"displacement_source\":3", u"\"direct_idx\":1",
                         u"\"gi_idx\":2", u"\"reflect_idx\":3", u"\"refract_idx\":4"}));
}

TEST(MaterialTablesTest, SkinMaterialWritesEveryRow) {
  SimHost host;
  SimAnim& skin = NewMaterial(host, u"CoronaSkinMtl", u"Skin");
  const std::u16string_view colors[] = {u"skinColor",   u"sss1Color",        u"sss2Color",
                                        u"sss3Color",   u"reflection1Color", u"reflection2Color",
                                        u"opacityColor"};
  float channel = 0.0f;
  for (std::u16string_view name : colors) AddColor(skin, Text(name), channel += 0.125f, 0, 1);
  const std::u16string_view floats[] = {u"skinLevel",
                                        u"sssAmount",
                                        u"sssRadiusScale",
                                        u"sss1Radius",
                                        u"sss1Weight",
                                        u"sss2Radius",
                                        u"sss2Weight",
                                        u"sss3Radius",
                                        u"sss3Weight",
                                        u"reflection1Level",
                                        u"reflection1Glossiness",
                                        u"reflection1Ior",
                                        u"reflection2Level",
                                        u"reflection2Glossiness",
                                        u"reflection2Ior",
                                        u"opacityLevel",
                                        u"mapamountBump",
                                        u"displaceMinimum",
                                        u"displaceMaximum",
                                        u"displaceWaterLevel"};
  double value = 0.0;
  for (std::u16string_view name : floats) AddFloat(skin, Text(name), value += 0.25);
  AddInt(skin, u"sssMode", 1);
  AddBool(skin, u"displaceWaterLevelOn", true);
  const std::vector<Text> lines = ExportSkinMaterialParams(host, skin);
  EXPECT_EQ(lines.size(), 29u);
  testing::ExpectGolden("golden/skin_material_rows.txt", JoinLines(lines, u""));
}

}  // namespace
}  // namespace larkspur
