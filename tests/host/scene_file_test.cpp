#include "host/sim/scene_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "host/text.h"
#include "tests/host/scene_test_util.h"

namespace larkspur::sim {
namespace {

using testing::Child;
using testing::Document;
using testing::LoadExample;
using testing::LoadOrFail;

// Anims most refusals can point at.
const std::string kAnims = R"("anims": {
  "box": {"super": "geometry", "class": "Box",
          "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
  "mat": {"super": "material", "class": "Std"},
  "map": {"super": "texmap", "class": "Noise"},
  "mod": {"super": "modifier", "class": "Bend"}
})";

std::string WithAnims(const std::string& members) {
  return Document(kAnims + ", " + members);
}

std::string WithAnim(const std::string& anim) {
  return Document(R"("anims": {"mat": {"super": "material", "class": "Std"},
                               "map": {"super": "texmap", "class": "Noise"}, "a": )" +
                  anim + "}");
}

std::string WithParam(const std::string& def) {
  return WithAnim(R"({"super": "material", "class": "Std", "params": [[)" + def + "]]}");
}

// A triangle with further mesh members.
std::string WithMesh(const std::string& members) {
  return WithAnim(R"({"super": "geometry", "class": "Box", "mesh": {
    "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]])" +
                  members + "}}");
}

// The text loaded from a file, with the file's name in a message shown as "file".
SceneLoadResult LoadedFromFile(const std::string& text) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "larkspur-scene-file-test.json";
  std::ofstream(path, std::ios::binary) << text;
  SceneLoadResult result = LoadSceneFile(path);
  std::filesystem::remove(path);
  if (result.message.rfind(path.u8string(), 0) == 0) {
    result.message = "file" + result.message.substr(path.u8string().size());
  }
  return result;
}

std::string NestedNodes(int depth) {
  std::string nodes = "{}";
  for (int i = 1; i < depth; ++i) nodes = R"({"children": [)" + nodes + "]}";
  return Document(R"("nodes": [)" + nodes + "]");
}

std::string ManyKeys(const std::string& repeated) {
  std::string keys;
  for (int i = 0; i < 12; ++i) keys += "\"k" + std::to_string(i) + "\": \"x\", ";
  return Document(R"("scene": {"resolve": {)" + keys + repeated + "}}");
}

// One case per kind of refusal: each message names the file, the key path and what was expected.
TEST(SceneFileErrors, EachKindOfRefusalHasItsMessage) {
  struct Case {
    std::string json;
    std::string message;  // the whole message ends with this text
  };
  const Case cases[] = {
      // Text that is not a JSON document; a lone surrogate moves the column by 6.
      {"{", "test.json: not valid JSON: "},
      {Document("\"scene\": {\"file_name\": \"\xff\"}"), "invalid string: ill-formed UTF-8 byte"},
      {Document(R"("scene": {"meters_per_unit": 1e400})"), "number overflow parsing '1e400'"},
      {Document(R"("scene": {"file_name": "\u0041" 1})"), "parse error at line 1, column 76"},
      {Document(R"("scene": {"file_name": "\ud800" 1})"), "parse error at line 1, column 82"},
      {"[]", "test.json: expected a scene document (an object), found a list"},
      {R"({"version": 1})", "test.json: missing required key \"format\""},
      {R"({"format": "other", "version": 1})",
       "format: expected \"larkspur-scene\", found a string (\"other\")"},
      {R"({"format": "larkspur-scene", "version": 2})",
       "version: expected the version 1, found a number (2)"},
      {Document(R"("nodez": [])"),
       "test.json: nodez: unknown key; the document takes only: format, version, scene, nodes, "
       "anims"},
      // Repeated keys: in a small object, deep in lists, among many keys; a syntax error wins.
      {R"({"format": "larkspur-scene", "version": 1, "version": 1})",
       "test.json: version: the key appears twice in one object"},
      {Document(R"("nodes": [{"children": [{}, {"name": "b", "name": "c"}]}])"),
       "test.json: nodes[0].children[1].name: the key appears twice in one object"},
      {ManyKeys(R"("\ud800": "a", "k3": "b", "\ud800": "c")"),
       "test.json: scene.resolve.k3: the key appears twice in one object"},
      {R"({"format": 1, "format": 2)", "test.json: not valid JSON: "},
      // Ids are UTF-8 and cannot hold a lone surrogate; messages show it as U+FFFD.
      {Document(R"("anims": {"a\ud800": {"super": "helper", "class": "D"}})"),
       "test.json: anims.a\xEF\xBF\xBD: an anim id must not hold a lone surrogate (\\ud800)"},
      {Document(R"("scene": {"fbx_export": "\ud800"})"),
       "scene.fbx_export: expected \"writes\", \"fails\" or \"no_file\", found a string "
       "(\"\xEF\xBF\xBD\")"},
      // References: to nothing, to the wrong kind of anim (one per rule), of the wrong type.
      {WithAnims(R"("nodes": [{"children": [{}, {}, {"material": "mat9"}]}])"),
       "nodes[0].children[2].material: no anim has the id \"mat9\""},
      {WithAnims(R"("nodes": [{"material": "box"}])"),
       "nodes[0].material: expected the id of a material, but \"box\" is a geometry object"},
      {WithAnims(R"("nodes": [{"object": "mod"}])"),
       "nodes[0].object: expected the id of an object, derived object or light, but \"mod\" is a "
       "modifier"},
      {WithAnim(R"({"super": "derived", "class": "D", "evaluates_to": "a"})"),
       "anims.a.evaluates_to: expected the id of an object that is not a derived object, but "
       "\"a\" is a derived object"},
      {WithAnim(R"({"super": "derived", "class": "D", "modifiers": ["map"]})"),
       "anims.a.modifiers[0]: expected the id of a modifier, but \"map\" is a texmap"},
      {WithAnim(
           R"({"super": "material", "class": "S", "sub_texmaps": [{"slot": "a", "map": "mat"}]})"),
       "anims.a.sub_texmaps[0].map: expected the id of a texmap, but \"mat\" is a material"},
      {WithAnims(R"("scene": {"scene_materials": ["box"]})"),
       "scene.scene_materials[0]: expected the id of a material or texmap, but \"box\" is a "
       "geometry object"},
      {WithParam(R"({"name": "a", "type": "TYPE_TEXMAP_TAB", "value": [null, "mat"]})"),
       "anims.a.params[0][0].value[1]: expected the id of a texmap, but \"mat\" is a material"},
      {WithAnims(R"("nodes": [{"material": 3}])"),
       "nodes[0].material: expected the id of a material or null, found a number (3)"},
      {WithAnim(R"({"super": "derived", "class": "D", "evaluates_to": null})"),
       "anims.a.evaluates_to: expected the id of an object that is not a derived object, found "
       "null"},
      // Nodes.
      {Document(R"("nodes": {})"),
       "nodes: expected the list of the root's children (a list), found an object"},
      {Document(R"("nodes": [{"group_head": 1}])"),
       "nodes[0].group_head: expected true or false, found a number (1)"},
      {Document(R"("nodes": [{"id": "a"}, {"children": [{"id": "a"}]}])"),
       "nodes[1].children[0].id: the node id \"a\" is already the id of nodes[0]"},
      {Document(R"("nodes": [{"target": "nobody"}])"),
       "nodes[0].target: no node has the id \"nobody\""},
      {NestedNodes(1001), "nodes nest deeper than 1000 levels"},
      {Document(R"("nodes": [{"transform": {"matrix": [[1,0,0],[0,1,0],[0,0,1],[0,0,0]],
                                            "position": [1,2,3]}}])"),
       "nodes[0].transform.position: unknown key; a transform given as a matrix takes only: "
       "matrix"},
      {Document(R"("nodes": [{"transform": {"rotation": [0, 0, 0, 0]}}])"),
       "nodes[0].transform.rotation: a rotation must not be the zero quaternion"},
      // Anims.
      {Document(R"("anims": {"": {"super": "helper", "class": "Dummy"}})"),
       "anims.: an anim id must not be empty"},
      {WithAnim(R"({"super": "geometry of a kind too long to show whole", "class": "Box"})"),
       "anims.a.super: expected one of geometry, light, camera, shape, helper, derived, "
       "modifier, material, texmap, or a number, found a string (\"geometry of a kind too long "
       "to show ...)"},
      {WithAnim(R"({"super": -1, "class": "Box"})"),
       "anims.a.super: expected an integer from 0 to 4294967295, found a number (-1)"},
      {WithAnim(R"({"super": "geometry", "class": "Box", "class_id": [1, 4294967296]})"),
       "anims.a.class_id[1]: expected an integer from 0 to 4294967295, found a number "
       "(4294967296)"},
      {Document(R"("anims": {"a": {"super": "helper", "class": "D", "handle": 7},
                             "b": {"super": "helper", "class": "D", "handle": 7}})"),
       "anims.b.handle: the handle 7 is already the handle of anim \"a\"; handles are unique"},
      {WithAnim(R"({"super": "material", "class": "Std", "mesh": {}})"),
       "anims.a.mesh: unknown key; a material takes only: super, class, class_id, handle, "
       "params, name, sub_texmaps, sub_materials"},
      {WithAnim(R"({"super": 4660, "class": "X", "mesh": {}})"),
       "anims.a.mesh: unknown key; an anim of super class 4660 takes only: super, class, "
       "class_id, handle, params"},
      {WithAnim(R"({"super": "texmap", "class": "Noise", "map_name": "a.png"})"),
       "anims.a.map_name: only a map of class_id [576, 0] has a map name"},
      {WithAnim(R"({"super": "texmap", "class": "G",
                    "gradient_flags": [{"position": 150, "color": [0, 0, 0]}]})"),
       "anims.a.gradient_flags[0].position: expected a number from 0 to 100, found a number "
       "(150)"},
      // Anims are read as they come, yet the error is the first a reading of the whole finds: the
      // document's keys, then every anim's head, then the bodies, with references to anims given
      // further on checked in their place.
      {R"({"anims": {"a": {"super": "bad", "class": "D"}}, "format": "other", "version": 1})",
       "format: expected \"larkspur-scene\""},
      {Document(R"("anims": {"a": {"super": "derived", "class": "D", "modifiers": ["z"]},
                             "z": {"super": "texmap", "class": "N"}})"),
       "anims.a.modifiers[0]: expected the id of a modifier, but \"z\" is a texmap"},
      {Document(R"("anims": {"a": {"super": "helper", "class": "D", "params": 1},
                             "b": {"super": "helper"}})"),
       "anims.b: missing required key \"class\""},
      {Document(R"("anims": {"a": {"super": "derived", "class": "D", "object": "nobody"},
                             "b": {"super": "helper", "class": "D", "params": 1}})"),
       "anims.a.object: no anim has the id \"nobody\""},
      {Document(R"("anims": {"a": {"super": "helper", "class": "D", "params": 1},
                             "b": {"super": "derived", "class": "D", "object": "nobody"}})"),
       "anims.a.params: expected the parameter blocks (a list), found a number (1)"},
      {Document(R"("anims": {"a": {"super": "helper", "class": "D", "params": 1},
                             "a": {"super": "helper", "class": "D"}})"),
       "anims.a: the key appears twice in one object"},
      // Parameters.
      {WithParam(R"({"name": "a", "type": "TYPE_FLAOT", "value": 1})"),
       "anims.a.params[0][0].type: expected an SDK type name such as TYPE_FLOAT or "
       "TYPE_RGBA_TAB, or a number, found a string (\"TYPE_FLAOT\")"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT"})"),
       "anims.a.params[0][0]: missing required key \"value\""},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT", "value": 1},
                    {"name": "b", "type": "TYPE_FLOAT", "id": 0, "value": 1})"),
       "anims.a.params[0][1].id: the parameter id 0 is already the id of anims.a.params[0][0]"},
      {WithParam(R"({"name": "a", "type": "TYPE_FLOAT_TAB", "value": [1, true]})"),
       "anims.a.params[0][0].value[1]: expected a number, found a boolean (true)"},
      {WithParam(R"({"name": "a", "type": "TYPE_INT", "value": 1.5})"),
       "anims.a.params[0][0].value: expected an integer from -2147483648 to 2147483647, found a "
       "number (1.5)"},
      {WithParam(R"({"name": "a", "type": "TYPE_BOOL", "value": "yes"})"),
       "anims.a.params[0][0].value: expected true, false or an integer, found a string "
       "(\"yes\")"},
      {WithParam(R"({"name": "a", "type": "TYPE_STRING", "value": 3})"),
       "anims.a.params[0][0].value: expected a string or null, found a number (3)"},
      // Meshes.
      {WithAnim(
           R"({"super": "geometry", "class": "Box", "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]],
                    "faces": [[0,1,2],[0,1,3]]}})"),
       "anims.a.mesh.faces[1][2]: expected an integer from 0 to 2, found a number (3)"},
      {WithAnim(R"({"super": "geometry", "class": "Box",
                    "mesh": {"vertices": [], "faces": [[0,1,2]]}})"),
       "anims.a.mesh.faces[0]: a face needs vertices to index"},
      {WithMesh(R"(, "mat_ids": [0, 1])"),
       "anims.a.mesh.mat_ids: expected a list of one material id per face (1), found a list"},
      {WithMesh(R"(, "vertex_colors": [[1,1,1], null])"),
       "anims.a.mesh.vertex_colors: expected one colour or null per vertex (3), found a list"},
      {WithMesh(R"(, "vertex_color_faces": [[0,0,0]])"),
       "anims.a.mesh.vertex_color_faces: needs \"vertex_colors\""},
      // Scene settings.
      {Document(R"("scene": {"meters_per_unit": "cm"})"),
       "scene.meters_per_unit: expected a number, found a string (\"cm\")"},
      {Document(R"("scene": {"resolve": {"a.png": null}})"),
       "scene.resolve.a.png: expected a string, found null"},
  };
  for (const Case& c : cases) {
    const SceneLoadResult result = LoadSceneText(c.json, "test.json");
    EXPECT_FALSE(result.ok) << c.json;
    EXPECT_EQ(result.host, nullptr);
    EXPECT_NE(result.message.find(c.message), std::string::npos)
        << "message: " << result.message << "\nwanted:  " << c.message;
    EXPECT_EQ(result.message.rfind("test.json: ", 0), 0u) << result.message;
    EXPECT_EQ(LoadedFromFile(c.json).message, "file: " + result.message.substr(11)) << c.json;
  }
  EXPECT_EQ(LoadSceneFile("no-such-scene.json").message,
            "no-such-scene.json: cannot open the file");
  // A folder cannot be opened (Windows) or read (elsewhere): a message, never an exception.
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
#ifdef _WIN32
  EXPECT_EQ(LoadSceneFile(folder).message, folder.u8string() + ": cannot open the file");
#else
  EXPECT_EQ(LoadSceneFile(folder).message, folder.u8string() + ": cannot read the file");
#endif
  EXPECT_TRUE(LoadSceneText(NestedNodes(1000), "test.json").ok);
}

// A file is parsed where it lies, and read again for the texts the fast parser gives up on: it
// loads as its text does, deep nesting, rare numbers and a byte order mark included.
TEST(SceneFileLoad, AFileLoadsAsItsText) {
  const std::string texts[] = {NestedNodes(600),
                               Document(R"("scene": {"meters_per_unit": 1e-400})"),
                               "\xEF\xBB\xBF" + WithAnims(R"("nodes": [{"object": "box"}])")};
  for (const std::string& text : texts) {
    const SceneLoadResult fromText = LoadSceneText(text, "text");
    const SceneLoadResult fromFile = LoadedFromFile(text);
    ASSERT_TRUE(fromText.ok && fromFile.ok) << fromText.message << fromFile.message;
    EXPECT_EQ(WriteSceneText(*fromFile.host).text, WriteSceneText(*fromText.host).text);
  }
}

TEST(SceneFileLoad, SettingsAnswerTheirHostOperationsAndDefaultWhenAbsent) {
  const auto empty = LoadOrFail(Document(""));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->GetSystemUnitScale(host::unit_type::kMeters), 0.0254);
  EXPECT_EQ(empty->GetDir(host::kUserScriptsDirId), DefaultUserScriptsDir());
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(DefaultUserScriptsDir())));
  EXPECT_EQ(empty->fbxExport, FbxExportMode::kWrites);
  EXPECT_FALSE(empty->sceneMaterials.has_value());

  const auto host = LoadOrFail(Document(R"(
    "scene": {"meters_per_unit": -2.5, "user_scripts_dir": "C:\\u\\scripts",
              "resolve": {"x.png": "C:\\m\\x.png"}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(host->GetSystemUnitScale(host::unit_type::kMeters), -2.5);
  EXPECT_EQ(host->GetDir(host::kUserScriptsDirId), u"C:\\u\\scripts");
  EXPECT_EQ(host->GetDir(0), u"");
  EXPECT_EQ(host->GetFullFilePath(u"x.png"), u"C:\\m\\x.png");
  EXPECT_EQ(host->GetFullFilePath(u"X.png"), u"");  // compared exactly
}

// The escape of a lone surrogate is that single code unit in the loaded text; an escaped
// backslash before "ud800" is text, and U+FDD0 of the file (the reader's carrier) is itself.
TEST(SceneFileLoad, LoneSurrogateEscapesBecomeLoneCodeUnits) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "a\ud800b"}, {"name": "\udc00\ud800"}, {"name": "\ud83d\ude00 \ud83d"},
              {"name": "\\ud800 \\\udfff"},
              {"name": "\ufdd0\ud800 \ufdd0\ue000 )"
                                        "\xEF\xB7\x90"
                                        R"(\ufdd0 \uD800"}],
    "anims": {"\ufdd0m": {"super": "material", "class": "S\udbff"}})"));
  ASSERT_TRUE(host);
  const std::u16string wanted[] = {
      u"a\xD800"
      u"b",
      u"\xDC00\xD800",
      u"\xD83D\xDE00 \xD83D",
      u"\\ud800 \\\xDFFF",
      u"\xFDD0\xD800 \xFDD0\xE000 \xFDD0\xFDD0 \xD800",
  };
  for (size_t i = 0; i < std::size(wanted); ++i) EXPECT_EQ(Child(host->Root(), i)->name, wanted[i]);
  const SimAnim* mat = host->FindAnim("\xEF\xB7\x90m");  // an id is UTF-8 as written
  ASSERT_NE(mat, nullptr);
  EXPECT_EQ(mat->className, u"S\xDBFF");
}

TEST(SceneFileLoad, ReferencesToOneIdAreOneObjectEvenInCycles) {
  const auto host = LoadExample("shared.json");
  ASSERT_TRUE(host);
  SimNode* first = Child(host->Root(), 0);
  EXPECT_EQ(first->GetObjectRef(), Child(host->Root(), 1)->GetObjectRef());
  const Anim* outer = first->GetMtl();
  EXPECT_EQ(outer->GetSubMtl(1), outer);
  const Anim* mix = outer->GetSubTexmap(0);
  EXPECT_EQ(outer->GetSubMtl(0)->GetSubTexmap(0), mix);
  EXPECT_EQ(mix->GetSubTexmap(0), mix);
  host::Anim* fromParam = nullptr;
  EXPECT_TRUE(mix->GetParamBlock(0)->GetValue(0, 0, fromParam, 0));
  EXPECT_EQ(fromParam, mix);
}

// Blocks with equal definition lists share one descriptor, however the file spells the names;
// any other name (case and null included), type, id or length makes another. Values stay each
// block's own.
TEST(SceneFileLoad, EqualDefinitionListsShareOneDescriptor) {
  const std::string blocks[] = {
      R"({"name": "amount", "type": "TYPE_FLOAT", "value": 0})",
      R"({"name": "amount", "type": "TYPE_FLOAT", "value": 1})",
      R"({"name": "Amount", "type": "TYPE_FLOAT", "value": 2})",
      R"({"name": null, "type": "TYPE_FLOAT", "value": 3})",
      R"({"name": "", "type": "TYPE_FLOAT", "value": 4})",
      R"({"name": "amount", "type": "TYPE_WORLD", "value": 5})",
      R"({"name": "amount", "type": "TYPE_FLOAT", "id": 7, "value": 6})",
      R"({"name": "amount", "type": "TYPE_FLOAT", "value": 7}, {"name": "b", "type": 17})",
      // Two spellings of one name, and the lone surrogate escape the parser carries.
      R"({"name": "\u00e9\uDBFF", "type": "TYPE_FLOAT", "value": 8})",
      "{\"name\": \"\xC3\xA9\\uDBFF\", \"type\": \"TYPE_FLOAT\", \"value\": 9}",
  };
  std::string anims;
  for (size_t i = 0; i < std::size(blocks); ++i) {
    anims += (i ? ", \"m" : "\"m") + std::to_string(i) +
             R"(": {"super": "material", "class": "M", "params": [[)" + blocks[i] + "]]}";
  }
  const auto host = LoadOrFail(Document(R"("anims": {)" + anims + "}"));
  ASSERT_TRUE(host);
  std::set<const host::ParamBlockDesc*> distinct;
  for (size_t i = 0; i < std::size(blocks); ++i) {
    const host::ParamBlock& block = *host->FindAnim("m" + std::to_string(i))->GetParamBlock(0);
    distinct.insert(block.GetDesc());
    float value = -1;
    EXPECT_TRUE(block.GetValue(i == 6 ? 7 : 0, 0, value, 0)) << i;
    EXPECT_EQ(value, static_cast<float>(i));
  }
  for (const char* shared : {"m1", "m9"}) {
    const Anim& anim = *host->FindAnim(shared);
    const Anim& first = *host->FindAnim(shared == std::string("m1") ? "m0" : "m8");
    EXPECT_EQ(anim.GetParamBlock(0)->GetDesc(), first.GetParamBlock(0)->GetDesc()) << shared;
  }
  EXPECT_EQ(distinct.size(), std::size(blocks) - 2);
  EXPECT_EQ(host->FindAnim("m9")->GetParamBlock(0)->GetDesc()->paramdefs[0].internalName,
            std::u16string(u"\u00e9\xDBFF"));
}

std::string WriteOrFail(const SimHost& host) {
  const SceneWriteResult written = WriteSceneText(host);
  EXPECT_TRUE(written.ok) << written.message;
  return written.text;
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// golden/edits.scene.json holds every form the format has, written loosely; after the changes an
// export makes, the written scene must be golden/edits.written.json byte for byte, and writing
// that again must give the same text. LARKSPUR_UPDATE_GOLDEN=1 rewrites the golden (review it).
TEST(SceneFileWrite, TheWrittenSceneIsTheGoldenAndReadsBackToItself) {
  const auto host = LoadOrFail(ReadFile("golden/edits.scene.json"));
  ASSERT_TRUE(host);
  host->FindAnim("paint")->SetName(u"Paint_1");
  // A bake: the node's object replaced by its triangle mesh with vertex colours of its own.
  SimNode* sphere = Child(*Child(host->Root(), 1), 0);
  Anim* tri = sphere->EvalWorldState(0)->ConvertToType(0, host::kTriObjectClassId);
  host::Mesh* mesh = tri->GetMesh();
  mesh->SetNumVertCol(1);
  mesh->SetNumVCFaces(mesh->GetNumFaces());
  mesh->SetVertCol(0, {0.5f, 0.25f, 1.0f});
  for (int f = 0; f < mesh->GetNumFaces(); ++f) mesh->SetVCFace(f, {0, 0, 0});
  sphere->SetObjectRef(tri);
  ASSERT_TRUE(host->ExecuteMAXScriptScript(
      u"try(\n  select (getNodeByName \"box001\")\n  resetXForm $\n  collapseStack $\n"
      u"  convertToPoly $\n)catch()",
      false, nullptr));
  // A target without an id gets a fresh one; "node_1" is taken.
  Child(*Child(host->Root(), 1), 1)->target = Child(*Child(host->Root(), 1), 2);
  host->NewAnim(host::super_class::kHelper, u"Dummy", {}, "late");

  const std::string written = WriteOrFail(*host);
  if (std::getenv("LARKSPUR_UPDATE_GOLDEN")) {
    std::ofstream("golden/edits.written.json", std::ios::binary) << written;
  }
  EXPECT_EQ(written, ReadFile("golden/edits.written.json"));
  const auto again = LoadOrFail(written);
  ASSERT_TRUE(again);
  EXPECT_EQ(WriteOrFail(*again), written);
}

TEST(SceneFileWrite, WhatNoFileCanSayIsRefused) {
  SimHost other;
  SimHost host;
  auto stray = std::make_unique<SimNode>();
  stray->name = u"Stray";
  stray->material = &other.NewAnim(host::super_class::kMaterial, u"Std");
  host.Root().children.push_back(std::move(stray));
  EXPECT_EQ(WriteSceneText(host).message,
            "the scene cannot be written: the node \"Stray\" refers to an anim that is not part of "
            "the scene");
  host.Root().children.clear();
  auto outside = std::make_unique<SimNode>();
  auto seeker = std::make_unique<SimNode>();
  seeker->name = u"Seeker";
  seeker->target = outside.get();
  host.Root().children.push_back(std::move(seeker));
  EXPECT_EQ(WriteSceneText(host).message,
            "the scene cannot be written: the node \"Seeker\" targets a node that is not in the "
            "scene");
}

// Writing a file and loading it again is checked through the command line (--scene-out).
TEST(SceneFileWrite, AFileThatCannotBeWrittenIsNamed) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "larkspur-missing-folder" / "x.json";
  const SceneWriteResult refused = WriteSceneFile(SimHost(), file);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, file.u8string() + ": cannot write the file");
}

// UTF-16 to UTF-8 shows in the lone-surrogate and names goldens.
TEST(Text, MalformedUtf8BecomesReplacementCharactersAndCaseFoldingIsAscii) {
  const std::pair<std::string, Text> fromUtf8[] = {
      {"Caf\xC3\xA9\xF0\x9F\x98\x80", u"Caf\u00e9\U0001F600"},
      {"\xFF", u"\uFFFD"},
      {"a\xC3", u"a\uFFFD"},
      {"\xE2\x82x", u"\uFFFDx"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& [in, out] : fromUtf8) EXPECT_EQ(FromUtf8(in), out) << in;
  EXPECT_TRUE(EqualsIgnoreCase(u"DIFFUSECOLOR", u"diffuseColor"));
  EXPECT_FALSE(EqualsIgnoreCase(u"\u00c9", u"\u00e9"));  // ASCII letters only
  EXPECT_EQ(ToLowerAscii(u"CoronaMtl \u00c9"), u"coronamtl \u00c9");
}

}  // namespace
}  // namespace larkspur::sim
