#include "host/sim/sim_scripts.h"

#include <gtest/gtest.h>

#include "host/text.h"
#include "tests/host/scene_test_util.h"

namespace larkspur::sim {
namespace {

using testing::Child;
using testing::Document;
using testing::LoadExample;
using testing::LoadOrFail;

const Text kGroupExplosion = u"max select all\ntry(macros.run \"Group\" \"Explode\")catch()";

Text FlattenScript(const Text& nameLiteral) {
  return u"try(\n  select (getNodeByName \"" + nameLiteral +
         u"\")\n  resetXForm $\n  collapseStack $\n  convertToPoly $\n)catch()";
}

Text ProbeScript(const Text& nameLiteral) {
  return u"fn LK_findGradientRamp targetName = ( undefined )\n"
         u"local gr = LK_findGradientRamp \"" +
         nameLiteral + u"\"\nif gr == undefined then \"ERROR:NOTFOUND\" else \"\"";
}

Text Names(const SimNode& parent) {
  Text names;
  for (const auto& child : parent.children) names += child->name + u";";
  return names;
}

TEST(SimScripts, GroupExplosionPutsEachHeadsChildrenInItsPlace) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [
      {"name": "A"},
      {"name": "G1", "id": "g1", "group_head": true, "children": [
        {"name": "B"},
        {"name": "G2", "group_head": true, "children": [{"name": "C"}, {"name": "D"}]},
        {"name": "E", "children": [{"name": "G3", "group_head": true,
                                    "children": [{"name": "F"}]}]}]},
      {"name": "H", "target": "g1"}])"));
  ASSERT_TRUE(host);
  host::ScriptResult result{true, u"stale"};
  EXPECT_TRUE(host->ExecuteMAXScriptScript(kGroupExplosion, false, &result));
  EXPECT_FALSE(result.isString);
  EXPECT_EQ(Names(host->Root()), u"A;B;C;D;E;H;");
  EXPECT_EQ(Names(*Child(host->Root(), 4)), u"F;");
  EXPECT_EQ(Child(host->Root(), 5)->GetTarget(), nullptr);  // its target was a removed head
  EXPECT_EQ(host->selection.size(), 7u);                    // "max select all", less the heads
  EXPECT_TRUE(host->ExecuteMAXScriptScript(u"clearSelection()", false, nullptr));
  EXPECT_TRUE(host->selection.empty());
  EXPECT_EQ(host->scripts, (std::vector<Text>{kGroupExplosion, u"clearSelection()"}));
}

TEST(SimScripts, FlatteningMovesRotationAndScaleIntoANewPolyObject) {
  const auto host = LoadExample("groups.json");
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->ExecuteMAXScriptScript(kGroupExplosion, false, nullptr));
  SimNode* box = Child(host->Root(), 1);
  ASSERT_EQ(box->GetName(), u"Box002");
  const Anim* stack = box->GetObjectRef();

  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"Box002"), false, nullptr));
  const Anim* poly = box->GetObjectRef();
  ASSERT_NE(poly, stack);
  EXPECT_EQ(poly, box->EvalWorldState(0));  // the stack is collapsed
  EXPECT_EQ(poly->SuperClassID(), host::super_class::kGeomObject);
  EXPECT_EQ(poly->ClassID(), host::kEditablePolyClassId);
  EXPECT_EQ(poly->GetClassName(), u"Editable Poly");
  const Matrix3 tm = box->GetObjectTM(0);
  EXPECT_EQ(tm.rows[0].x, 1.0f);
  EXPECT_EQ(tm.rows[0].y, 0.0f);
  EXPECT_EQ(tm.rows[1].y, 1.0f);
  EXPECT_EQ(tm.rows[2].z, 1.0f);
  EXPECT_EQ(tm.GetTrans().x, 30.0f);
  // Rotated 90 degrees about z and scaled 2 along y: x goes to y, y goes to -2x.
  const SimMesh& mesh = *static_cast<const SimAnim*>(poly)->mesh;
  EXPECT_NEAR(mesh.vertices[1].x, 0.0f, 1e-6);
  EXPECT_NEAR(mesh.vertices[1].y, 1.0f, 1e-6);
  EXPECT_NEAR(mesh.vertices[2].x, -2.0f, 1e-6);
  EXPECT_NEAR(mesh.vertices[2].y, 0.0f, 1e-6);
  EXPECT_EQ(host->FindAnim("box_b")->mesh->vertices[2].y, 1.0f);  // the old object is untouched
  EXPECT_EQ(host->selection, std::unordered_set<const SimNode*>{box});
}

TEST(SimScripts, FlatteningFindsTheNodeByTheScriptsStringLiteral) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "Box \"A\" \\ 1", "object": "box"},
              {"name": "line1\nline2", "object": "box"},
              {"name": "C:\\new", "object": "box"},
              {"name": "Box001", "object": "box"},
              {"name": "Box001", "object": "box"},
              {"name": "Omni", "object": "light"}],
    "anims": {"box": {"super": "geometry", "class": "Box",
                      "mesh": {"vertices": [[1,2,3]], "faces": []}},
              "light": {"super": "light", "class": "Omnilight"}})"));
  ASSERT_TRUE(host);
  const Anim* box = host->FindAnim("box");
  auto flattened = [&](int index) { return Child(host->Root(), index)->GetObjectRef() != box; };

  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"Box \\\"A\\\" \\\\ 1"), false, nullptr));
  EXPECT_TRUE(flattened(0));
  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"line1\\nline2"), false, nullptr));
  EXPECT_TRUE(flattened(1));
  // Unescaped, the backslash starts an escape: the script looks for "C:<line feed>ew".
  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"C:\\new"), false, nullptr));
  EXPECT_FALSE(flattened(2));
  // The host's lookup ignores case and takes the first node of that name.
  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"BOX001"), false, nullptr));
  EXPECT_TRUE(flattened(3));
  EXPECT_FALSE(flattened(4));
  // A light has no mesh to become a poly; the script's catch swallows that.
  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"Omni"), false, nullptr));
  EXPECT_EQ(Child(host->Root(), 5)->GetObjectRef(), host->FindAnim("light"));
  EXPECT_TRUE(host->ExecuteMAXScriptScript(FlattenScript(u"Nobody"), false, nullptr));

  // A quote that leaves the literal, or an escape the language lacks, is a syntax error.
  EXPECT_FALSE(host->ExecuteMAXScriptScript(FlattenScript(u"Box \"A\" \\\\ 1"), false, nullptr));
  EXPECT_FALSE(host->ExecuteMAXScriptScript(FlattenScript(u"C:\\qux"), false, nullptr));
  EXPECT_FALSE(host->ExecuteMAXScriptScript(FlattenScript(u"trailing\\"), false, nullptr));
  EXPECT_EQ(host->scripts.size(), 9u);
}

TEST(SimScripts, OtherScriptsFail) {
  SimHost host;
  const Text scripts[] = {u"", u"clearSelection() ", u"max select all",
                          u"try(\n  select (getNodeByName \"Box001\")\n)catch()",
                          u"LK_findGradientRamp \"unterminated"};
  for (const Text& script : scripts) {
    host::ScriptResult result{true, u"stale"};
    EXPECT_FALSE(host.ExecuteMAXScriptScript(script, false, &result)) << ToUtf8(script);
  }
  EXPECT_EQ(host.scripts.size(), std::size(scripts));
  EXPECT_EQ(host.scripts[3], scripts[3]);
}

TEST(SimScripts, TheGradientProbeAnswersFromTheStopsOfTheFirstMapFound) {
  const auto host = LoadExample("gradient.json");
  ASSERT_TRUE(host);
  struct Case {
    Text literal;
    Text answer;
  };
  const Case cases[] = {
      {u"Ramp \\\"A\\\"", u"100.0,255.0,255.0,255.0|0.0,0.0,0.0,0.0|50.0,255.0,127.5,0.0"},
      {u"Loose", u"0.0,10.0,20.0,30.0|100.0,40.0,50.0,60.0"},  // only in scene_materials
      {u"loose", u"ERROR:NOTFOUND"},
      {u"Paint", u"ERROR:NOTFOUND"},  // a material, not a map
      {u"", u"ERROR:NOTFOUND"},
  };
  for (const Case& c : cases) {
    host::ScriptResult result;
    EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(c.literal), true, &result));
    EXPECT_TRUE(result.isString);
    EXPECT_EQ(result.text, c.answer) << ToUtf8(c.literal);
  }
  host->FindAnim("ramp")->gradientStops.clear();
  host::ScriptResult result;
  EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(u"Ramp \\\"A\\\""), true, &result));
  EXPECT_EQ(result.text, u"ERROR:NOCONTAINER");
}

TEST(SimScripts, TheGradientProbeSearchesInTheHostsOrder) {
  const auto host = LoadOrFail(Document(R"(
    "scene": {"scene_materials": ["late"]},
    "nodes": [{"name": "parent", "children": [{"material": "child_mtl"}]},
              {"material": "top"},
              {"material": "cycle"}],
    "anims": {
      "top": {"super": "material", "class": "S",
              "sub_texmaps": [{"slot": "a", "map": "in_map"}], "sub_materials": ["sub"]},
      "sub": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "a", "map": "in_sub"}]},
      "in_map": {"super": "texmap", "class": "G", "name": "R",
                 "gradient_flags": [{"position": 1, "color": [1, 1, 1]}]},
      "in_sub": {"super": "texmap", "class": "G", "name": "R",
                 "gradient_flags": [{"position": 2, "color": [2, 2, 2]}]},
      "child_mtl": {"super": "material", "class": "S",
                    "sub_texmaps": [{"slot": "a", "map": "nested"}]},
      "nested": {"super": "texmap", "class": "Mix", "name": "outer",
                 "sub_texmaps": [{"slot": "a", "map": "deep"}]},
      "deep": {"super": "texmap", "class": "G", "name": "Deep",
               "gradient_flags": [{"position": 12.25, "color": [0.1, 0.00001, 254.99998]},
                                  {"position": null, "color": [0, 0, 0]}]},
      "cycle": {"super": "material", "class": "S", "sub_materials": ["cycle"],
                "sub_texmaps": [{"slot": "a", "map": "loop"}]},
      "loop": {"super": "texmap", "class": "Mix", "sub_texmaps": [{"slot": "a", "map": "loop"}]},
      "late": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "a", "map": "in_map"}]}
    })"));
  ASSERT_TRUE(host);
  host::ScriptResult result;
  EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(u"R"), true, &result));
  EXPECT_EQ(result.text, u"2.0,2.0,2.0,2.0");  // sub-materials before sub-maps
  EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(u"Deep"), true, &result));
  EXPECT_EQ(result.text, u"12.25,0.1,1e-05,254.99998|100.0,0.0,0.0,0.0");
  EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(u"nothing"), true, &result));
  EXPECT_EQ(result.text, u"ERROR:NOTFOUND");
}

}  // namespace
}  // namespace larkspur::sim
