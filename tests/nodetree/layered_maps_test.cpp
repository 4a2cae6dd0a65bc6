#include "nodetree/layered_maps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;

// The layered-maps scene's golden package shows every ordinary case; here, what a scene file
// cannot hold.
TEST(LayeredMapsTest, CorruptItemCountsStayBounded) {
  const struct {
    double items;
    std::u16string_view countLine;
    size_t written;  // elements of each per-item array; 0: no arrays
  } cases[] = {
      {1e10, u"\"item_count\":2147483647", 100000},
      {-1e10, u"\"item_count\":-2147483648", 0},
      {std::numeric_limits<double>::quiet_NaN(), u"\"item_count\":0", 0},
  };
  for (const auto& c : cases) {
    sim::SimHost host;
    sim::SimAnim& map = testing::NewMap(host, u"CoronaMultiMap", u"Multi");
    testing::AddParam(map, u"items", pt::kFloat, {testing::Number(c.items)});
    const std::vector<Text> lines =
        testing::LineTexts(ExportRows(RowContext{host, map, ParamIndex(&map)}, kMultiMapRows));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), c.countLine);
    if (c.written == 0) {
      EXPECT_EQ(lines.size(), 2u) << "item_count and randomize_by only";
      continue;
    }
    ASSERT_EQ(lines.size(), 5u);
    const Text& mapSwitches = lines.back();
    EXPECT_EQ(static_cast<size_t>(std::count(mapSwitches.begin(), mapSwitches.end(), u',')) + 1,
              c.written);
  }
}

TEST(LayeredMapsTest, NonFiniteFrequencyIsNull) {
  sim::SimHost host;
  sim::SimAnim& map = testing::NewMap(host, u"CoronaMultiMap", u"Multi");
  testing::AddParam(map, u"items", pt::kInt, {testing::Number(2)});
  testing::AddParam(
      map, u"frequency", pt::kFloat + pt::kTab,
      {testing::Number(std::numeric_limits<double>::infinity()), testing::Number(0.25)});
  const std::vector<Text> lines =
      testing::LineTexts(ExportRows(RowContext{host, map, ParamIndex(&map)}, kMultiMapRows));
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"\"frequency\":[null,0.250000]"), lines.end());
}

}  // namespace
}  // namespace larkspur
