#include "nodetree/class_dispatch.h"

#include <gtest/gtest.h>

#include "nodetree/map_tables.h"
#include "nodetree/material_tables.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

// The golden packages show every rule by a name it catches; here, names that more than one rule
// would catch, where the order of the rules decides, and names that come close to a rule.
TEST(ClassDispatchTest, EarlierRulesWinAndNearNamesFindNothing) {
  const struct {
    std::u16string_view className;
    const ParamRow* table;  // the first row of the selected table; null: no rule
  } cases[] = {
      {u"CORONAMTL", kCoronaMaterialRows},
      {u"CoronaAOTexmap", kAmbientOcclusionRows},
      {u"CoronaLegacyLightMtl", kCoronaMaterialRows},    // "legacy" before "lightmtl"
      {u"PhysicalSkinMtl", kCoronaMaterialRows},         // "physical" before "skinmtl"
      {u"OldSkinMtl", kSkinMaterialRows},                //
      {u"CoronaColorCorrectAO", kAmbientOcclusionRows},  // "ao" before "coronacolorcorrect"
      {u"CoronaColorCorrect", kCoronaColorCorrectRows},  // before "coronacolor"
      {u"CoronaMixColor", kMixRows},                     // "coronamix" before "coronacolor"
      {u"Bitmap2", nullptr},
      {u"Gradient Ramp 2", nullptr},
      {u"", nullptr},
  };
  for (const auto& c : cases) {
    const ParamTable* table = FindParamTable(c.className);
    EXPECT_EQ(table ? table->begin() : nullptr, c.table) << ToUtf8(c.className);
  }
}

TEST(ClassDispatchTest, UnnamedClassHasNoLinesWhateverItCarries) {
  testing::SimHost host;
  testing::SimAnim& checker = testing::NewMap(host, u"Checker", u"C");
  testing::AddParam(checker, u"mixAmount", host::param_type::kFloat, {testing::Number(0.5)});
  BuildCache cache;
  EXPECT_TRUE(ExportNodeParams(host, cache, checker).empty());
}

}  // namespace
}  // namespace larkspur
