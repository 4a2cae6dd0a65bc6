#include "nodetree/node_tree.h"

#include <gtest/gtest.h>

#include <regex>
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

// The tree with every id counted from its first node's.
std::string RelativeIds(const std::string& tree) {
  static const std::regex kId("(\"node_id\": |\"ref\": )(-?[0-9]+)");
  std::smatch first;
  if (!std::regex_search(tree, first, kId)) return tree;
  const long base = std::stol(first[2]);
  std::string out;
  auto from = tree.cbegin();
  for (std::sregex_iterator it(tree.begin(), tree.end(), kId), end; it != end; ++it) {
    out.append(from, (*it)[2].first);
    out += std::to_string(std::stol((*it)[2]) - base);
    from = (*it)[2].second;
  }
  return out.append(from, tree.cend());
}

// A tree met again in the same build is not walked again but must read as a walk would: the same
// text with fresh ids in walk order, its references pointing at them, and its nodes registered so
// that a later node of the same tree refers to them.
TEST(NodeTreeTest, TreeWrittenAgainReadsAsAFreshWalk) {
  SimHost host;
  SimAnim& map = NewMap(host, u"Noise", u"N");
  SimAnim& material = NewMaterial(host, u"CoronaMtl", u"A");
  AddSlot(material, u"d", &NewMap(host, u"Mix", u"M"));
  AddSlot(material, u"e", &map);
  AddSlot(material, u"f", &map);
  BuildCache cache;
  std::string walked, again, fresh, afterwards;
  ResetNodeRegistry();
  BuildNodeTree(host, cache, &material, 2, walked);
  ResetNodeRegistry();
  BuildNodeTree(host, cache, &material, 2, again);
  BuildNodeTree(host, cache, &map, 2, afterwards);
  BuildCache freshCache;
  ResetNodeRegistry();
  BuildNodeTree(host, freshCache, &material, 2, fresh);

  const auto firstId = [](const std::string& tree) {
    return std::stol(tree.substr(tree.find(": ") + 2));
  };
  EXPECT_EQ(firstId(again), firstId(walked) + 3);  // the material, its two maps
  EXPECT_EQ(RelativeIds(again), RelativeIds(walked));
  EXPECT_EQ(RelativeIds(fresh), RelativeIds(walked));
  const std::string mapId = again.substr(again.find("\"ref\": ") + 7);
  EXPECT_EQ(afterwards, "    { \"ref\": " + mapId.substr(0, mapId.find(' ')) + " }");
}

}  // namespace
}  // namespace larkspur
