#include "nodetree/node_tree.h"

#include <gtest/gtest.h>

#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

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

TEST(NodeTreeTest, OnlyMaterialsAndMapsHaveNamesAndChildren) {
  SimHost host;
  SimAnim& other = host.NewAnim(host::super_class::kGeomObject, u"Box");
  other.name = u"Box001";
  AddSlot(other, u"a", &NewMap(host, u"Noise", u"N"));
  EXPECT_EQ(BuildFresh(host, &other, 0),
            u"{\n  \"node_id\": 1,\n  \"type\": \"Box\",\n  \"name\": \"\"\n}");
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
