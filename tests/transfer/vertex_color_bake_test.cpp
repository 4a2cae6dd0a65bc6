#include "transfer/vertex_color_bake.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>
#include <random>

#include "host/text.h"
#include "tests/host/scene_test_util.h"
#include "transfer/mesh_elements.h"

namespace larkspur {
namespace {

using sim::SimHost;
using sim::SimMesh;
using sim::testing::Document;
using sim::testing::LoadOrFail;

SimMesh MeshOf(int vertexCount, std::vector<std::array<uint32_t, 3>> faces) {
  SimMesh mesh;
  mesh.vertices.resize(vertexCount);
  for (const auto& f : faces) mesh.faces.push_back(sim::SimFace{f, 0});
  return mesh;
}

TEST(ComputeMeshElements, JoinsFacesThroughEdgesNumberedByLowestFace) {
  const struct {
    const char* what;
    int vertexCount;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<int32_t> elements;
  } cases[] = {
      {"no faces", 3, {}, {}},
      {"one vertex shared", 5, {{0, 1, 2}, {2, 3, 4}}, {0, 1}},
      {"an edge shared, reversed", 4, {{0, 1, 2}, {2, 1, 3}}, {0, 0}},
      {"joined through later faces",
       12,
       {{0, 1, 2}, {7, 8, 9}, {3, 4, 5}, {1, 2, 3}, {2, 3, 4}},
       {0, 1, 0, 0, 0}},
      // A face that repeats a vertex counts each of its corners: seen from a face holding that
      // vertex once, its two corners on it join, the other way round one corner does not.
      {"repeated vertex met second", 7, {{1, 5, 6}, {1, 1, 2}}, {0, 0}},
      {"repeated vertex met first", 7, {{1, 1, 2}, {1, 5, 6}}, {0, 1}},
      {"degenerate faces", 3, {{0, 0, 0}, {0, 0, 1}, {2, 2, 2}}, {0, 0, 1}},
      {"corner beyond the vertex count", 3, {{0, 1, 9}, {0, 1, 2}, {9, 9, 9}}, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComputeMeshElements(MeshOf(c.vertexCount, c.faces)), c.elements) << c.what;
  }
}

// Faces of three distinct vertices join exactly when they share an edge: a pairwise union-find
// numbered by lowest face must agree with the breadth-first table on any such mesh.
TEST(ComputeMeshElements, AgreesWithPairwiseEdgeUnionOnRandomMeshes) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 20; ++round) {
    const uint32_t vertexCount = 8 + random() % 40;
    std::vector<std::array<uint32_t, 3>> faces(10 + random() % 150);
    for (auto& f : faces) {
      f[0] = random() % vertexCount;
      do f[1] = random() % vertexCount;
      while (f[1] == f[0]);
      do f[2] = random() % vertexCount;
      while (f[2] == f[0] || f[2] == f[1]);
    }
    std::vector<size_t> parent(faces.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](size_t x) {
      while (parent[x] != x) x = parent[x];
      return x;
    };
    for (size_t i = 0; i < faces.size(); ++i) {
      for (size_t j = i + 1; j < faces.size(); ++j) {
        int shared = 0;
        for (uint32_t v : faces[j])
          shared += (v == faces[i][0] || v == faces[i][1] || v == faces[i][2]);
        if (shared >= 2) parent[std::max(find(i), find(j))] = std::min(find(i), find(j));
      }
    }
    std::vector<int32_t> expected(faces.size());
    std::vector<int32_t> numberOfRoot(faces.size(), -1);
    int32_t next = 0;
    for (size_t f = 0; f < faces.size(); ++f) {
      int32_t& number = numberOfRoot[find(f)];
      if (number < 0) number = next++;
      expected[f] = number;
    }
    EXPECT_EQ(ComputeMeshElements(MeshOf(vertexCount, faces)), expected) << "round " << round;
  }
}

TEST(ElementGreyLevel, CyclesThroughTheInputsFromTheSeed) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const struct {
    int32_t seed, element, activeCount;
    float grey;
  } cases[] = {
      {0, 0, 2, 1.0f},
      {0, 1, 2, 0.0f},
      {0, 2, 2, 1.0f},  // r = 1, 2, 3
      {5, 0, 2, 0.0f},
      {5, 1, 2, 1.0f},  // r = 156, 157
      {-1, 0, 2, 0.0f},
      {-1, 1, 2, 1.0f},
      {-1, 0, 7, 2 / 6.0f},  // |r| = 30, 29; 30 mod 7 = 2
      {0, 0, 3, 0.5f},
      {0, 1, 3, 1.0f},
      {0, 2, 3, 0.0f},
      {9, 4, 1, 0.0f},
      {9, 4, 0, 0.0f},
      {9, 4, -3, 0.0f},
      // 64-bit: |kMin * 31 + 1 + kMax| = 64424509440, which is 30 modulo kMax.
      {kMin, kMax, kMax, 30.0f / 2147483646.0f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ElementGreyLevel(c.seed, c.element, c.activeCount), c.grey)
        << c.seed << " " << c.element << " " << c.activeCount;
  }
}

// One geometry node "Boxes" of three separate triangles, with material "mat" holding the map.
std::string BakeScene(const std::string& map, const std::string& more = "") {
  return Document(R"("nodes": [{"name": "Boxes", "object": "boxes", "material": "mat"}],
    "anims": {"mat": {"super": "material", "class": "Std", "name": "M",
                      "sub_texmaps": [{"slot": "Diffuse", "map": "map"}]},
              "map": )" +
                  map + more + R"(,
              "boxes": {"super": "geometry", "class": "Box", "class_id": [16, 0], "mesh": {
                "vertices": [[0,0,0],[1,0,0],[0,1,0],[5,0,0],[6,0,0],[5,1,0],[9,0,0],[9,1,0],[8,0,0]],
                "faces": [[0,1,2],[3,4,5],[6,7,8]], "vertex_colors": [[1,1,1],[1,1,1],[1,1,1],
                  [1,1,1],[1,1,1],[1,1,1],[1,1,1],[1,1,1],[1,1,1]]}}})");
}

std::string MultiTexture(const std::string& switches, const std::string& seed) {
  return R"({"super": "texmap", "class": "MultiTexture", "sub_texmaps": [)" +
         std::string(R"({"slot": "1", "map": null}, {"slot": "2", "map": null},)"
                     R"({"slot": "3", "map": null}, {"slot": "4", "map": null}])") +
         R"(, "params": [[{"name": "submap_on", "type": "TYPE_BOOL_TAB", "value": )" + switches +
         "}" + seed + "]]}";
}

// The grey of each element's three vertices; -1 where they differ.
std::vector<float> ElementGreys(const SimMesh& mesh) {
  std::vector<float> greys;
  for (size_t v = 0; v < 9; v += 3) {
    const float g = mesh.vertexColors[v]->x;
    bool same = true;
    for (size_t k = v; k < v + 3; ++k) {
      const host::Point3 c = *mesh.vertexColors[k];
      same = same && c.x == g && c.y == g && c.z == g;
    }
    greys.push_back(same ? g : -1.0f);
  }
  return greys;
}

TEST(BakeMultiTextureVC, ColoursEachElementByItsInputIndex) {
  const struct {
    const char* what;
    std::string switches, seed;
    std::vector<float> greys;
    const char16_t* log;
  } cases[] = {
      {"seed 0",
       "[true, false, true, false]",
       R"(,{"name":"seed","type":"TYPE_INT","value":0})",
       {1, 0, 1},
       u"(activeCount=2)"},
      {"seed 5",
       "[true, false, true, false]",
       R"(,{"name":"seed","type":"TYPE_INT","value":5})",
       {0, 1, 0},
       u"(activeCount=2)"},
      {"seed -1",
       "[true, false, true, false]",
       R"(,{"name":"Seed","type":"TYPE_INT","value":-1})",
       {0, 1, 0},
       u"(activeCount=2)"},
      {"seed 2.9 counts as 2",
       "[true, true, 1, false]",
       R"(,{"name":"seed","type":"TYPE_FLOAT","value":2.9})",
       {0, 0.5f, 1},
       u"(activeCount=3)"},
      {"no seed, three inputs",
       "[true, true, true, false, true]",
       "",
       {0.5f, 1, 0},
       u"(activeCount=3)"},  // the fifth switch has no input and is not counted
      {"a seed of no number kind",
       "[true, true, true, false]",
       R"(,{"name":"seed","type":"TYPE_STRING","value":"7"})",
       {0.5f, 1, 0},
       u"(activeCount=3)"},
      {"one input",
       "[false, 2, false, false]",
       R"(,{"name":"seed","type":"TYPE_INT","value":8})",
       {0, 0, 0},
       u"(activeCount=1)"},
  };
  for (const auto& c : cases) {
    const auto host = LoadOrFail(BakeScene(MultiTexture(c.switches, c.seed)));
    ASSERT_TRUE(host);
    EXPECT_EQ(BakeMultiTextureVC(*host), 1) << c.what;
    // The box is not a triangle object: the node now holds the coloured copy.
    sim::SimAnim* baked = host->Owned(host->Root().children[0]->GetObjectRef());
    ASSERT_NE(baked, host->FindAnim("boxes")) << c.what;
    ASSERT_EQ(baked->id, "boxes_mesh") << c.what;
    EXPECT_EQ(ElementGreys(*baked->mesh), c.greys) << c.what;
    EXPECT_EQ(baked->mesh->colorFaces,
              (std::vector<std::array<uint32_t, 3>>{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}));
    EXPECT_EQ(baked->mesh->geomCacheInvalidations, 1);
    EXPECT_EQ(ElementGreys(*host->FindAnim("boxes")->mesh), (std::vector<float>{1, 1, 1}));
    ASSERT_EQ(host->log.size(), 1u) << c.what;
    EXPECT_EQ(host->log[0].type, host::LogType::kInfo);
    EXPECT_EQ(host->log[0].title, u"Larkspur");
    EXPECT_EQ(host->log[0].text, u"[Larkspur VC] Boxes (MultiTexture): bake OK " + Text(c.log));
  }
}

std::string CoronaMultiMap(const std::string& params) {
  return R"({"super": "texmap", "class": "CoronaMultiMap", "params": [[)" + params + "]]}";
}

TEST(BakeMultiTextureVC, LogsEveryDecisionOfACoronaMultiMap) {
  const std::string on3 =
      R"({"name":"texmapsOn","type":"TYPE_BOOL_TAB","value":[true,false,true]})";
  const std::u16string head = u"[Larkspur VC] Boxes (CoronaMultiMap): ";
  const std::u16string notRequested =
      u"SKIPPED baking \u2014 Mesh Element not requested (Instance-only, driven in Blender)";
  const struct {
    const char* what;
    std::string params;
    std::vector<host::LogType> types;
    std::vector<std::u16string> texts;
  } cases[] = {
      {"not randomized",
       on3 + R"(,{"name":"items","type":"TYPE_INT","value":3},
                 {"name":"randomizeMeshElement","type":"TYPE_BOOL","value":false})",
       {host::LogType::kInfo, host::LogType::kInfo},
       {u"items=3 activeCount=2 randomizeMeshElement=false", notRequested}},
      {"no items",
       on3 + R"(,{"name":"items","type":"TYPE_INT","value":0},
                 {"name":"randomizeMeshElement","type":"TYPE_BOOL","value":true})",
       {host::LogType::kInfo, host::LogType::kWarn},
       {u"items=0 activeCount=0 randomizeMeshElement=true", u"SKIPPED \u2014 activeCount is 0"}},
      {"items not an int, randomize not a bool",
       on3 + R"(,{"name":"items","type":"TYPE_FLOAT","value":3},
                 {"name":"randomizeMeshElement","type":"TYPE_INT","value":1})",
       {host::LogType::kInfo, host::LogType::kWarn},
       {u"items=0 activeCount=0 randomizeMeshElement=false", u"SKIPPED \u2014 activeCount is 0"}},
      {"more items than switches",
       on3 + R"(,{"name":"items","type":"TYPE_INT","value":2000000000},
                 {"name":"randomizeMeshElement","type":"TYPE_BOOL","value":true})",
       {host::LogType::kInfo, host::LogType::kInfo},
       {u"items=2000000000 activeCount=2 randomizeMeshElement=true", u"bake OK (activeCount=2)"}},
  };
  for (const auto& c : cases) {
    const auto host = LoadOrFail(BakeScene(CoronaMultiMap(c.params)));
    ASSERT_TRUE(host);
    BakeMultiTextureVC(*host);
    ASSERT_EQ(host->log.size(), c.types.size()) << c.what;
    for (size_t i = 0; i < c.types.size(); ++i) {
      EXPECT_EQ(host->log[i].type, c.types[i]) << c.what;
      EXPECT_EQ(host->log[i].text, head + c.texts[i]) << c.what;
    }
  }
}

TEST(BakeMultiTextureVC, TakesTheFirstMapOfTheWalkAndOnlyGeometryWithOne) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "Omni", "object": "omni", "material": "multi"},
              {"name": "Plain", "object": "box", "material": "plain"},
              {"name": "Solid", "object": "solid", "material": "multi"},
              {"name": "Tri", "object": "stack", "material": "multi"}],
    "anims": {
      "multi": {"super": "material", "class": "Multi", "sub_materials": ["inner"],
                "sub_texmaps": [{"slot": "m", "map": "mix"}]},
      "inner": {"super": "material", "class": "Std",
                "sub_texmaps": [{"slot": "d", "map": "mt"}]},
      "mix": {"super": "texmap", "class": "Mix", "sub_texmaps": [{"slot": "1", "map": "cmm"}]},
      "cmm": {"super": "texmap", "class": "CoronaMultiMap", "params": [[
        {"name": "items", "type": "TYPE_INT", "value": 1},
        {"name": "texmapsOn", "type": "TYPE_BOOL_TAB", "value": [true]},
        {"name": "randomizeMeshElement", "type": "TYPE_BOOL", "value": true}]]},
      "mt": {"super": "texmap", "class": "MultiTexture"},
      "plain": {"super": "material", "class": "Std"},
      "omni": {"super": "light", "class": "Omnilight"},
      "box": {"super": "geometry", "class": "Box", "mesh": {"vertices": [[0,0,0]], "faces": []}},
      "solid": {"super": "geometry", "class": "NURBS"},
      "stack": {"super": "derived", "class": "Derived Object", "object": "tri"},
      "tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0],
              "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(BakeMultiTextureVC(*host), 1);
  std::vector<Text> log;
  for (const sim::SimLogEntry& entry : host->log) log.push_back(entry.text);
  const Text solid = u"[Larkspur VC] Solid (CoronaMultiMap): ";
  const Text tri = u"[Larkspur VC] Tri (CoronaMultiMap): ";
  EXPECT_EQ(log, (std::vector<Text>{solid + u"items=1 activeCount=1 randomizeMeshElement=true",
                                    solid + u"bake FAILED (activeCount=1)",  // no mesh to convert
                                    tri + u"items=1 activeCount=1 randomizeMeshElement=true",
                                    tri + u"bake OK (activeCount=1)"}));
  EXPECT_EQ(host->log[1].type, host::LogType::kWarn);
  // Already a triangle object: coloured in place, the node keeps its stack.
  EXPECT_EQ(host->Root().children[3]->GetObjectRef(), host->FindAnim("stack"));
  EXPECT_TRUE(host->FindAnim("tri")->mesh->hasVertexColors);
}

// An object whose conversion gives a new object without a mesh.
class MeshlessConversion : public sim::SimAnim {
 public:
  explicit MeshlessConversion(SimHost& owner) : SimAnim(owner), owner_(owner) {
    superClass = host::super_class::kGeomObject;
  }
  bool CanConvertToType(host::ClassId) const override { return true; }
  host::Anim* ConvertToType(host::TimeValue, host::ClassId type) override {
    return &owner_.NewAnim(host::super_class::kGeomObject, u"Empty", type, "temporary");
  }

 private:
  SimHost& owner_;
};

TEST(BakeNodeElementColors, DeletesAConvertedObjectItDoesNotHandOn) {
  SimHost host;
  MeshlessConversion object(host);
  sim::SimNode node;
  node.object = &object;
  sim::SimAnim& map = host.NewAnim(host::super_class::kTexmap, u"MultiTexture");
  EXPECT_FALSE(BakeNodeElementColors(host, node, map, 2, 0));
  EXPECT_EQ(host.FindAnim("temporary"), nullptr);
  EXPECT_EQ(node.object, &object);
}

}  // namespace
}  // namespace larkspur
