#include "host/sim/scene_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "host/text.h"
#include "tests/host/scene_test_util.h"

namespace larkspur::sim {
namespace {

using testing::Child;
using testing::Document;
using testing::LoadExample;
using testing::LoadOrFail;
namespace pt = host::param_type;

// Anims most error cases can point at.
const std::string kAnims = R"("anims": {
  "box": {"super": "geometry", "class": "Box",
          "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
  "mat": {"super": "material", "class": "Std"},
  "map": {"super": "texmap", "class": "Noise"},
  "mod": {"super": "modifier", "class": "Bend"},
  "stack": {"super": "derived", "class": "Derived Object", "object": "box"}
})";

std::string WithAnims(const std::string& members) {
  return Document(kAnims + ", " + members);
}

std::string WithAnim(const std::string& anim) {
  return Document(R"("anims": {"mat": {"super": "material", "class": "Std"},
                               "map": {"super": "texmap", "class": "Noise"},
                               "a": )" +
                  anim + "}");
}

std::string WithParam(const std::string& def) {
  return WithAnim(R"({"super": "material", "class": "Std", "params": [[)" + def + "]]}");
}

TEST(SceneFileErrors, NameTheFileTheKeyPathAndWhatWasExpected) {
  struct Case {
    std::string json;
    std::string message;  // the whole message ends with this text
  };
  const Case cases[] = {
      // The document.
      {"{", "test.json: not valid JSON: "},
      {"[]", "test.json: expected a scene document (an object), found a list"},
      {Document(R"("scene": {"meters_per_unit": 1e400})"),
       "test.json: not valid JSON: number overflow parsing '1e400'"},
      {"{\"format\": \"larkspur-scene\", \"version\": 1, \"scene\": {\"file_name\": \"\xff\"}}",
       "test.json: not valid JSON: parse error at line 1, column 68: syntax error while parsing "
       "value - invalid string: ill-formed UTF-8 byte"},
      {R"({"version": 1})", "test.json: missing required key \"format\""},
      {R"({"format": "other", "version": 1})",
       "test.json: format: expected \"larkspur-scene\", found a string (\"other\")"},
      {R"({"format": "larkspur-scene", "version": 2})",
       "test.json: version: expected the version 1, found a number (2)"},
      {Document(R"("nodez": [])"),
       "test.json: nodez: unknown key; the document takes only: "
       "format, version, scene, nodes, anims"},
      {R"({"format": "larkspur-scene", "version": 1, "version": 1})",
       "test.json: version: the key appears twice in one object"},
      {Document(R"("nodes": [{"name": "a", "children": [{}, {"name": "b", "name": "c"}]}])"),
       "test.json: nodes[0].children[1].name: the key appears twice in one object"},
      {WithAnims(R"("anims": {})"), "test.json: anims: the key appears twice in one object"},
      {Document(R"("zz": 1, "aa": 2)"), "test.json: zz: unknown key"},
      // A lone surrogate: messages show it as U+FFFD; ids, which are UTF-8, cannot hold it.
      {Document(R"("scene": {"resolve": {"\ud800": "a", "\udbff": "b", "\ud800": "c"}})"),
       "test.json: scene.resolve.\xEF\xBF\xBD: the key appears twice in one object"},
      {Document(R"("anims": {"a\ud800": {"super": "helper", "class": "D"}})"),
       "test.json: anims.a\xEF\xBF\xBD: an anim id must not hold a lone surrogate (\\ud800)"},
      {Document(R"("nodes": [{"id": "\udc00"}])"),
       "test.json: nodes[0].id: a node id must not hold a lone surrogate (\\udc00)"},
      {WithAnims(R"("nodes": [{"object": "\udc00box"}])"),
       "test.json: nodes[0].object: an id must not hold a lone surrogate (\\udc00)"},
      {Document(R"("scene": {"fbx_export": "\ud800"})"),
       "scene.fbx_export: expected \"writes\", \"fails\" or \"no_file\", found a string "
       "(\"\xEF\xBF\xBD\")"},
      {Document(R"("scene": {"file_name": "\ud800" 1})"),
       "test.json: not valid JSON: parse error at line 1, column "},
      // Nodes.
      {Document(R"("nodes": {})"),
       "nodes: expected the list of the root's children (a list), found an object"},
      {WithAnims(R"("nodes": [{"children": [{}, {"nmae": "x"}]}])"),
       "nodes[0].children[1].nmae: unknown key; a node takes only: name, id, object, material, "
       "transform, target, group_head, children"},
      {WithAnims(R"("nodes": [{"children": [{}, {}, {"material": "mat9"}]}])"),
       "nodes[0].children[2].material: no anim has the id \"mat9\""},
      {WithAnims(R"("nodes": [{"material": "box"}])"),
       "nodes[0].material: expected the id of a material, but \"box\" is a geometry object"},
      {WithAnims(R"("nodes": [{"material": 3}])"),
       "nodes[0].material: expected the id of a material or null, found a number (3)"},
      {WithAnims(R"("nodes": [{"object": "mod"}])"),
       "nodes[0].object: expected the id of an object, derived object or light, but \"mod\" is a "
       "modifier"},
      {WithAnims(R"("nodes": [{"object": "mat"}])"),
       "nodes[0].object: expected the id of an object, derived object or light, but \"mat\" is a "
       "material"},
      {Document(R"("nodes": [{"name": 5}])"),
       "nodes[0].name: expected a string, found a number (5)"},
      {Document(R"("nodes": [{"id": "a"}, {"children": [{"id": "a"}]}])"),
       "nodes[1].children[0].id: the node id \"a\" is already the id of nodes[0]"},
      {Document(R"("nodes": [{"id": ""}])"), "nodes[0].id: a node id must not be empty"},
      {Document(R"("nodes": [{"target": "nobody"}])"),
       "nodes[0].target: no node has the id \"nobody\""},
      {Document(R"("nodes": [{"group_head": 1}])"),
       "nodes[0].group_head: expected true or false, found a number (1)"},
      {Document(R"("nodes": [{"transform": {"matrix": [[1,0,0],[0,1,0],[0,0,1],[0,0,0]],
                                            "position": [1,2,3]}}])"),
       "nodes[0].transform.position: unknown key; a transform given as a matrix takes only: "
       "matrix"},
      {Document(R"("nodes": [{"transform": {"matrix": [[1,0,0],[0,1,0],[0,0,1],[0,0]]}}])"),
       "nodes[0].transform.matrix[3]: expected [x, y, z], found a list"},
      {Document(R"("nodes": [{"transform": {"matrix": [[1,0,0],[0,1,0],[0,0,1]]}}])"),
       "nodes[0].transform.matrix: expected four rows [[r00, r01, r02], [r10, r11, r12], [r20, "
       "r21, r22], [tx, ty, tz]], found a list"},
      {Document(R"("nodes": [{"transform": {"rotation": [0, 0, 0, 0]}}])"),
       "nodes[0].transform.rotation: a rotation must not be the zero quaternion"},
      {Document(R"("nodes": [{"transform": {"position": [0, "1", 0]}}])"),
       "nodes[0].transform.position[1]: expected a number, found a string (\"1\")"},
      {Document(R"("nodes": [{"transform": {"scale": [1, 1]}}])"),
       "nodes[0].transform.scale: expected [x, y, z], found a list"},
      // Anims.
      {Document(R"("anims": [])"), "anims: expected the anims by id (an object), found a list"},
      {Document(R"("anims": {"": {"super": "helper", "class": "Dummy"}})"),
       "anims.: an anim id must not be empty"},
      {WithAnim(R"({"class": "Box"})"), "anims.a: missing required key \"super\""},
      {WithAnim(R"({"super": "geometry"})"), "anims.a: missing required key \"class\""},
      {WithAnim(R"({"super": "geometri", "class": "Box"})"),
       "anims.a.super: expected one of geometry, light, camera, shape, helper, derived, "
       "modifier, material, texmap, or a number, found a string (\"geometri\")"},
      {WithAnim(R"({"super": -1, "class": "Box"})"),
       "anims.a.super: expected an integer from 0 to 4294967295, found a number (-1)"},
      {WithAnim(R"({"super": "geometry", "class": "Box", "class_id": [1, 4294967296]})"),
       "anims.a.class_id[1]: expected an integer from 0 to 4294967295, found a number "
       "(4294967296)"},
      {WithAnim(R"({"super": "geometry", "class": "Box", "class_id": [1]})"),
       "anims.a.class_id: expected [a, b], found a list"},
      {Document(R"("anims": {"a": {"super": "helper", "class": "D", "handle": 7},
                             "b": {"super": "helper", "class": "D", "handle": 7}})"),
       "anims.b.handle: the handle 7 is already the handle of anim \"a\"; handles are unique"},
      {WithAnim(R"({"super": "helper", "class": "D", "handle": -1})"),
       "anims.a.handle: expected an integer from 0 to 9223372036854775807, found a number (-1)"},
      {WithAnim(R"({"super": "material", "class": "Std", "mesh": {}})"),
       "anims.a.mesh: unknown key; a material takes only: super, class, class_id, handle, "
       "params, name, sub_texmaps, sub_materials"},
      {WithAnim(R"({"super": "light", "class": "Omni", "name": "x"})"),
       "anims.a.name: unknown key; a light takes only: super, class, class_id, handle, params"},
      {WithAnim(R"({"super": 4660, "class": "X", "mesh": {}})"),
       "anims.a.mesh: unknown key; an anim of super class 4660 takes only: super, class, "
       "class_id, handle, params"},
      // Parameters.
      {WithAnim(R"({"super": "material", "class": "Std", "params": {}})"),
       "anims.a.params: expected the parameter blocks (a list), found an object"},
      {WithAnim(R"({"super": "material", "class": "Std", "params": [5]})"),
       "anims.a.params[0]: expected a parameter block (a list of definitions) or null (a list), "
       "found a number (5)"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT", "value": 1},
                    {"name": "b", "type": "TYPE_INT", "value": 1},
                    {"name": "c", "type": "TYPE_POINT3", "value": [0, 0, 0]},
                    {"name": "diffuseColor", "type": "TYPE_RGBA", "value": [1, 0]})"),
       "anims.a.params[0][3].value: expected [r, g, b] or [r, g, b, a], found a list"},
      {WithParam(R"({"name": "a", "type": "TYPE_RGBA", "value": [1, 0, 0, 0, 0]})"),
       "anims.a.params[0][0].value: expected [r, g, b] or [r, g, b, a], found a list"},
      {WithParam(R"({"type": "TYPE_FLOAT", "value": 1})"),
       "anims.a.params[0][0]: missing required key \"name\""},
      {WithParam(R"({"name": "a", "value": 1})"),
       "anims.a.params[0][0]: missing required key \"type\""},
      {WithParam(R"({"name": "a", "type": "TYPE_FLAOT", "value": 1})"),
       "anims.a.params[0][0].type: expected an SDK type name such as TYPE_FLOAT or "
       "TYPE_RGBA_TAB, or a number, found a string (\"TYPE_FLAOT\")"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT"})"),
       "anims.a.params[0][0]: missing required key \"value\""},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT", "value": 1, "unit": "cm"})"),
       "anims.a.params[0][0].unit: unknown key; a parameter definition takes only: name, type, "
       "id, value"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT", "value": 1},
                    {"name": "b", "type": "TYPE_FLOAT", "id": 0, "value": 1})"),
       "anims.a.params[0][1].id: the parameter id 0 is already the id of anims.a.params[0][0]"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT", "id": 40000, "value": 1})"),
       "anims.a.params[0][0].id: expected an integer from -32768 to 32767, found a number "
       "(40000)"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT_TAB", "value": 1})"),
       "anims.a.params[0][0].value: expected the table's values (a list), found a number (1)"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT_TAB", "value": [1, true]})"),
       "anims.a.params[0][0].value[1]: expected a number, found a boolean (true)"},
      {WithParam(R"({"name": "a", "type": "TYPE_INT", "value": 1.5})"),
       "anims.a.params[0][0].value: expected an integer from -2147483648 to 2147483647, found a "
       "number (1.5)"},
      {WithParam(R"({"name": "a", "type": "TYPE_INDEX", "value": 2147483648})"),
       "anims.a.params[0][0].value: expected an integer from -2147483648 to 2147483647, found a "
       "number (2147483648)"},
      {WithParam(R"({"name": "a", "type": "TYPE_BOOL", "value": "yes"})"),
       "anims.a.params[0][0].value: expected true, false or an integer, found a string "
       "(\"yes\")"},
      {WithParam(R"({"name": "a", "type": "TYPE_STRING", "value": 3})"),
       "anims.a.params[0][0].value: expected a string or null, found a number (3)"},
      {WithParam(R"({"name": "a", "type": "TYPE_TEXMAP", "value": "mat"})"),
       "anims.a.params[0][0].value: expected the id of a texmap, but \"mat\" is a material"},
      {WithParam(R"({"name": "a", "type": "TYPE_MTL_TAB", "value": [null, "map"]})"),
       "anims.a.params[0][0].value[1]: expected the id of a material, but \"map\" is a texmap"},
      {WithParam(R"({"name": "a", "type": "TYPE_REFTARG", "value": "gone"})"),
       "anims.a.params[0][0].value: no anim has the id \"gone\""},
      // Meshes.
      {WithAnim(R"({"super": "geometry", "class": "Box", "mesh": {"faces": []}})"),
       "anims.a.mesh: missing required key \"vertices\""},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2],[0,1,3]]}})"),
       "anims.a.mesh.faces[1][2]: expected an integer from 0 to 2, found a number (3)"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [], "faces": [[0,1,2]]}})"),
       "anims.a.mesh.faces[0]: a face needs vertices to index"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "mat_ids": [0, 1]}})"),
       "anims.a.mesh.mat_ids: expected a list of one material id per face (1), found a list"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "mat_ids": [65536]}})"),
       "anims.a.mesh.mat_ids[0]: expected an integer from 0 to 65535, found a number (65536)"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "vertex_colors": [[1,1,1], null]}})"),
       "anims.a.mesh.vertex_colors: expected one colour or null per vertex (3), found a list"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "vertex_colors": [[1,1,1], null, [1,1]]}})"),
       "anims.a.mesh.vertex_colors[2]: expected [x, y, z], found a list"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "vertex_color_faces": [[0,0,0]]}})"),
       "anims.a.mesh.vertex_color_faces: needs \"vertex_colors\""},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                             "vertex_colors": [[1,1,1]], "vertex_color_faces": [[0,0,1]]}})"),
       "anims.a.mesh.vertex_color_faces[0][2]: expected an integer from 0 to 0, found a number "
       "(1)"},
      // Derived objects.
      {WithAnim(R"({"super": "derived", "class": "Derived Object", "modifiers": ["map"]})"),
       "anims.a.modifiers[0]: expected the id of a modifier, but \"map\" is a texmap"},
      {WithAnim(R"({"super": "derived", "class": "Derived Object", "object": "mat"})"),
       "anims.a.object: expected the id of an object, derived object or light, but \"mat\" is a "
       "material"},
      {WithAnim(R"({"super": "derived", "class": "Derived Object", "evaluates_to": null})"),
       "anims.a.evaluates_to: expected the id of an object that is not a derived object, found "
       "null"},
      {WithAnim(R"({"super": "derived", "class": "Derived Object", "evaluates_to": "a"})"),
       "anims.a.evaluates_to: expected the id of an object that is not a derived object, but "
       "\"a\" is a derived object"},
      // Materials and maps.
      {WithAnim(R"({"super": "material", "class": "Std", "sub_texmaps": [{"slot": "a"}]})"),
       "anims.a.sub_texmaps[0]: missing required key \"map\""},
      {WithAnim(R"({"super": "material", "class": "Std",
                    "sub_texmaps": [{"slot": "a", "map": "mat"}]})"),
       "anims.a.sub_texmaps[0].map: expected the id of a texmap, but \"mat\" is a material"},
      {WithAnim(R"({"super": "material", "class": "Std", "sub_materials": [null, "map"]})"),
       "anims.a.sub_materials[1]: expected the id of a material, but \"map\" is a texmap"},
      {WithAnim(R"({"super": "texmap", "class": "Noise", "sub_materials": []})"),
       "anims.a.sub_materials: unknown key; a texmap takes only: super, class, class_id, handle, "
       "params, name, sub_texmaps, map_name, uvgen, gradient_flags"},
      {WithAnim(R"({"super": "texmap", "class": "Noise", "map_name": "a.png"})"),
       "anims.a.map_name: only a map of class_id [576, 0] has a map name"},
      {WithAnim(R"({"super": "texmap", "class": "Bitmap", "uvgen": {"tile": 3}})"),
       "anims.a.uvgen.tile: unknown key; a UV generator takes only: u_scale, v_scale, tiling, "
       "offset, channel, w_angle"},
      {WithAnim(R"({"super": "texmap", "class": "Bitmap", "uvgen": {"offset": [1]}})"),
       "anims.a.uvgen.offset: expected [u, v], found a list"},
      {WithAnim(R"({"super": "texmap", "class": "Gradient_Ramp",
                    "gradient_flags": [{"position": 150, "color": [0, 0, 0]}]})"),
       "anims.a.gradient_flags[0].position: expected a number from 0 to 100, found a number "
       "(150)"},
      {WithAnim(R"({"super": "texmap", "class": "Gradient_Ramp",
                    "gradient_flags": [{"position": 0, "color": [0, 256, 0]}]})"),
       "anims.a.gradient_flags[0].color[1]: expected a number from 0 to 255, found a number "
       "(256)"},
      {WithAnim(R"({"super": "texmap", "class": "Gradient_Ramp",
                    "gradient_flags": [{"color": [0, 0, 0]}]})"),
       "anims.a.gradient_flags[0]: missing required key \"position\""},
      // Scene settings.
      {Document(R"("scene": {"unit": 1})"),
       "scene.unit: unknown key; the \"scene\" object takes only: file_name, file_path, time, "
       "meters_per_unit, user_scripts_dir, fbx_export, resolve, scene_materials"},
      {Document(R"("scene": {"time": 1.5})"),
       "scene.time: expected an integer from -2147483648 to 2147483647, found a number (1.5)"},
      {Document(R"("scene": {"meters_per_unit": "cm"})"),
       "scene.meters_per_unit: expected a number, found a string (\"cm\")"},
      {Document(R"("scene": {"fbx_export": "sometimes"})"),
       "scene.fbx_export: expected \"writes\", \"fails\" or \"no_file\", found a string "
       "(\"sometimes\")"},
      {Document(R"("scene": {"resolve": {"a.png": null}})"),
       "scene.resolve.a.png: expected a string, found null"},
      {WithAnims(R"("scene": {"scene_materials": ["mat", "nope"]})"),
       "scene.scene_materials[1]: no anim has the id \"nope\""},
      {WithAnims(R"("scene": {"scene_materials": ["box"]})"),
       "scene.scene_materials[0]: expected the id of a material or texmap, but \"box\" is a "
       "geometry object"},
  };
  for (const Case& c : cases) {
    const SceneLoadResult result = LoadSceneText(c.json, "test.json");
    EXPECT_FALSE(result.ok) << c.json;
    EXPECT_EQ(result.host, nullptr);
    EXPECT_NE(result.message.find(c.message), std::string::npos)
        << "message: " << result.message << "\nwanted:  " << c.message;
    EXPECT_EQ(result.message.rfind("test.json: ", 0), 0u) << result.message;
  }
}

TEST(SceneFileErrors, NodesNestedTooDeeplyAreRefused) {
  std::string nodes = "{}";
  for (int i = 0; i < 1000; ++i) nodes = R"({"children": [)" + nodes + "]}";
  const SceneLoadResult result =
      LoadSceneText(Document(R"("nodes": [)" + nodes + "]"), "deep.json");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("nodes nest deeper than 1000 levels"), std::string::npos)
      << result.message;
}

TEST(SceneFileErrors, AMissingFileIsNamed) {
  const SceneLoadResult result = LoadSceneFile("no-such-scene.json");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "no-such-scene.json: cannot open the file");
}

TEST(SceneFileLoad, AnEmptyDocumentGivesTheDefaults) {
  const auto host = LoadOrFail(Document(""));
  ASSERT_TRUE(host);
  EXPECT_EQ(host->GetCurFileName(), u"");
  EXPECT_EQ(host->GetCurFilePath(), u"");
  EXPECT_EQ(host->GetTime(), 0);
  EXPECT_EQ(host->GetSystemUnitScale(host::unit_type::kMeters), 0.0254);
  EXPECT_EQ(host->GetDir(host::kUserScriptsDirId), DefaultUserScriptsDir());
  EXPECT_FALSE(host->GetDir(host::kUserScriptsDirId).empty());
  EXPECT_EQ(host->fbxExport, FbxExportMode::kWrites);
  EXPECT_FALSE(host->sceneMaterials.has_value());
  EXPECT_EQ(host->GetRootNode()->NumberOfChildren(), 0);
  EXPECT_TRUE(host->Anims().empty());
}

TEST(SceneFileLoad, SettingsAnswerTheirHostOperations) {
  const auto host = LoadOrFail(Document(R"(
    "scene": {"file_name": "a.max", "file_path": "C:\\s\\a.max", "time": -160,
              "meters_per_unit": -2.5, "user_scripts_dir": "C:\\u\\scripts",
              "fbx_export": "no_file", "resolve": {"x.png": "C:\\m\\x.png"},
              "scene_materials": ["m"]},
    "anims": {"m": {"super": "material", "class": "Std"}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(host->GetCurFileName(), u"a.max");
  EXPECT_EQ(host->GetCurFilePath(), u"C:\\s\\a.max");
  EXPECT_EQ(host->GetTime(), -160);
  EXPECT_EQ(host->GetSystemUnitScale(host::unit_type::kMeters), -2.5);
  EXPECT_EQ(host->GetDir(host::kUserScriptsDirId), u"C:\\u\\scripts");
  EXPECT_EQ(host->GetDir(0), u"");
  EXPECT_EQ(host->fbxExport, FbxExportMode::kNoFile);
  EXPECT_EQ(host->GetFullFilePath(u"x.png"), u"C:\\m\\x.png");
  EXPECT_EQ(host->GetFullFilePath(u"X.png"), u"");
  ASSERT_TRUE(host->sceneMaterials.has_value());
  ASSERT_EQ(host->sceneMaterials->size(), 1u);
  EXPECT_EQ((*host->sceneMaterials)[0], host->FindAnim("m"));
}

TEST(SceneFileLoad, ParameterValuesReadBackAsTheHostStoresThem) {
  const auto host = LoadOrFail(Document(R"("anims": {
    "m": {"super": "material", "class": "Std", "params": [null, [
      {"name": "f", "type": "TYPE_FLOAT", "value": 0.1},
      {"name": "ang", "type": 5, "value": 1.5707963267948966},
      {"name": "i", "type": "TYPE_INT", "id": 20, "value": -7},
      {"name": "b2", "type": "TYPE_BOOL", "value": 2},
      {"name": "bt", "type": "TYPE_BOOL", "value": true},
      {"name": "c3", "type": "TYPE_RGBA", "value": [0.5, 0.25, 1]},
      {"name": "c4", "type": "TYPE_FRGBA", "value": [0.5, 0.25, 1, 0.75]},
      {"name": "p", "type": "TYPE_POINT3", "value": [1, 2, 3]},
      {"name": "s", "type": "TYPE_STRING", "value": "caf\u00e9"},
      {"name": "fn", "type": "TYPE_FILENAME", "value": null},
      {"name": "ref", "type": "TYPE_MTL", "value": "m"},
      {"name": null, "type": 17},
      {"name": "tab", "type": "TYPE_FLOAT_TAB", "value": [1, 2.5]},
      {"name": "btab", "type": "TYPE_BOOL_TAB", "value": [false, true, 3]},
      {"name": "idx", "type": "TYPE_INDEX", "value": 4},
      {"name": "node", "type": 17, "value": "ignored"},
      {"name": "huge", "type": "TYPE_FLOAT", "value": -1e39},
      {"name": "whole", "type": "TYPE_INT", "value": 1e2}
    ]]}})"));
  ASSERT_TRUE(host);
  const SimAnim* m = host->FindAnim("m");
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->NumParamBlocks(), 2);
  ASSERT_NE(m->GetParamBlock(0), nullptr);
  EXPECT_FALSE(m->GetParamBlock(0)->HasDesc());
  const host::ParamBlock& block = *m->GetParamBlock(1);
  ASSERT_EQ(block.DescCount(), 18);
  EXPECT_EQ(block.DescParamDef(0).id, 0);
  EXPECT_EQ(block.DescParamDef(2).id, 20);
  EXPECT_EQ(block.DescParamDef(3).id, 3);  // ids default to the position, not the previous id
  EXPECT_EQ(block.DescParamDef(11).internalName, std::nullopt);
  EXPECT_EQ(block.DescParamDef(11).type, 17);
  EXPECT_EQ(block.DescParamDef(12).type, pt::kTab + pt::kFloat);

  float f = 0;
  EXPECT_TRUE(block.GetValue(0, 0, f, 0));
  EXPECT_EQ(f, 0.1f);
  // A number beyond the float range rounds to an infinity; an integral number is an integer.
  EXPECT_TRUE(block.GetValue(16, 0, f, 0));
  EXPECT_EQ(f, -std::numeric_limits<float>::infinity());
  int whole = 0;
  EXPECT_TRUE(block.GetValue(17, 0, whole, 0));
  EXPECT_EQ(whole, 100);
  EXPECT_EQ(block.DescParamDef(15).type, 17);
  EXPECT_TRUE(block.GetValue(1, 0, f, 0));
  EXPECT_EQ(f, 1.5707963267948966f);
  int i = 0;
  EXPECT_TRUE(block.GetValue(20, 0, i, 0));
  EXPECT_EQ(i, -7);
  EXPECT_TRUE(block.GetValue(3, 0, i, 0));
  EXPECT_EQ(i, 2);
  EXPECT_TRUE(block.GetValue(4, 0, i, 0));
  EXPECT_EQ(i, 1);
  host::Color c;
  EXPECT_TRUE(block.GetValue(5, 0, c, 0));
  EXPECT_EQ(c.r, 0.5f);
  EXPECT_EQ(c.g, 0.25f);
  EXPECT_EQ(c.b, 1.0f);
  EXPECT_TRUE(block.GetValue(6, 0, c, 0));
  EXPECT_EQ(c.g, 0.25f);
  host::Point3 p;
  EXPECT_TRUE(block.GetValue(7, 0, p, 0));
  EXPECT_EQ(p.z, 3.0f);
  std::optional<Text> s;
  EXPECT_TRUE(block.GetValue(8, 0, s, 0));
  EXPECT_EQ(s, Text(u"caf\u00e9"));
  s = u"stale";
  EXPECT_TRUE(block.GetValue(9, 0, s, 0));
  EXPECT_EQ(s, std::nullopt);
  host::Anim* ref = nullptr;
  EXPECT_TRUE(block.GetValue(10, 0, ref, 0));
  EXPECT_EQ(ref, m);
  EXPECT_EQ(block.Count(12), 2);
  EXPECT_TRUE(block.GetValue(12, 0, f, 1));
  EXPECT_EQ(f, 2.5f);
  EXPECT_EQ(block.Count(13), 3);
  EXPECT_TRUE(block.GetValue(13, 0, i, 2));
  EXPECT_EQ(i, 3);
  EXPECT_TRUE(block.GetValue(14, 0, i, 0));
  EXPECT_EQ(i, 4);
}

TEST(SceneFileLoad, HandlesAreKeptOrGivenDistinctlyAfterTheGivenOnes) {
  const auto host = LoadOrFail(Document(R"("anims": {
    "auto1": {"super": "helper", "class": "D"},
    "given": {"super": "helper", "class": "D", "handle": 40},
    "none": {"super": "helper", "class": "D", "handle": 0},
    "none2": {"super": "helper", "class": "D", "handle": 0},
    "auto2": {"super": "helper", "class": "D"}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(host->FindAnim("given")->GetHandle(), 40u);
  EXPECT_EQ(host->FindAnim("none")->GetHandle(), 0u);
  EXPECT_EQ(host->FindAnim("none2")->GetHandle(), 0u);
  const AnimHandle a1 = host->FindAnim("auto1")->GetHandle();
  const AnimHandle a2 = host->FindAnim("auto2")->GetHandle();
  EXPECT_GT(a1, 40u);
  EXPECT_GT(a2, 40u);
  EXPECT_NE(a1, a2);
  SimAnim& later = host->NewAnim(host::super_class::kHelper, u"D");
  EXPECT_GT(later.GetHandle(), std::max(a1, a2));
  // Anims keep the file's order.
  const std::vector<SimAnim*> anims = host->Anims();
  ASSERT_EQ(anims.size(), 6u);
  EXPECT_EQ(anims[0]->id, "auto1");
  EXPECT_EQ(anims[4]->id, "auto2");
}

// Text the system holds in UTF-16 may have an unpaired surrogate, which JSON writes as an escape.
TEST(SceneFileLoad, LoneSurrogateEscapesBecomeLoneCodeUnits) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "a\ud800b"}, {"name": "\udc00\ud800"},
              {"name": "\ud83d\ude00 \ud83d"}, {"name": "\\ud800 \\\udfff"},
              {"name": "\ufdd0\ud800 \ufdd0\ue000 )"
                                        "\xEF\xB7\x90"
                                        R"(\ufdd0 \uD800"}],
    "anims": {"\ufdd0mat": {"super": "material", "class": "Std"},
              "mat": {"super": "material", "class": "Std\udbff", "name": "M\udfff",
                      "sub_texmaps": [{"slot": "Slot\ud800", "map": null}],
                      "params": [[{"name": "path\ud801", "type": "TYPE_STRING",
                                   "value": "C:\\maps\\\udc01.png"}]]}},
    "scene": {"file_path": "D:\\\ud800", "resolve": {"\ud800": "\udc00", "\ud801": "x"},
              "scene_materials": ["\ufdd0mat"]})"));
  ASSERT_TRUE(host);
  struct Case {
    const char16_t* name;
    std::u16string text;
  };
  const Case texts[] = {
      {u"a lone high surrogate", Child(host->Root(), 0)->name},
      {u"a low before a high", Child(host->Root(), 1)->name},
      {u"a pair and a lone half of one", Child(host->Root(), 2)->name},
      {u"escaped backslashes", Child(host->Root(), 3)->name},
      {u"noncharacters of the file", Child(host->Root(), 4)->name},
  };
  const std::u16string wanted[] = {
      std::u16string(u"a\xD800"
                     u"b"),
      std::u16string(u"\xDC00\xD800"),
      std::u16string(u"\xD83D\xDE00 \xD83D"),
      std::u16string(u"\\ud800 \\\xDFFF"),
      std::u16string(u"\xFDD0\xD800 \xFDD0\xE000 \xFDD0\xFDD0 \xD800"),
  };
  for (size_t i = 0; i < std::size(texts); ++i) {
    EXPECT_EQ(texts[i].text, wanted[i]) << ToUtf8(texts[i].name);
  }
  const SimAnim* mat = host->FindAnim("mat");
  ASSERT_NE(mat, nullptr);
  EXPECT_EQ(mat->className, std::u16string(u"Std\xDBFF"));
  EXPECT_EQ(mat->name, std::u16string(u"M\xDFFF"));
  ASSERT_EQ(mat->subTexmaps.size(), 1u);
  EXPECT_EQ(mat->subTexmaps[0].slotName, std::u16string(u"Slot\xD800"));
  ASSERT_EQ(mat->blocks.size(), 1u);
  const SimParamDef& def = mat->blocks[0]->defs.at(0);
  EXPECT_EQ(def.def.internalName, std::u16string(u"path\xD801"));
  EXPECT_EQ(def.values.at(0).text, std::u16string(u"C:\\maps\\\xDC01.png"));
  EXPECT_EQ(host->filePath, std::u16string(u"D:\\\xD800"));
  EXPECT_EQ(host->resolve.at(std::u16string(u"\xD800")), std::u16string(u"\xDC00"));
  EXPECT_EQ(host->resolve.at(std::u16string(u"\xD801")), u"x");
  // An id with a noncharacter is UTF-8 as written.
  ASSERT_TRUE(host->sceneMaterials.has_value());
  EXPECT_EQ(host->sceneMaterials->at(0), host->FindAnim("\xEF\xB7\x90mat"));
  EXPECT_NE(host->FindAnim("\xEF\xB7\x90mat"), nullptr);
}

TEST(SceneFileLoad, TransformsInBothFormsGiveTheObjectTransform) {
  const auto host = LoadOrFail(Document(R"("nodes": [
    {"transform": {"position": [1, 2, 3], "rotation": [0, 0, 2, 2], "scale": [2, 3, 4]}},
    {"transform": {"matrix": [[0.5, 0, 0], [0, 0, 2], [0, -3, 0], [7, 8, 9]]}},
    {"transform": {}}])"));
  ASSERT_TRUE(host);
  const float h = std::sqrt(0.5f);
  const Matrix3 composed = ComposeMatrix({1, 2, 3}, Quat{0, 0, h, h}, {2, 3, 4});
  const Matrix3 first = Child(host->Root(), 0)->GetObjectTM(0);
  for (int row = 0; row < 4; ++row) {
    EXPECT_NEAR(first.rows[row].x, composed.rows[row].x, 1e-6);
    EXPECT_NEAR(first.rows[row].y, composed.rows[row].y, 1e-6);
    EXPECT_NEAR(first.rows[row].z, composed.rows[row].z, 1e-6);
  }
  const Matrix3 second = Child(host->Root(), 1)->GetObjectTM(0);
  EXPECT_EQ(second.rows[1].z, 2.0f);
  EXPECT_EQ(second.rows[2].y, -3.0f);
  EXPECT_EQ(second.GetTrans().x, 7.0f);
  const Matrix3 third = Child(host->Root(), 2)->GetObjectTM(0);
  EXPECT_EQ(third.rows[0].x, 1.0f);
  EXPECT_EQ(third.rows[3].x, 0.0f);
}

TEST(SceneFileLoad, TheExampleSceneHasItsNodesObjectsAndMaterials) {
  const auto host = LoadExample("basic.json");
  ASSERT_TRUE(host);
  SimNode& root = host->Root();
  ASSERT_EQ(root.NumberOfChildren(), 4);
  SimNode* box = Child(root, 0);
  EXPECT_EQ(box->GetName(), u"Box001");
  EXPECT_EQ(box->GetMtl()->GetName(), u"Wood");
  SimNode* sphere = Child(*Child(root, 1), 0);
  EXPECT_EQ(sphere->GetName(), u"Sphere001");
  EXPECT_EQ(sphere->GetObjectRef()->SuperClassID(), host::super_class::kDerivedObject);
  EXPECT_EQ(sphere->EvalWorldState(0), host->FindAnim("sphere"));
  EXPECT_EQ(sphere->GetMtl(), box->GetMtl());
  SimNode* light = Child(root, 2);
  EXPECT_EQ(light->EvalWorldState(0)->SuperClassID(), host::super_class::kLight);
  EXPECT_EQ(light->GetTarget(), Child(root, 3));
  const Anim* map = box->GetMtl()->GetSubTexmap(0);
  EXPECT_EQ(box->GetMtl()->GetSubTexmapSlotName(0), u"Base color");
  EXPECT_EQ(map->GetMapName(), u"maps\\wood.jpg");
  EXPECT_EQ(map->GetTheUVGen()->GetUScl(0), 2.0f);
  EXPECT_EQ(map->GetTheUVGen()->GetUVTransform().GetTrans().x, 0.25f);
  EXPECT_EQ(host->GetFullFilePath(u"maps\\wood.jpg"), u"C:\\scenes\\maps\\wood.jpg");
}

TEST(SceneFileLoad, ReferencesToOneIdAreOneObjectEvenInCycles) {
  const auto host = LoadExample("shared.json");
  ASSERT_TRUE(host);
  SimNode* first = Child(host->Root(), 0);
  SimNode* second = Child(host->Root(), 1);
  EXPECT_EQ(first->GetObjectRef(), second->GetObjectRef());
  EXPECT_EQ(first->GetObjectRef()->GetHandle(), 500u);
  const Anim* outer = first->GetMtl();
  EXPECT_EQ(outer->GetSubMtl(1), outer);
  const Anim* mix = outer->GetSubTexmap(0);
  EXPECT_EQ(outer->GetSubMtl(0)->GetSubTexmap(0), mix);
  EXPECT_EQ(mix->GetSubTexmap(0), mix);
  EXPECT_EQ(mix->GetHandle(), 0u);
  const SimMesh* mesh = host->FindAnim("teapot")->mesh ? &*host->FindAnim("teapot")->mesh : nullptr;
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->vertexColors.size(), 4u);
  EXPECT_FALSE(mesh->vertexColors[1].has_value());
  EXPECT_EQ(mesh->vertexColors[2]->z, 1.0f);
  ASSERT_EQ(mesh->colorFaces.size(), 2u);
  EXPECT_EQ(mesh->colorFaces[1], (std::array<uint32_t, 3>{2, 1, 3}));
}

std::string WriteOrFail(const SimHost& host) {
  const SceneWriteResult written = WriteSceneText(host);
  EXPECT_TRUE(written.ok) << written.message;
  return written.text;
}

TEST(SceneFileRoundTrip, LoadWriteLoadWriteGivesTheSameText) {
  for (const char* name : {"basic.json", "groups.json", "gradient.json", "shared.json"}) {
    SCOPED_TRACE(name);
    const auto first = LoadExample(name);
    ASSERT_TRUE(first);
    const std::string written = WriteOrFail(*first);
    EXPECT_EQ(WriteOrFail(*first), written);
    const auto second = LoadOrFail(written);
    ASSERT_TRUE(second);
    EXPECT_EQ(WriteOrFail(*second), written);
  }
}

TEST(SceneFileRoundTrip, LoneSurrogatesAreWrittenAsEscapes) {
  const auto first = LoadOrFail(Document(R"(
    "nodes": [{"name": "a\ud800b\ud83d\ude00\\udc00"}],
    "anims": {"m": {"super": "material", "class": "Std", "name": "\udfff\ufdd0"}},
    "scene": {"resolve": {"\ud800": "\udc00"}})"));
  ASSERT_TRUE(first);
  const std::string written = WriteOrFail(*first);
  EXPECT_NE(written.find(R"("name": "a\ud800b)"
                         "\xF0\x9F\x98\x80"
                         R"(\\udc00")"),
            std::string::npos)
      << written;
  EXPECT_NE(written.find(R"("name": "\udfff)"
                         "\xEF\xB7\x90"
                         R"(")"),
            std::string::npos)
      << written;
  EXPECT_NE(written.find(R"("\ud800": "\udc00")"), std::string::npos) << written;
  const auto second = LoadOrFail(written);
  ASSERT_TRUE(second);
  EXPECT_EQ(Child(second->Root(), 0)->name, Child(first->Root(), 0)->name);
  EXPECT_EQ(second->FindAnim("m")->name, first->FindAnim("m")->name);
  EXPECT_EQ(second->resolve, first->resolve);
  EXPECT_EQ(WriteOrFail(*second), written);
}

TEST(SceneFileRoundTrip, NumbersComeBackBitForBit) {
  const float values[] = {0.1f,        -0.0f, 1e-7f,       3.4028235e38f, 1.17549435e-38f,
                          16777217.0f, 0.3f,  123456.789f, -2.5f,         1e-45f};
  std::string list;
  for (float v : values) {
    if (!list.empty()) list += ", ";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%#.9g", static_cast<double>(v));
    list += buffer;
  }
  const auto host = LoadOrFail(Document(R"("anims": {"m": {"super": "material", "class": "S",
      "params": [[{"name": "t", "type": "TYPE_FLOAT_TAB", "value": [)" +
                                        list + "]}]]}}"));
  ASSERT_TRUE(host);
  const auto again = LoadOrFail(WriteOrFail(*host));
  ASSERT_TRUE(again);
  const host::ParamBlock& block = *again->FindAnim("m")->GetParamBlock(0);
  for (size_t i = 0; i < std::size(values); ++i) {
    float read = 1;
    block.GetValue(0, 0, read, static_cast<int>(i));
    EXPECT_EQ(std::memcmp(&read, &values[i], sizeof read), 0) << values[i];
  }
}

TEST(SceneFileRoundTrip, TheWrittenSceneShowsTheSystemsChanges) {
  const auto host = LoadExample("basic.json");
  ASSERT_TRUE(host);
  SimNode* box = Child(host->Root(), 0);
  box->GetMtl()->SetName(u"Wood_1");
  // A bake: a node's object replaced by its triangle mesh with vertex colours.
  SimNode* sphere = Child(*Child(host->Root(), 1), 0);
  Anim* tri = sphere->EvalWorldState(0)->ConvertToType(0, host::kTriObjectClassId);
  host::Mesh* mesh = tri->GetMesh();
  mesh->SetNumVertCol(mesh->GetNumVerts());
  mesh->SetNumVCFaces(mesh->GetNumFaces());
  for (int v = 0; v < mesh->GetNumVerts(); ++v) mesh->SetVertCol(v, {0.5f, 0.5f, 0.5f});
  for (int f = 0; f < mesh->GetNumFaces(); ++f) mesh->SetVCFace(f, mesh->GetFaceVerts(f));
  sphere->SetObjectRef(tri);
  ASSERT_TRUE(host->ExecuteMAXScriptScript(
      u"try(\n  select (getNodeByName \"Box001\")\n  resetXForm $\n  collapseStack $\n"
      u"  convertToPoly $\n)catch()",
      false, nullptr));

  const std::string text = WriteOrFail(*host);
  EXPECT_NE(text.find(R"("name": "Wood_1")"), std::string::npos);
  EXPECT_NE(text.find(R"("object": "sphere_mesh")"), std::string::npos);
  EXPECT_NE(text.find(R"("object": "box_poly")"), std::string::npos);
  EXPECT_EQ(text.find("vertex_color_faces"), std::string::npos);  // they follow the faces

  const auto again = LoadOrFail(text);
  ASSERT_TRUE(again);
  EXPECT_EQ(WriteOrFail(*again), text);
  EXPECT_EQ(Child(again->Root(), 0)->GetMtl()->GetName(), u"Wood_1");
  const SimNode* reloadedSphere = Child(*Child(again->Root(), 1), 0);
  const SimAnim* reloadedTri = again->FindAnim("sphere_mesh");
  ASSERT_NE(reloadedTri, nullptr);
  EXPECT_EQ(reloadedSphere->GetObjectRef(), reloadedTri);
  EXPECT_EQ(reloadedTri->GetClassName(), u"Editable Mesh");
  EXPECT_EQ(reloadedTri->GetHandle(), tri->GetHandle());
  ASSERT_TRUE(reloadedTri->mesh.has_value());
  ASSERT_EQ(reloadedTri->mesh->vertexColors.size(), 6u);
  EXPECT_EQ(reloadedTri->mesh->vertexColors[5]->y, 0.5f);
  const SimNode* reloadedBox = Child(again->Root(), 0);
  const SimAnim* poly = again->FindAnim("box_poly");
  ASSERT_NE(poly, nullptr);
  EXPECT_EQ(reloadedBox->GetObjectRef(), poly);
  EXPECT_EQ(poly->ClassID(), host::kEditablePolyClassId);
  EXPECT_EQ(poly->GetClassName(), u"Editable Poly");
  EXPECT_EQ(reloadedBox->GetObjectTM(0).GetTrans().x, 100.0f);
}

TEST(SceneFileRoundTrip, ColourVerticesApartFromTheGeometryAreWrittenWithTheirFaces) {
  SimHost host;
  SimAnim& tri = host.NewAnim(host::super_class::kGeomObject, u"Editable Mesh",
                              host::kTriObjectClassId, "tri");
  tri.mesh.emplace();
  tri.mesh->vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  tri.mesh->faces = {SimFace{{0, 1, 2}, 3}};
  tri.mesh->SetNumVertCol(1);
  tri.mesh->SetNumVCFaces(1);
  tri.mesh->SetVertCol(0, {1, 0, 0});
  auto node = std::make_unique<SimNode>();
  node->name = u"Tri";
  node->object = &tri;
  node->target = node.get();
  host.Root().children.push_back(std::move(node));

  const std::string text = WriteOrFail(host);
  EXPECT_NE(text.find(R"("vertex_colors": [[1.0, 0.0, 0.0]])"), std::string::npos) << text;
  EXPECT_NE(text.find(R"("vertex_color_faces": [[0, 0, 0]])"), std::string::npos);
  EXPECT_NE(text.find(R"("mat_ids": [3])"), std::string::npos);
  EXPECT_NE(text.find(R"("id": "node_1", "object": "tri", "target": "node_1")"), std::string::npos);
  const auto again = LoadOrFail(text);
  ASSERT_TRUE(again);
  EXPECT_EQ(WriteOrFail(*again), text);
}

TEST(SceneFileRoundTrip, AnAnimFromAnotherSceneCannotBeWritten) {
  SimHost host;
  SimHost other;
  auto node = std::make_unique<SimNode>();
  node->name = u"Stray";
  node->material = &other.NewAnim(host::super_class::kMaterial, u"Std");
  host.Root().children.push_back(std::move(node));
  const SceneWriteResult result = WriteSceneText(host);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message,
            "the scene cannot be written: the node \"Stray\" refers to an anim that is not part of "
            "the scene");
}

TEST(SceneFileRoundTrip, AFileIsWrittenAndReadBack) {
  const auto host = LoadExample("gradient.json");
  ASSERT_TRUE(host);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "larkspur_scene_file_test.json";
  const SceneWriteResult written = WriteSceneFile(*host, file);
  ASSERT_TRUE(written.ok) << written.message;
  const SceneLoadResult read = LoadSceneFile(file);
  std::filesystem::remove(file);
  ASSERT_TRUE(read.ok) << read.message;
  EXPECT_EQ(WriteOrFail(*read.host), written.text);
  const SceneWriteResult refused = WriteSceneFile(*host, file / "missing-folder" / "x.json");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.message.find(": cannot write the file"), std::string::npos);
}

}  // namespace
}  // namespace larkspur::sim
