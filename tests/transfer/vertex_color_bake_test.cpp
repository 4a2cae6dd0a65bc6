#include "transfer/vertex_color_bake.h"

#include <gtest/gtest.h>

#include "host/text.h"
#include "tests/host/scene_test_util.h"
#include "transfer/mesh_elements.h"

namespace larkspur {
namespace {

using sim::testing::Document;
using sim::testing::LoadOrFail;

TEST(ComputeMeshElements, JoinsFacesThroughEdgesNumberedByLowestFace) {
  const struct {
    const char* what;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<int32_t> elements;
  } cases[] = {
      {"no faces", {}, {}},
      {"one vertex shared", {{0, 1, 2}, {2, 3, 4}}, {0, 1}},
      {"an edge shared", {{0, 1, 2}, {2, 1, 3}}, {0, 0}},
      {"joined through later faces",
       {{0, 1, 2}, {7, 8, 9}, {3, 4, 5}, {1, 2, 3}, {2, 3, 4}},
       {0, 1, 0, 0, 0}},
      // Each corner of a face that repeats a vertex counts: seen from a face holding that vertex
      // once, its two corners on it join; the other way round, its one corner does not.
      {"repeated vertex met second", {{1, 5, 6}, {1, 1, 2}}, {0, 0}},
      {"repeated vertex met first", {{1, 1, 2}, {1, 5, 6}}, {0, 1}},
      {"corner beyond the vertex count", {{0, 1, 12}, {0, 1, 2}, {12, 12, 12}}, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    sim::SimMesh mesh;
    mesh.vertices.resize(10);
    for (const auto& f : c.faces) mesh.faces.push_back(sim::SimFace{f, 0});
    EXPECT_EQ(ComputeMeshElements(mesh), c.elements) << c.what;
  }
}

// A geometry node of three separate white triangles; its material holds a MultiTexture with four
// inputs, switched as given, and the given seed parameter.
std::string BakeScene(const std::string& switches, const std::string& seed) {
  return Document(R"("nodes": [{"name": "Boxes", "object": "boxes", "material": "mat"}],
    "anims": {"mat": {"super": "material", "class": "S",
                      "sub_texmaps": [{"slot": "", "map": "mt"}]},
      "mt": {"super": "texmap", "class": "MultiTexture", "sub_texmaps": [{"slot": "", "map": null},
          {"slot": "", "map": null}, {"slot": "", "map": null}, {"slot": "", "map": null}],
        "params": [[{"name": "submap_on", "type": "TYPE_BOOL_TAB", "value": )" +
                  switches + R"(}, {"name": "Seed", "type": )" + seed + R"(}]]},
      "boxes": {"super": "geometry", "class": "Box", "mesh": {
        "vertices": [[0,0,0],[1,0,0],[0,1,0],[5,0,0],[6,0,0],[5,1,0],[9,0,0],[9,1,0],[8,0,0]],
        "faces": [[0,1,2],[3,4,5],[6,7,8]], "vertex_colors": [[1,1,1],[1,1,1],[1,1,1],[1,1,1],
          [1,1,1],[1,1,1],[1,1,1],[1,1,1],[1,1,1]]}}})");
}

TEST(BakeMultiTextureVC, ColoursEachElementByTheInputItCycledTo) {
  const struct {
    std::string switches, seed;
    std::vector<float> greys;  // per element; each of its three vertices carries it
  } cases[] = {
      {"[true, false, true, false]", R"("TYPE_INT", "value": 0)", {1, 0, 1}},
      {"[true, false, true, false]", R"("TYPE_INT", "value": 5)", {0, 1, 0}},
      {"[true, false, true, false]", R"("TYPE_INT", "value": -1)", {0, 1, 0}},
      {"[true, true, 1, false]", R"("TYPE_FLOAT", "value": 2.9)", {0, 0.5f, 1}},
      {"[true, true, true, false, true]", R"("TYPE_STRING", "value": "2")", {0.5f, 1, 0}},
      {"[true, true, true, false]", R"("TYPE_INT", "value": 2000000000)", {0, 0.5f, 1}},
      {"[false, 2, false, false]", R"("TYPE_INT", "value": 8)", {0, 0, 0}},
  };
  for (const auto& c : cases) {
    const std::string what = c.switches + " seed " + c.seed;
    const auto host = LoadOrFail(BakeScene(c.switches, c.seed));
    ASSERT_TRUE(host);
    EXPECT_EQ(BakeMultiTextureVC(*host), 1) << what;
    // The box is not a triangle object: the node holds the coloured copy from now on.
    const sim::SimAnim* baked = host->Owned(host->Root().children[0]->GetObjectRef());
    ASSERT_EQ(baked->id, "boxes_mesh") << what;
    std::vector<float> greys;
    for (const auto& colour : baked->mesh->vertexColors) {
      if (colour->x == colour->y && colour->y == colour->z) greys.push_back(colour->x);
    }
    EXPECT_EQ(greys, (std::vector<float>{c.greys[0], c.greys[0], c.greys[0], c.greys[1], c.greys[1],
                                         c.greys[1], c.greys[2], c.greys[2], c.greys[2]}))
        << what;
    EXPECT_EQ(baked->mesh->colorFaces,
              (std::vector<std::array<uint32_t, 3>>{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}));
    EXPECT_EQ(baked->mesh->geomCacheInvalidations, 1);
  }
}

TEST(BakeMultiTextureVC, LogsEachDecisionForTheFirstMapOfEachGeometryNode) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "Omni", "object": "omni", "material": "off"},
      {"name": "Plain", "object": "tri", "material": "plain"},
      {"name": "Off", "object": "tri", "material": "off"},
      {"name": "Zero", "object": "tri", "material": "zero"},
      {"name": "Solid", "object": "solid", "material": "first"},
      {"name": "Tri", "object": "stack", "material": "first"}],
    "anims": {
      "off": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "", "map": "c1"}]},
      "zero": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "", "map": "c0"}]},
      "first": {"super": "material", "class": "Multi", "sub_materials": ["inner"],
                "sub_texmaps": [{"slot": "", "map": "mix"}]},
      "inner": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "", "map": "mt"}]},
      "mix": {"super": "texmap", "class": "Mix", "sub_texmaps": [{"slot": "", "map": "c2"}]},
      "c1": {"super": "texmap", "class": "CoronaMultiMap", "params": [[
        {"name": "items", "type": "TYPE_INT", "value": 3},
        {"name": "texmapsOn", "type": "TYPE_BOOL_TAB", "value": [true, false, true]},
        {"name": "randomizeMeshElement", "type": "TYPE_INT", "value": 1}]]},
      "c0": {"super": "texmap", "class": "CoronaMultiMap", "params": [[
        {"name": "items", "type": "TYPE_FLOAT", "value": 3},
        {"name": "texmapsOn", "type": "TYPE_BOOL_TAB", "value": [true]}]]},
      "c2": {"super": "texmap", "class": "CoronaMultiMap", "params": [[
        {"name": "items", "type": "TYPE_INT", "value": 2000000000},
        {"name": "texmapsOn", "type": "TYPE_BOOL_TAB", "value": [true, false, true]},
        {"name": "randomizeMeshElement", "type": "TYPE_BOOL", "value": true}]]},
      "mt": {"super": "texmap", "class": "MultiTexture"},
      "plain": {"super": "material", "class": "S"}, "omni": {"super": "light", "class": "Omni"},
      "solid": {"super": "geometry", "class": "NURBS"},
      "stack": {"super": "derived", "class": "Derived Object", "object": "tri"},
      "tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0],
              "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(BakeMultiTextureVC(*host), 1);
  std::vector<Text> log;
  for (const sim::SimLogEntry& entry : host->log) {
    EXPECT_EQ(entry.title, u"Larkspur");
    log.push_back((entry.type == host::LogType::kWarn ? u"W " : u"I ") + entry.text);
  }
  EXPECT_EQ(log,
            (std::vector<Text>{
                u"I [Larkspur VC] Off (CoronaMultiMap): items=3 activeCount=2 "
                u"randomizeMeshElement=false",
                u"I [Larkspur VC] Off (CoronaMultiMap): SKIPPED baking \u2014 Mesh Element not "
                u"requested (Instance-only, driven in Blender)",
                u"I [Larkspur VC] Zero (CoronaMultiMap): items=0 activeCount=0 "
                u"randomizeMeshElement=false",
                u"W [Larkspur VC] Zero (CoronaMultiMap): SKIPPED \u2014 activeCount is 0",
                u"I [Larkspur VC] Solid (CoronaMultiMap): items=2000000000 activeCount=2 "
                u"randomizeMeshElement=true",
                u"W [Larkspur VC] Solid (CoronaMultiMap): bake FAILED (activeCount=2)",
                u"I [Larkspur VC] Tri (CoronaMultiMap): items=2000000000 activeCount=2 "
                u"randomizeMeshElement=true",
                u"I [Larkspur VC] Tri (CoronaMultiMap): bake OK (activeCount=2)"}));
  // Already a triangle object: coloured in place, the node keeps its stack.
  EXPECT_EQ(host->Root().children[5]->GetObjectRef(), host->FindAnim("stack"));
  EXPECT_TRUE(host->FindAnim("tri")->mesh->hasVertexColors);
}

}  // namespace
}  // namespace larkspur
