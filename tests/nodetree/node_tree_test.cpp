#include "nodetree/node_tree.h"

#include <gtest/gtest.h>

#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

using testing::AddBoolTable;
using testing::AddFloatTable;
using testing::AddSlot;
using testing::NewMap;
using testing::NewMaterial;
using testing::SimAnim;
using testing::SimHost;

// Builds a fresh tree and returns it with ids counted from the first id it drew.
Text BuildFresh(SimHost& host, host::Anim* object, int depth = 2) {
  ResetNodeRegistry();
  const int32_t base = LastNodeId();
  return testing::RenumberNodeIds(BuildNodeTree(host, object, depth), base);
}

TEST(NodeTreeTest, NullObjectIsNull) {
  SimHost host;
  EXPECT_EQ(BuildNodeTree(host, nullptr, 2), u"null");
}

TEST(NodeTreeTest, SharedMapIsWrittenOnceThenReferenced) {
  SimHost host;
  SimAnim& falloff = NewMap(host, u"Falloff", u"Edge");
  SimAnim& bitmap = NewMap(host, u"CoronaBitmap", u"Map 1");
  AddSlot(falloff, u"S1", &bitmap);
  AddSlot(falloff, u"S2", &bitmap);
  EXPECT_EQ(BuildFresh(host, &falloff),
            u"    {\n"
            u"      \"node_id\": 1,\n"
            u"      \"type\": \"falloff\",\n"
            u"      \"name\": \"Edge\",\n"
            u"      \"children\": {\n"
            u"        \"S1\":       {\n"
            u"        \"node_id\": 2,\n"
            u"        \"type\": \"CoronaBitmap\",\n"
            u"        \"name\": \"Map 1\",\n"
            u"        \"filepath\":\"\"\n"
            u"      },\n"
            u"        \"S2\":       { \"ref\": 2 }\n"
            u"      }\n"
            u"    }");
}

TEST(NodeTreeTest, IdsKeepCountingAndTheRegistryHoldsUntilReset) {
  SimHost host;
  SimAnim& map = NewMap(host, u"Noise", u"N");
  ResetNodeRegistry();
  const int32_t before = LastNodeId();
  const Text first = BuildNodeTree(host, &map, 0);
  EXPECT_EQ(LastNodeId(), before + 1);
  EXPECT_EQ(BuildNodeTree(host, &map, 0), u"{ \"ref\": " + FormatInt(before + 1) + u" }");
  ResetNodeRegistry();
  const Text again = BuildNodeTree(host, &map, 0);
  EXPECT_EQ(LastNodeId(), before + 2);
  EXPECT_EQ(testing::RenumberNodeIds(first, before), testing::RenumberNodeIds(again, before + 1));
}

TEST(NodeTreeTest, ObjectWithoutHandleIsWrittenInFullEachTime) {
  SimHost host;
  SimAnim& owner = NewMap(host, u"Mix", u"Mix");
  SimAnim& map = NewMap(host, u"Noise", u"N");
  map.handle = 0;
  AddSlot(owner, u"a", &map);
  AddSlot(owner, u"b", &map);
  const Text tree = BuildFresh(host, &owner);
  EXPECT_EQ(tree.find(u"\"ref\""), Text::npos);
  EXPECT_NE(tree.find(u"\"node_id\": 3"), Text::npos);
}

TEST(NodeTreeTest, SlotNamesAreUniquePerNode) {
  SimHost host;
  SimAnim& material = NewMaterial(host, u"CoronaMtl", u"M");
  SimAnim& map = NewMap(host, u"Noise", u"N");
  map.handle = 0;                       // every slot writes a child entry
  AddSlot(material, u"", &map);         // empty: slot_1
  AddSlot(material, u"Bump", nullptr);  // empty slot, but its name counts as used
  AddSlot(material, u"Bump", &map);     // repeated: slot_3
  AddSlot(material, u"bump", &map);     // names are compared case-sensitively
  AddSlot(material, u"Quote\"", &map);  // escaped
  const Text tree = BuildFresh(host, &material);
  for (std::u16string_view key :
       {u"\"slot_1\": ", u"\"slot_3\": ", u"\"bump\": ", u"\"Quote\\\"\": "}) {
    EXPECT_NE(tree.find(key), Text::npos) << ToUtf8(key);
  }
  EXPECT_EQ(tree.find(u"\"Bump\""), Text::npos);
}

TEST(NodeTreeTest, FixedTypeStrings) {
  const struct {
    std::u16string_view className;
    std::u16string_view type;
  } cases[] = {
      {u"Bitmap", u"Bitmaptexture"},
      {u"bitmap", u"Bitmaptexture"},
      {u"BITMAP", u"Bitmaptexture"},
      {u"Bitmap2", u"Bitmap2"},
      {u"Falloff", u"falloff"},
      {u"Composite", u"CompositeTexturemap"},
      {u"color correction", u"Color_Correction"},
      {u"OUTPUT", u"output"},
      {u"CoronaBitmap", u"CoronaBitmap"},
      {u"Bitmaptexture", u"Bitmaptexture"},
      {u"Tab\t", u"Tab\\t"},
  };
  SimHost host;
  for (const auto& c : cases) {
    SimAnim& map = NewMap(host, Text(c.className), u"");
    const Text tree = BuildFresh(host, &map, 0);
    EXPECT_NE(tree.find(u"\"type\": \"" + Text(c.type) + u"\",\n"), Text::npos)
        << ToUtf8(c.className);
  }
}

TEST(NodeTreeTest, OnlyMaterialsAndMapsHaveNamesAndChildren) {
  SimHost host;
  SimAnim& other = host.NewAnim(host::super_class::kGeomObject, u"Box");
  other.name = u"Box001";
  AddSlot(other, u"a", &NewMap(host, u"Noise", u"N"));
  EXPECT_EQ(BuildFresh(host, &other, 0),
            u"{\n  \"node_id\": 1,\n  \"type\": \"Box\",\n  \"name\": \"\"\n}");
}

// The text after "blend_amount" of the numbered layer.
Text BlendAmount(const Text& tree, int layer) {
  const std::u16string_view key = u"\"blend_amount\": ";
  const size_t at = tree.find(key, tree.find(u"\"layer_" + FormatInt(layer) + u"\""));
  if (at == Text::npos) return u"(none)";
  return tree.substr(at + key.size(), tree.find(u'\n', at) - at - key.size());
}

TEST(NodeTreeTest, BlendAmountsOfLayers) {
  SimHost host;
  SimAnim& layered = NewMaterial(host, u"CoronaLayeredMtl", u"L");
  layered.subMtls = {nullptr, nullptr, nullptr};
  const Text withoutTable = BuildFresh(host, &layered, 0);
  EXPECT_EQ(BlendAmount(withoutTable, 1), u"1");
  EXPECT_EQ(BlendAmount(withoutTable, 3), u"1");
  AddFloatTable(layered, u"blendAmounts", {0.25, 1e39});
  const Text withTable = BuildFresh(host, &layered, 0);
  EXPECT_EQ(BlendAmount(withTable, 1), u"0.25");
  EXPECT_EQ(BlendAmount(withTable, 2), u"null");
  EXPECT_EQ(BlendAmount(withTable, 3), u"0");  // beyond the table: the refused read leaves 0
}

TEST(NodeTreeTest, MultiTextureListsSwitchedOnMaps) {
  SimHost host;
  SimAnim& multi = NewMap(host, u"multiTexture", u"Random");
  SimAnim& a = NewMap(host, u"Noise", u"A");
  SimAnim& b = NewMap(host, u"Noise", u"B");
  AddSlot(multi, u"1", &a);
  AddSlot(multi, u"2", &b);       // switched off
  AddSlot(multi, u"3", nullptr);  // switched on but empty
  AddSlot(multi, u"4", &a);       // switched on: the second occurrence is a reference
  AddSlot(multi, u"5", &b);       // beyond the switches: the refused read is off
  AddBoolTable(multi, u"submap_on", {true, false, true, true});
  const Text tree = BuildFresh(host, &multi, 0);
  EXPECT_NE(tree.find(u"\"name\": \"Random\",\n    \"textures\": [\n  {\n    \"node_id\": 2,"),
            Text::npos);
  EXPECT_NE(tree.find(u"  },\n  { \"ref\": 2 }\n  ]\n}"), Text::npos);
  EXPECT_EQ(tree.find(u"\"B\""), Text::npos);

  SimAnim& all = NewMap(host, u"MultiTexture", u"All");
  AddSlot(all, u"1", &a);
  AddSlot(all, u"2", &b);
  const Text unswitched = BuildFresh(host, &all, 0);
  EXPECT_NE(unswitched.find(u"\"name\": \"B\""), Text::npos);
  EXPECT_EQ(unswitched.find(u"children"), Text::npos);

  SimAnim& none = NewMap(host, u"MultiTexture", u"None");
  AddSlot(none, u"1", nullptr);
  EXPECT_EQ(BuildFresh(host, &none, 0),
            u"{\n  \"node_id\": 1,\n  \"type\": \"MultiTexture\",\n  \"name\": \"None\"\n}");
}

TEST(NodeTreeTest, MaterialNamedMultiTextureHasChildren) {
  SimHost host;
  SimAnim& material = NewMaterial(host, u"MultiTexture", u"M");
  AddSlot(material, u"a", &NewMap(host, u"Noise", u"A"));
  EXPECT_NE(BuildFresh(host, &material, 0).find(u"\"children\": {"), Text::npos);
}

TEST(NodeTreeTest, CycleThroughHandlesEndsInReference) {
  SimHost host;
  SimAnim& a = NewMap(host, u"Mix", u"A");
  SimAnim& b = NewMap(host, u"Mix", u"B");
  AddSlot(a, u"in", &b);
  AddSlot(b, u"in", &a);
  EXPECT_NE(BuildFresh(host, &a, 0).find(u"{ \"ref\": 1 }"), Text::npos);
}

// A chain of maps levels deep below a material.
SimAnim& Chain(SimHost& host, int levels) {
  SimAnim& top = NewMaterial(host, u"CoronaMtl", u"Deep");
  SimAnim* last = &top;
  for (int i = 0; i < levels; ++i) {
    SimAnim& map = NewMap(host, u"Noise", u"");
    AddSlot(*last, u"in", &map);
    last = &map;
  }
  return top;
}

TEST(NodeTreeTest, NestingIsCapped) {
  SimHost host;
  ResetNodeRegistry();
  const Text deepest = BuildNodeTree(host, &Chain(host, kMaxNodeTreeLevels), 2);
  EXPECT_NE(deepest.find(Text(2 * (2 + kMaxNodeTreeLevels), u' ') + u"}"), Text::npos);
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, &Chain(host, kMaxNodeTreeLevels + 1), 2), NodeTreeError);
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, &Chain(host, 20000), 2), NodeTreeError);
}

TEST(NodeTreeTest, CycleWithoutHandlesThrows) {
  SimHost host;
  SimAnim& a = NewMap(host, u"Mix", u"A");
  SimAnim& b = NewMap(host, u"Mix", u"B");
  a.handle = 0;
  b.handle = 0;
  AddSlot(a, u"in", &b);
  AddSlot(b, u"in", &a);
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, &a, 2), NodeTreeError);
  SimAnim& self = NewMaterial(host, u"CoronaLayeredMtl", u"Self");
  self.handle = 0;
  self.subMtls = {&self};
  EXPECT_THROW(BuildNodeTree(host, &self, 2), NodeTreeError);
}

TEST(NodeTreeTest, EndlessFanOutThrows) {
  // Each level reaches the next twice and nothing has a handle: 2^40 nodes if written out.
  SimHost host;
  SimAnim* next = &NewMap(host, u"Noise", u"Leaf");
  next->handle = 0;
  for (int i = 0; i < 40; ++i) {
    SimAnim& map = NewMap(host, u"Mix", u"");
    map.handle = 0;
    AddSlot(map, u"a", next);
    AddSlot(map, u"b", next);
    next = &map;
  }
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, next, 2), NodeTreeError);
}

}  // namespace
}  // namespace larkspur
