#include "host/sim/sim_scripts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/text.h"
#include "tests/host/scene_test_util.h"

namespace larkspur::sim {
namespace {

using testing::Child;
using testing::Document;
using testing::LoadExample;
using testing::LoadOrFail;
namespace sc = host::super_class;

// One node per case; each names the anim its object is and the anim it evaluates to.
TEST(SimScene, EvaluationFollowsDerivedObjectsDownToTheirBase) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"object": "base"}, {"object": "top"}, {"object": "named_top"},
              {"object": "named_middle"}, {"object": "empty"}, {"object": null},
              {"object": "loop_a"}, {"object": "light"}],
    "anims": {
      "base": {"super": "geometry", "class": "Box"},
      "other": {"super": "geometry", "class": "Sphere"},
      "third": {"super": "geometry", "class": "Cone"},
      "light": {"super": "light", "class": "CoronaLight"},
      "middle": {"super": "derived", "class": "Derived Object", "object": "base"},
      "top": {"super": "derived", "class": "Derived Object", "object": "middle"},
      "named_inner": {"super": "derived", "class": "Derived Object", "object": "base",
                      "evaluates_to": "third"},
      "named_top": {"super": "derived", "class": "Derived Object", "object": "named_inner",
                    "evaluates_to": "other"},
      "named_middle": {"super": "derived", "class": "Derived Object", "object": "named_inner"},
      "empty": {"super": "derived", "class": "Derived Object", "modifiers": [null]},
      "loop_a": {"super": "derived", "class": "Derived Object", "object": "loop_b"},
      "loop_b": {"super": "derived", "class": "Derived Object", "object": "loop_a"}})"));
  ASSERT_TRUE(host);
  const char* expected[] = {"base", "base", "other", "third", nullptr, nullptr, nullptr, "light"};
  for (int i = 0; i < 8; ++i) {
    const Anim* want = expected[i] ? host->FindAnim(expected[i]) : nullptr;
    EXPECT_EQ(Child(host->Root(), i)->EvalWorldState(0), want) << i;
  }
  const Anim* empty = host->FindAnim("empty");
  EXPECT_EQ(empty->NumModifiers(), 1);
  EXPECT_EQ(empty->GetModifier(0), nullptr);
  EXPECT_EQ(empty->GetModifier(1), nullptr);
}

// A converted object's class, class id, fresh handle and copied mesh show in the golden of the
// written scene (golden/edits.written.json).
TEST(SimScene, TriangleConversionGivesTheSameTriangleObjectOrANewOne) {
  const auto host = LoadOrFail(Document(R"("anims": {
    "tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0],
            "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
    "box": {"super": "geometry", "class": "Box", "class_id": [16, 0],
            "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
    "nurbs": {"super": "geometry", "class": "NURBS"},
    "bare_tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0]}})"));
  ASSERT_TRUE(host);
  SimAnim* tri = host->FindAnim("tri");
  EXPECT_TRUE(tri->CanConvertToType(host::kTriObjectClassId));
  EXPECT_FALSE(tri->CanConvertToType(host::kEditablePolyClassId));
  EXPECT_EQ(tri->ConvertToType(0, host::kTriObjectClassId), tri);
  EXPECT_FALSE(host->FindAnim("nurbs")->CanConvertToType(host::kTriObjectClassId));
  EXPECT_EQ(host->FindAnim("nurbs")->ConvertToType(0, host::kTriObjectClassId), nullptr);
  EXPECT_EQ(host->FindAnim("bare_tri")->ConvertToType(0, host::kTriObjectClassId), nullptr);
  // Each conversion is a new object under an id no other anim has; a deleted one leaves the scene.
  SimAnim* box = host->FindAnim("box");
  Anim* converted = box->ConvertToType(0, host::kTriObjectClassId);
  Anim* second = box->ConvertToType(0, host::kTriObjectClassId);
  ASSERT_NE(converted, box);
  EXPECT_NE(converted->GetMesh(), box->GetMesh());
  EXPECT_EQ(host->FindAnim("box_mesh"), converted);
  EXPECT_EQ(host->FindAnim("box_mesh_2"), second);
  EXPECT_EQ(host->NewAnim(sc::kHelper, u"D", {}, "box_mesh").id, "box_mesh_3");
  converted->DeleteMe();
  EXPECT_EQ(host->FindAnim("box_mesh"), nullptr);
  EXPECT_EQ(host->Anims().size(), 6u);
}

TEST(SimScene, ReadsAnswerTheStoredValueOrAreRefusedAndLeaveItAlone) {
  const auto host = LoadOrFail(Document(R"("anims": {"m": {"super": "material", "class": "S",
    "params": [null, [{"name": "tab", "type": "TYPE_FLOAT_TAB", "value": [1, 2]},
                      {"name": "i", "type": "TYPE_BOOL", "value": 5},
                      {"name": "node", "type": 17},
                      {"name": "empty", "type": "TYPE_RGBA_TAB", "value": []},
                      {"name": "s", "type": "TYPE_STRING", "value": null}]]}})"));
  ASSERT_TRUE(host);
  const Anim* m = host->FindAnim("m");
  EXPECT_EQ(m->GetParamBlock(0)->GetDesc(), nullptr);
  EXPECT_EQ(m->GetParamBlock(2), nullptr);
  const host::ParamBlock& block = *m->GetParamBlock(1);
  float f = 0;
  int i = 0;
  host::Color c;  // zero
  std::optional<Text> s = u"stale";
  EXPECT_TRUE(block.GetValue(0, 0, f, 1) && f == 2.0f);
  EXPECT_TRUE(block.GetValue(1, 0, i, 0) && i == 5);  // a bool holds the int it was given
  EXPECT_TRUE(block.GetValue(4, 0, s, 0) && !s.has_value());
  EXPECT_EQ(block.Count(0), 2);
  EXPECT_EQ(block.Count(1), 0);
  EXPECT_EQ(block.Count(3), 0);
  struct Case {
    host::ParamId id;
    int tabIndex;
  };
  // Beyond the end, before the start, an index into a scalar, an unknown id, a type read as
  // nothing, an empty table.
  const Case refused[] = {{0, 2}, {0, -1}, {1, 1}, {9, 0}, {2, 0}, {3, 0}};
  for (const Case& r : refused) {
    f = -1;
    EXPECT_FALSE(block.GetValue(r.id, 0, f, r.tabIndex)) << r.id << " " << r.tabIndex;
    EXPECT_FALSE(block.GetValue(r.id, 0, c, r.tabIndex)) << r.id << " " << r.tabIndex;
    EXPECT_EQ(f, -1.0f);
  }
  EXPECT_EQ(c.r, 0.0f);
  i = -1;
  EXPECT_FALSE(block.GetValue(0, 0, i, 0));  // a float table read as int
  EXPECT_EQ(i, -1);
}

Quat AxisAngle(float x, float y, float z, float degrees) {
  const float half = degrees * 3.14159265f / 360.0f;
  const float s = std::sin(half) / std::sqrt(x * x + y * y + z * z);
  return Quat{x * s, y * s, z * s, std::cos(half)};
}

// The decomposition rebuilds the matrix, mirrors included, with a unit quaternion whose w is never
// negative; where the rotation is fixed (a negative w, a flat scale) it is exactly the one given.
TEST(SimScene, DecompositionRebuildsTheMatrix) {
  const float h = 0.70710678f;
  Matrix3 mirror;
  mirror.rows[0] = Point3{-2, 0, 0};
  mirror.rows[3] = Point3{1, 2, 3};
  struct Case {
    Matrix3 m;
    std::optional<Quat> rotation;
  };
  const Case cases[] = {
      {ComposeMatrix({5, 5, 5}, AxisAngle(1, 0, 0, 180), {2, 2, 2}), {}},
      {ComposeMatrix({}, AxisAngle(0, 1, 0, 180), {1, 3, 0.5f}), {}},
      {ComposeMatrix({-7, 0, 2}, AxisAngle(1, 2, 3, 130), {0.25f, 2, 1}), {}},
      {ComposeMatrix({0, 1, 0}, AxisAngle(-3, 1, 0.5f, 250), {1, 1, 10}), {}},
      {mirror, {}},
      {ComposeMatrix({}, Quat{0, 0, -h, -h}, {1, 1, 1}), Quat{0, 0, h, h}},
      {ComposeMatrix({}, Quat{}, {0, 1, 1}), Quat{}},
      {ComposeMatrix({}, Quat{}, {0, 0, 0}), Quat{}},
  };
  SimHost host;
  for (const Case& c : cases) {
    Point3 p;
    Quat q;
    Point3 s;
    host.DecomposeMatrix(c.m, p, q, s);
    EXPECT_GE(q.w, 0.0f);
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5);
    const Matrix3 rebuilt = ComposeMatrix(p, q, s);
    for (int row = 0; row < 4; ++row) {
      EXPECT_NEAR(rebuilt.rows[row].x, c.m.rows[row].x, 1e-4) << "row " << row;
      EXPECT_NEAR(rebuilt.rows[row].y, c.m.rows[row].y, 1e-4) << "row " << row;
      EXPECT_NEAR(rebuilt.rows[row].z, c.m.rows[row].z, 1e-4) << "row " << row;
    }
    if (!c.rotation) continue;
    const float wanted[] = {c.rotation->x, c.rotation->y, c.rotation->z, c.rotation->w};
    const float got[] = {q.x, q.y, q.z, q.w};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(got[k], wanted[k], 1e-6);
      EXPECT_FALSE(std::signbit(got[k]));  // no -0.0
    }
  }
}

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
  EXPECT_EQ(poly, host->FindAnim("box_b_poly"));
  const Matrix3 tm = box->GetObjectTM(0);  // the position alone is left
  EXPECT_EQ(tm.rows[1].y, 1.0f);
  EXPECT_EQ(tm.GetTrans().x, 30.0f);
  // Rotated 90 degrees about z and scaled 2 along y: y goes to -2x.
  EXPECT_NEAR(static_cast<const SimAnim*>(poly)->mesh->vertices[2].x, -2.0f, 1e-6);
  EXPECT_EQ(host->FindAnim("box_b")->mesh->vertices[2].y, 1.0f);  // the old object is untouched
  EXPECT_EQ(host->selection, std::unordered_set<const SimNode*>{box});
}

// The name is a string literal of the script language; the host finds the first node of that
// name in scene order, ignoring case. The flattened nodes so far are listed after each script.
TEST(SimScripts, FlatteningFindsTheNodeByTheScriptsStringLiteral) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"name": "Box \"A\" \\ 1", "object": "box"},
              {"name": "line1\nline2", "object": "box"},
              {"name": "C:\\new", "object": "box"},
              {"name": "Box001", "object": "box"},
              {"name": "Box001", "object": "box"},
              {"name": "Omni", "object": "light"},
              {"name": "a\tb%\r", "object": "box"}],
    "anims": {"box": {"super": "geometry", "class": "Box",
                      "mesh": {"vertices": [[1,2,3]], "faces": []}},
              "light": {"super": "light", "class": "Omnilight"}})"));
  ASSERT_TRUE(host);
  struct Case {
    Text literal;
    bool answer;
    std::string flattened;
  };
  const Case cases[] = {
      {u"Box \\\"A\\\" \\\\ 1", true, "0"},
      {u"line1\\nline2", true, "01"},
      {u"C:\\new", true, "01"},  // the script looks for "C:<line feed>ew"
      {u"BOX001", true, "013"},
      {u"a\\tb\\%\\r", true, "0136"},
      {u"Omni", true, "0136"},  // a light has no mesh; the script's catch swallows that
      {u"Nobody", true, "0136"},
      {u"Box \"A\" \\\\ 1", false, "0136"},  // a quote that leaves the literal
      {u"C:\\qux", false, "0136"},           // an escape the language lacks
      {u"trailing\\", false, "0136"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host->ExecuteMAXScriptScript(FlattenScript(c.literal), false, nullptr), c.answer)
        << ToUtf8(c.literal);
    std::string flattened;
    for (int i = 0; i < host->Root().NumberOfChildren(); ++i) {
      const Anim* object = Child(host->Root(), i)->GetObjectRef();
      if (object != host->FindAnim("box") && object != host->FindAnim("light")) {
        flattened += std::to_string(i);
      }
    }
    EXPECT_EQ(flattened, c.flattened) << ToUtf8(c.literal);
  }
  EXPECT_EQ(host->scripts.size(), std::size(cases));
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
  EXPECT_EQ(host.scripts, std::vector<Text>(std::begin(scripts), std::end(scripts)));
}

// Maps are found through node materials (sub-materials, then sub-maps, each anim once), then
// through the scene-material list; the name matches exactly.
TEST(SimScripts, TheGradientProbeSearchesInTheHostsOrder) {
  const auto host = LoadOrFail(Document(R"(
    "scene": {"scene_materials": ["late"]},
    "nodes": [{"name": "parent", "children": [{"material": "child_mtl"}]},
              {"material": "cycle"}],
    "anims": {
      "child_mtl": {"super": "material", "class": "S",
                    "sub_texmaps": [{"slot": "a", "map": "nested"}]},
      "nested": {"super": "texmap", "class": "Mix", "name": "outer",
                 "sub_texmaps": [{"slot": "a", "map": "deep"}]},
      "deep": {"super": "texmap", "class": "G", "name": "Deep \"q\"",
               "gradient_flags": [{"position": 12.25, "color": [0.1, 0.00001, 254.99998]},
                                  {"position": null, "color": [0, 0, 0]}]},
      "cycle": {"super": "material", "class": "S", "name": "Cycle", "sub_materials": ["cycle"],
                "sub_texmaps": [{"slot": "a", "map": "loop"}]},
      "loop": {"super": "texmap", "class": "Mix", "name": "Loop",
               "sub_texmaps": [{"slot": "a", "map": "loop"}]},
      "late": {"super": "material", "class": "S",
               "sub_texmaps": [{"slot": "a", "map": "loose"}, {"slot": "b", "map": "bare"}]},
      "loose": {"super": "texmap", "class": "G", "name": "Loose",
                "gradient_flags": [{"position": null, "color": [10, 20, 30]},
                                   {"position": null, "color": [40, 50, 60]}]},
      "bare": {"super": "texmap", "class": "G", "name": "Bare"}
    })"));
  ASSERT_TRUE(host);
  const std::pair<Text, Text> cases[] = {
      {u"Deep \\\"q\\\"", u"12.25,0.1,1e-05,254.99998|100.0,0.0,0.0,0.0"},
      {u"Loose", u"0.0,10.0,20.0,30.0|100.0,40.0,50.0,60.0"},
      {u"Loop", u"ERROR:NOCONTAINER"},
      {u"Bare", u"ERROR:NOCONTAINER"},
      {u"loose", u"ERROR:NOTFOUND"},
      {u"Cycle", u"ERROR:NOTFOUND"},  // a material, not a map
  };
  host::ScriptResult result;
  for (const auto& [literal, answer] : cases) {
    EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(literal), true, &result));
    EXPECT_TRUE(result.isString);
    EXPECT_EQ(result.text, answer) << ToUtf8(literal);
  }
  EXPECT_TRUE(host->ExecuteMAXScriptScript(ProbeScript(u"nothing"), true, &result));
  EXPECT_EQ(result.text, u"ERROR:NOTFOUND");
}

}  // namespace
}  // namespace larkspur::sim
