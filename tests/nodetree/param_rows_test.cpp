#include "nodetree/param_rows.h"

#include <gtest/gtest.h>

#include "nodetree/material_tables.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;

// The golden packages show what each table writes for the kinds their scenes hold; here, the
// values a row operation must refuse or turn into null.
TEST(ParamRowsTest, RowOperationsOnValuesTheScenesDoNotHold) {
  const struct {
    const char* what;
    RowOperation write;
    host::ParamType type;
    double value;
    std::u16string_view line;  // empty: no line
  } cases[] = {
      {"percent of infinity", PercentRow, pt::kFloat, 1e39, u"\"key\":null"},
      {"one minus infinity", OneMinusRow, pt::kFloat, -1e39, u"\"key\":null"},
      {"flag of a bool stored as 2", MetalnessFlagRow, pt::kBool, 2, u"\"key\":true"},
      {"flag of a float", MetalnessFlagRow, pt::kFloat, 1, u""},
      {"flag of a colour", MetalnessFlagRow, pt::kRgba, 1, u""},
  };
  for (const auto& c : cases) {
    testing::SimHost host;
    testing::SimAnim& material = testing::NewMaterial(host, u"CoronaMtl", u"M");
    testing::AddParam(material, u"Param", c.type, {testing::Number(c.value)});
    ParamLines lines;
    const ParamRow row{u"key", u"param", c.write};
    row.write(RowContext{host, material, ParamIndex(&material)}, row, lines);
    const std::vector<Text> expected =
        c.line.empty() ? std::vector<Text>{} : std::vector<Text>{Text(c.line)};
    EXPECT_EQ(testing::LineTexts(lines), expected) << c.what;
  }
}

}  // namespace
}  // namespace larkspur
