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

TEST(NodeTreeTest, OnlyMaterialsAndMapsHaveNamesAndChildren) {
  SimHost host;
  SimAnim& other = host.NewAnim(host::super_class::kGeomObject, u"Box");
  other.name = u"Box001";
  AddSlot(other, u"a", &NewMap(host, u"Noise", u"N"));
  ResetNodeRegistry();
  BuildCache cache;
  Text tree;
  BuildNodeTree(host, cache, &other, 0, tree);
  const Text end = u"\"type\": \"Box\",\n  \"name\": \"\"\n}";
  ASSERT_GT(tree.size(), end.size());
  EXPECT_EQ(tree.substr(tree.size() - end.size()), end);
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
  BuildCache cache;
  ResetNodeRegistry();
  Text deepest;
  BuildNodeTree(host, cache, &Chain(host, kMaxNodeTreeLevels), 2, deepest);
  EXPECT_NE(deepest.find(Text(2 * (2 + kMaxNodeTreeLevels), u' ') + u"}"), Text::npos);
  ResetNodeRegistry();
  Text tooDeep;
  EXPECT_THROW(BuildNodeTree(host, cache, &Chain(host, kMaxNodeTreeLevels + 1), 2, tooDeep),
               NodeTreeError);
  ResetNodeRegistry();
  Text tooLarge;
  EXPECT_THROW(BuildNodeTree(host, cache, &Chain(host, 20000), 2, tooLarge), NodeTreeError);
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
  BuildCache cache;
  Text tree;
  EXPECT_THROW(BuildNodeTree(host, cache, next, 2, tree), NodeTreeError);
}

}  // namespace
}  // namespace larkspur
