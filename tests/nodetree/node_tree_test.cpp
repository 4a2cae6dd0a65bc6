#include "nodetree/node_tree.h"

#include <gtest/gtest.h>

#include <string>

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
  std::string tree;
  BuildNodeTree(host, cache, &other, 0, tree);
  const std::string end = "\"type\": \"Box\",\n  \"name\": \"\"\n}";
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
  std::string deepest;
  BuildNodeTree(host, cache, &Chain(host, kMaxNodeTreeLevels), 2, deepest);
  EXPECT_NE(deepest.find(std::string(2 * (2 + kMaxNodeTreeLevels), ' ') + "}"), std::string::npos);
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, cache, &Chain(host, kMaxNodeTreeLevels + 1), 2, deepest),
               NodeTreeError);
  ResetNodeRegistry();
  EXPECT_THROW(BuildNodeTree(host, cache, &Chain(host, 20000), 2, deepest), NodeTreeError);
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
  std::string tree;
  EXPECT_THROW(BuildNodeTree(host, cache, next, 2, tree), NodeTreeError);
}

// What a build keeps of a node is shared by its trees; ids, references and indents are not. A map
// used twice in one tree is written once and referred to; in the next tree (registry emptied) it
// is written in full again under a new id, here one level deeper.
TEST(NodeTreeTest, SharedNodeKeepsIdsReferencesAndIndentsPerTree) {
  SimHost host;
  SimAnim& map = NewMap(host, u"Noise", u"N");
  testing::AddParam(map, u"size", host::param_type::kFloat, {testing::Number(2)});
  SimAnim& first = NewMaterial(host, u"CoronaMtl", u"A");
  AddSlot(first, u"d", &map);
  AddSlot(first, u"e", &map);
  SimAnim& second = NewMaterial(host, u"CoronaMtl", u"B");
  AddSlot(second, u"d", &map);
  BuildCache cache;
  std::string one, two;
  ResetNodeRegistry();
  BuildNodeTree(host, cache, &first, 2, one);
  ResetNodeRegistry();
  BuildNodeTree(host, cache, &second, 3, two);

  // The id after key in tree; -1 when the tree lacks key.
  const auto idAfter = [](const std::string& tree, const std::string& key) {
    const size_t at = tree.find(key);
    return at == std::string::npos ? -1 : std::stoi(tree.substr(at + key.size(), 10));
  };
  const int mapInOne = idAfter(one, "\"d\":       {\n        \"node_id\": ");
  EXPECT_GT(mapInOne, 0);
  EXPECT_EQ(idAfter(one, "\"e\":       { \"ref\": "), mapInOne);
  EXPECT_NE(one.find("\n        \"size\":2"), std::string::npos);
  EXPECT_GT(idAfter(two, "\"d\":         {\n          \"node_id\": "), mapInOne);
  EXPECT_NE(two.find("\n          \"size\":2"), std::string::npos);
}

}  // namespace
}  // namespace larkspur
