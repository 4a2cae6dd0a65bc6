#include "nodetree/param_lookup.h"

#include <gtest/gtest.h>

#include "nodetree/build_cache.h"
#include "nodetree/param_rows.h"
#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

using namespace larkspur::testing;
namespace pt = host::param_type;

class ParamLookupTest : public ::testing::Test {
 protected:
  SimHost host;
  SimAnim& mtl = host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
  SimAnim& map = host.NewAnim(host::super_class::kTexmap, u"CoronaBitmap");
};

TEST_F(ParamLookupTest, ScalarReadsByKindOfType) {
  SimParamBlock& b = AddBlock(mtl);
  AddParam(b, u"diffuseColor", pt::kRgba, Rgb(1, 0.5f, 0));
  AddParam(b, u"flag", pt::kBool, Number(2));
  AddParam(b, u"index", pt::kIndex, Number(-3));
  AddParam(b, u"angle", pt::kAngle, Number(1.5));
  AddParam(b, u"percent", pt::kPcntFrac, Number(0.5));
  AddParam(b, u"world", pt::kWorld, Number(12.25));
  AddParam(b, u"file", pt::kFilename, String(std::nullopt));
  AddParam(b, u"label", pt::kString, String(u"C:\\maps\\a.png"));
  AddParam(b, u"offset", pt::kPoint3, Xyz(0, 0, 1));
  AddParam(b, u"frgba", pt::kFrgba, Rgb(0.25f, 0, 1));
  AddParam(b, u"bitmap", pt::kTexmap, Ref(&map));
  const ParamIndex params(&mtl);

  struct Case {
    const char16_t* name;
    const char16_t* line;  // nullptr: nothing is written
  };
  const Case cases[] = {
      {u"DIFFUSECOLOR", u"\"k\":[1,0.5,0]"},
      {u"diffuse", nullptr},
      {u"flag", u"\"k\":true"},
      {u"index", u"\"k\":-3"},
      {u"angle", u"\"k\":1.5"},
      {u"percent", u"\"k\":0.5"},
      {u"world", u"\"k\":12.25"},
      {u"file", u"\"k\":\"\""},
      {u"label", u"\"k\":\"C:\\\\maps\\\\a.png\""},
      {u"offset", u"\"k\":[0,0,1]"},
      {u"frgba", u"\"k\":[0.25,0,1]"},
      {u"bitmap", nullptr},
      {u"missing", nullptr},
  };
  for (const Case& c : cases) {
    ParamLines lines;
    const ParamRow row{u"k", c.name, LineRow};
    LineRow(RowContext{host, mtl, params}, row, lines);
    if (c.line) {
      ASSERT_EQ(lines.size(), 1u) << ToUtf8(c.name);
      EXPECT_EQ(FromUtf8(lines[0]), c.line) << ToUtf8(c.name);
    } else {
      EXPECT_TRUE(lines.empty()) << ToUtf8(c.name);
    }
  }
  EXPECT_EQ(FindParamValue(host, params, u"file").kind, ParamKind::String);
  EXPECT_EQ(FindParamRef(host, params, u"bitmap"), &map);
  EXPECT_EQ(FindParamRef(host, params, u"diffuseColor"), nullptr);
}

TEST_F(ParamLookupTest, SearchGoesOnPastUnsupportedTypesAndEmptyBlocks) {
  mtl.blocks.push_back(nullptr);
  SimParamBlock& noDesc = AddBlock(mtl);
  AddParam(noDesc, u"amount", pt::kFloat, Number(9));
  noDesc.desc = nullptr;
  SimParamBlock& first = AddBlock(mtl);
  AddParam(first, std::nullopt, pt::kFloat, {Number(7)});
  AddParam(first, u"amount", 17, Number(0));
  AddParam(first, u"map", pt::kFloat, Number(1));
  SimParamBlock& second = AddBlock(mtl);
  AddParam(second, u"Amount", pt::kFloat, Number(2.5));
  AddParam(second, u"map", pt::kTexmap, Ref(nullptr));
  AddParam(second, u"map", pt::kTexmap, Ref(&map));
  const ParamIndex params(&mtl);

  const ParamValue amount = FindParamValue(host, params, u"amount");
  EXPECT_EQ(amount.kind, ParamKind::Float);
  EXPECT_EQ(amount.floatValue, 2.5f);
  // A reference parameter holding nothing still ends the search.
  EXPECT_EQ(FindParamRef(host, params, u"map"), nullptr);
  EXPECT_EQ(FindParamValue(host, ParamIndex(nullptr), u"amount").kind, ParamKind::None);
  EXPECT_EQ(FindParamTabCount(ParamIndex(nullptr), u"amount"), -1);
}

TEST_F(ParamLookupTest, TablesAreDecidedByTheFirstDefinitionOfTheName) {
  SimParamBlock& b = AddBlock(mtl);
  AddParam(b, u"blendAmounts", pt::kTab + pt::kFloat, {Number(0.25), Number(0.5), Number(1)});
  AddParam(b, u"submap_on", pt::kTab + pt::kBool, {Number(1), Number(0)});
  AddParam(b, u"fractions", pt::kTab + pt::kPcntFrac, {Number(0.5)});
  AddParam(b, u"colors", pt::kTab + pt::kRgba, {Rgb(1, 0, 0)});
  AddParam(b, u"names", pt::kTab + pt::kString, {String(std::nullopt)});
  SimParamBlock& later = AddBlock(mtl);
  AddParam(later, u"fractions", pt::kTab + pt::kFloat, {Number(3)});
  const ParamIndex params(&mtl);

  EXPECT_EQ(FindParamTabCount(params, u"blendamounts"), 3);
  EXPECT_EQ(FindParamTabCount(params, u"fractions"), -1);
  EXPECT_EQ(FindParamTabValue(host, params, u"fractions", 0).kind, ParamKind::None);

  const ParamValue last = FindParamTabValue(host, params, u"blendAmounts", 2);
  EXPECT_EQ(last.kind, ParamKind::Float);
  EXPECT_EQ(last.floatValue, 1.0f);
  // The host refuses a read beyond the end: the zero value, with the kind still set.
  const ParamValue beyond = FindParamTabValue(host, params, u"blendAmounts", 5);
  EXPECT_EQ(beyond.kind, ParamKind::Float);
  EXPECT_EQ(beyond.floatValue, 0.0f);

  EXPECT_TRUE(FindParamTabValue(host, params, u"submap_on", 0).boolValue);
  const ParamValue off = FindParamTabValue(host, params, u"submap_on", 1);
  EXPECT_EQ(off.kind, ParamKind::Bool);
  EXPECT_FALSE(off.boolValue);
  EXPECT_EQ(FindParamTabValue(host, params, u"colors", 0).colorValue.r, 1.0f);
  EXPECT_EQ(FindParamTabValue(host, params, u"names", 0).kind, ParamKind::String);
  // A scalar read of a table parameter finds nothing.
  EXPECT_EQ(FindParamValue(host, params, u"blendAmounts").kind, ParamKind::None);
}

// The index answers by the first definition of a name: a read the host refuses there still
// decides, and a later block's value of the same name is not used.
TEST_F(ParamLookupTest, RefusedFirstDefinitionStillDecides) {
  SimParamBlock& first = AddBlock(mtl);
  AddParam(first, u"amount", pt::kFloat, Number(9));
  first.values.back() = {};
  AddParam(AddBlock(mtl), u"AMOUNT", pt::kFloat, Number(2.5));
  const ParamValue amount = FindParamValue(host, ParamIndex(&mtl), u"Amount");
  EXPECT_EQ(amount.kind, ParamKind::Float);
  EXPECT_EQ(amount.floatValue, 0.0f);
}

// Objects whose blocks have the same descriptors share one set of names in a build, yet each
// reads its own block at the slot's index.
TEST_F(ParamLookupTest, ABuildSharesNamesBetweenObjectsButReadsEachObjectsBlocks) {
  SimAnim& other = host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
  SimAnim& unlike = host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
  mtl.blocks.push_back(nullptr);
  AddParam(AddBlock(mtl), u"amount", pt::kFloat, Number(1));
  other.blocks.push_back(nullptr);
  other.blocks.push_back(std::make_unique<SimParamBlock>());
  other.blocks.back()->desc = mtl.blocks.back()->desc;
  other.blocks.back()->values.push_back(std::vector<SimValue>{Number(2)});
  AddParam(AddBlock(unlike), u"amount", pt::kFloat, Number(3));
  BuildCache cache;
  const std::pair<const SimAnim*, float> cases[] = {{&mtl, 1}, {&other, 2}, {&unlike, 3}};
  for (const auto& [object, expected] : cases) {
    EXPECT_EQ(FindParamValue(host, cache.ParamsOf(*object), u"amount").floatValue, expected);
  }
  EXPECT_EQ(&cache.ParamsOf(mtl), &cache.ParamsOf(mtl));
}

// Names fold A-Z only: units one bit apart like a letter's two cases, letters beyond ASCII and
// longer names do not match.
TEST_F(ParamLookupTest, FoldingIsAsciiLettersOnly) {
  AddParam(AddBlock(mtl), u"a@[\u00C4", pt::kFloat, Number(1));
  const ParamIndex params(&mtl);
  EXPECT_EQ(FindParamValue(host, params, u"A@[\u00C4").kind, ParamKind::Float);
  for (std::u16string_view other : {u"a`[\u00C4", u"a@{\u00C4", u"a@[\u00E4", u"a@[\u00C4a"}) {
    EXPECT_EQ(FindParamValue(host, params, other).kind, ParamKind::None) << ToUtf8(other);
  }
}

}  // namespace
}  // namespace larkspur
