#include "nodetree/material_tables.h"

#include <gtest/gtest.h>

#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;

// Every row of every table is shown by the material_rows scene's golden package; here, what each
// row operation writes for each kind of value.
TEST(MaterialTablesTest, RowOperations) {
  constexpr host::ParamType kMissing = -1;
  const struct {
    const char* what;
    RowOperation write;
    host::ParamType type;
    double value;
    std::u16string_view line;  // empty: no line
  } cases[] = {
      {"line", LineRow, pt::kFloat, 0.5, u"\"key\":0.5"},
      {"line, missing", LineRow, kMissing, 0, u""},
      {"percent", PercentRow, pt::kPcntFrac, 0.5, u"\"key\":50"},
      {"percent of an int", PercentRow, pt::kInt, 1, u""},
      {"percent, missing", PercentRow, kMissing, 0, u""},
      {"fixed", FixedRow, kMissing, 0, u"\"key\":param"},
      {"one minus", OneMinusRow, pt::kFloat, 0.25, u"\"key\":0.75"},
      {"one minus infinity", OneMinusRow, pt::kFloat, -1e39, u"\"key\":null"},
      {"one minus an int", OneMinusRow, pt::kInt, 0, u""},
      {"one minus, missing", OneMinusRow, kMissing, 0, u""},
      {"flag of a bool", MetalnessFlagRow, pt::kBool, 2, u"\"key\":true"},
      {"flag of a false bool", MetalnessFlagRow, pt::kBool, 0, u"\"key\":false"},
      {"flag of int 1", MetalnessFlagRow, pt::kInt, 1, u"\"key\":true"},
      {"flag of int 2", MetalnessFlagRow, pt::kInt, 2, u"\"key\":false"},
      {"flag of a float", MetalnessFlagRow, pt::kFloat, 1, u""},
      {"flag, missing", MetalnessFlagRow, kMissing, 0, u""},
  };
  for (const auto& c : cases) {
    testing::SimHost host;
    testing::SimAnim& material = testing::NewMaterial(host, u"CoronaMtl", u"M");
    if (c.type != kMissing)
      testing::AddParam(material, u"Param", c.type, {testing::Number(c.value)});
    std::vector<Text> lines;
    c.write(lines, host, material, ParamRow{u"key", u"param", c.write});
    const std::vector<Text> expected =
        c.line.empty() ? std::vector<Text>{} : std::vector<Text>{Text(c.line)};
    EXPECT_EQ(lines, expected) << c.what;
  }
}

}  // namespace
}  // namespace larkspur
