#include "host/sim/sim_scene.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/host/scene_test_util.h"

namespace larkspur::sim {
namespace {

using testing::Child;
using testing::Document;
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
    SCOPED_TRACE(i);
    const Anim* want = expected[i] ? host->FindAnim(expected[i]) : nullptr;
    EXPECT_EQ(Child(host->Root(), i)->EvalWorldState(0), want);
  }
  const Anim* empty = host->FindAnim("empty");
  EXPECT_EQ(empty->NumModifiers(), 1);
  EXPECT_EQ(empty->GetModifier(0), nullptr);
  EXPECT_EQ(empty->GetModifier(1), nullptr);
}

TEST(SimScene, TriangleConversionGivesTheSameTriangleObjectOrANewOne) {
  const auto host = LoadOrFail(Document(R"("anims": {
    "tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0],
            "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
    "box": {"super": "geometry", "class": "Box", "class_id": [16, 0],
            "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]],
                     "mat_ids": [7], "vertex_colors": [[1,0,0], null, [0,0,1]]}},
    "nurbs": {"super": "geometry", "class": "NURBS"},
    "bare_tri": {"super": "geometry", "class": "Editable Mesh", "class_id": [9, 0]}})"));
  ASSERT_TRUE(host);
  SimAnim* tri = host->FindAnim("tri");
  EXPECT_TRUE(tri->CanConvertToType(host::kTriObjectClassId));
  EXPECT_FALSE(tri->CanConvertToType(host::kEditablePolyClassId));
  EXPECT_EQ(tri->ConvertToType(0, host::kTriObjectClassId), tri);

  SimAnim* box = host->FindAnim("box");
  Anim* converted = box->ConvertToType(0, host::kTriObjectClassId);
  ASSERT_NE(converted, nullptr);
  ASSERT_NE(converted, box);
  EXPECT_EQ(converted->SuperClassID(), sc::kGeomObject);
  EXPECT_EQ(converted->ClassID(), host::kTriObjectClassId);
  EXPECT_EQ(converted->GetClassName(), u"Editable Mesh");
  EXPECT_NE(converted->GetHandle(), 0u);
  EXPECT_NE(converted->GetHandle(), box->GetHandle());
  host::Mesh* mesh = converted->GetMesh();
  ASSERT_NE(mesh, nullptr);
  EXPECT_NE(mesh, box->GetMesh());
  EXPECT_EQ(mesh->GetNumFaces(), 1);
  EXPECT_EQ(mesh->GetFaceMatID(0), 7);
  EXPECT_EQ(mesh->GetFaceVerts(0), (std::array<uint32_t, 3>{0, 1, 2}));
  EXPECT_EQ(host->FindAnim("box_mesh"), converted);
  // A temporary that is deleted leaves the scene as it was.
  converted->DeleteMe();
  EXPECT_EQ(host->FindAnim("box_mesh"), nullptr);
  EXPECT_EQ(host->Anims().size(), 4u);

  EXPECT_FALSE(host->FindAnim("nurbs")->CanConvertToType(host::kTriObjectClassId));
  EXPECT_EQ(host->FindAnim("nurbs")->ConvertToType(0, host::kTriObjectClassId), nullptr);
  EXPECT_EQ(host->FindAnim("bare_tri")->ConvertToType(0, host::kTriObjectClassId), nullptr);
}

TEST(SimScene, NewAnimsGetIdsNoOtherAnimHas) {
  SimHost host;
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D", {}, "a").id, "a");
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D", {}, "a").id, "a_2");
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D", {}, "a_3").id, "a_3");
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D", {}, "a").id, "a_4");
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D").id, "anim");
  EXPECT_EQ(host.NewAnim(sc::kHelper, u"D").id, "anim_2");
  EXPECT_EQ(host.FindAnim("a_3")->id, "a_3");
}

TEST(SimScene, ReadsTheHostRefusesLeaveTheValueAlone) {
  const auto host = LoadOrFail(Document(R"("anims": {"m": {"super": "material", "class": "S",
    "params": [[{"name": "tab", "type": "TYPE_FLOAT_TAB", "value": [1, 2]},
                {"name": "i", "type": "TYPE_INT", "value": 5},
                {"name": "node", "type": 17},
                {"name": "empty", "type": "TYPE_RGBA_TAB", "value": []}]]}})"));
  ASSERT_TRUE(host);
  const host::ParamBlock& block = *host->FindAnim("m")->GetParamBlock(0);
  struct Case {
    host::ParamId id;
    int tabIndex;
  };
  // Beyond the end, before the start, an index into a scalar, an unknown id, a type read as
  // nothing, an empty table.
  const Case refusedFloat[] = {{0, 2}, {0, 3}, {0, -1}, {1, 0}, {9, 0}, {2, 0}};
  for (const Case& c : refusedFloat) {
    float value = 0;
    EXPECT_FALSE(block.GetValue(c.id, 0, value, c.tabIndex)) << c.id << " " << c.tabIndex;
    EXPECT_EQ(value, 0.0f);
  }
  int value = 0;
  EXPECT_FALSE(block.GetValue(1, 0, value, 1));
  EXPECT_FALSE(block.GetValue(0, 0, value, 0));  // a float table read as int
  EXPECT_EQ(value, 0);
  host::Color color;
  EXPECT_FALSE(block.GetValue(3, 0, color, 0));
  EXPECT_EQ(color.r, 0.0f);
  EXPECT_EQ(block.Count(0), 2);
  EXPECT_EQ(block.Count(1), 0);
  EXPECT_EQ(block.Count(3), 0);
  EXPECT_EQ(block.Count(9), 0);
  EXPECT_EQ(host->FindAnim("m")->GetParamBlock(1), nullptr);
}

TEST(SimScene, SharedReferencesAnswerOneHandle) {
  const auto host = LoadOrFail(Document(R"(
    "nodes": [{"object": "obj", "material": "a"}, {"object": "obj", "material": "b"}],
    "anims": {
      "obj": {"super": "geometry", "class": "Box"},
      "map": {"super": "texmap", "class": "Noise"},
      "a": {"super": "material", "class": "S", "sub_texmaps": [{"slot": "x", "map": "map"}]},
      "b": {"super": "material", "class": "S",
            "params": [[{"name": "m", "type": "TYPE_TEXMAP", "value": "map"}]]}})"));
  ASSERT_TRUE(host);
  SimNode* first = Child(host->Root(), 0);
  SimNode* second = Child(host->Root(), 1);
  EXPECT_EQ(first->GetObjectRef()->GetHandle(), second->GetObjectRef()->GetHandle());
  host::Anim* fromParam = nullptr;
  second->GetMtl()->GetParamBlock(0)->GetValue(0, 0, fromParam, 0);
  ASSERT_NE(fromParam, nullptr);
  EXPECT_EQ(fromParam, first->GetMtl()->GetSubTexmap(0));
  EXPECT_EQ(fromParam->GetHandle(), host->FindAnim("map")->GetHandle());
  EXPECT_NE(first->GetMtl()->GetHandle(), second->GetMtl()->GetHandle());
}

TEST(SimScene, OnlyTheHostBitmapAnswersAMapName) {
  const auto host = LoadOrFail(Document(R"("anims": {
    "bitmap": {"super": "texmap", "class": "Bitmap", "class_id": [576, 0], "map_name": "a.png"},
    "plain": {"super": "texmap", "class": "Bitmap", "class_id": [576, 0]}})"));
  ASSERT_TRUE(host);
  EXPECT_EQ(host->FindAnim("bitmap")->GetMapName(), u"a.png");
  EXPECT_EQ(host->FindAnim("plain")->GetMapName(), u"");
  EXPECT_EQ(host->FindAnim("plain")->GetTheUVGen(), nullptr);
  SimAnim& material = host->NewAnim(sc::kMaterial, u"S");
  material.mapName = u"b.png";
  EXPECT_EQ(material.GetMapName(), u"");
}

TEST(SimScene, UnitScaleIsAnsweredInEveryUnit) {
  SimHost host;
  host.metersPerUnit = 0.01;
  EXPECT_DOUBLE_EQ(host.GetSystemUnitScale(host::unit_type::kMeters), 0.01);
  EXPECT_DOUBLE_EQ(host.GetSystemUnitScale(host::unit_type::kCentimeters), 1.0);
  EXPECT_DOUBLE_EQ(host.GetSystemUnitScale(host::unit_type::kMillimeters), 10.0);
  EXPECT_DOUBLE_EQ(host.GetSystemUnitScale(host::unit_type::kInches), 0.01 / 0.0254);
  EXPECT_DOUBLE_EQ(host.GetSystemUnitScale(host::unit_type::kKilometers), 0.00001);
}

void ExpectNear(const Matrix3& a, const Matrix3& b) {
  for (int row = 0; row < 4; ++row) {
    EXPECT_NEAR(a.rows[row].x, b.rows[row].x, 1e-4) << "row " << row;
    EXPECT_NEAR(a.rows[row].y, b.rows[row].y, 1e-4) << "row " << row;
    EXPECT_NEAR(a.rows[row].z, b.rows[row].z, 1e-4) << "row " << row;
  }
}

Quat AxisAngle(float x, float y, float z, float degrees) {
  const float half = degrees * 3.14159265f / 360.0f;
  const float length = std::sqrt(x * x + y * y + z * z);
  const float s = std::sin(half) / length;
  return Quat{x * s, y * s, z * s, std::cos(half)};
}

TEST(SimScene, DecompositionRebuildsRotationAndScaleMatrices) {
  struct Case {
    Point3 position;
    Quat rotation;  // w >= 0
    Point3 scale;
  };
  const Case cases[] = {
      {{0, 0, 0}, Quat{}, {1, 1, 1}},
      {{1, -2, 3}, AxisAngle(0, 0, 1, 90), {1, 1, 1}},
      {{5, 5, 5}, AxisAngle(1, 0, 0, 180), {2, 2, 2}},
      {{0, 0, 0}, AxisAngle(0, 1, 0, 180), {1, 3, 0.5f}},
      {{0, 0, 0}, AxisAngle(0, 0, 1, 180), {4, 1, 1}},
      {{-7, 0, 2}, AxisAngle(1, 2, 3, 130), {0.25f, 2, 1}},
      {{0, 1, 0}, AxisAngle(-3, 1, 0.5f, 250), {1, 1, 10}},
  };
  SimHost host;
  for (const Case& c : cases) {
    const Matrix3 m = ComposeMatrix(c.position, c.rotation, c.scale);
    Point3 p;
    Quat q;
    Point3 s;
    host.DecomposeMatrix(m, p, q, s);
    EXPECT_GE(q.w, 0.0f);
    // The same rotation: q or -q (the two agree when w is 0).
    const Quat& r = c.rotation;
    EXPECT_NEAR(std::fabs(q.x * r.x + q.y * r.y + q.z * r.z + q.w * r.w), 1.0f, 1e-5);
    EXPECT_NEAR(s.x, c.scale.x, 1e-5);
    EXPECT_NEAR(s.y, c.scale.y, 1e-5);
    EXPECT_NEAR(s.z, c.scale.z, 1e-5);
    EXPECT_EQ(p.x, c.position.x);
    ExpectNear(ComposeMatrix(p, q, s), m);
  }
}

TEST(SimScene, DecompositionGivesUnitQuaternionsWithoutSignedZeros) {
  SimHost host;
  struct Case {
    Quat rotation;
    Point3 scale;
    Quat expected;
  };
  const float h = 0.70710678f;
  const Case cases[] = {
      {Quat{0, 0, -h, -h}, {1, 1, 1}, Quat{0, 0, h, h}},
      {Quat{}, {0, 1, 1}, Quat{}},
      {Quat{}, {0, 0, 0}, Quat{}},
  };
  for (const Case& c : cases) {
    Point3 p;
    Quat q;
    Point3 s;
    host.DecomposeMatrix(ComposeMatrix({}, c.rotation, c.scale), p, q, s);
    EXPECT_NEAR(q.x, c.expected.x, 1e-6);
    EXPECT_NEAR(q.y, c.expected.y, 1e-6);
    EXPECT_NEAR(q.z, c.expected.z, 1e-6);
    EXPECT_NEAR(q.w, c.expected.w, 1e-6);
    for (float component : {q.x, q.y, q.z, q.w}) EXPECT_FALSE(std::signbit(component));
  }
}

TEST(SimScene, DecompositionOfAMirrorStillRebuildsTheMatrix) {
  SimHost host;
  Matrix3 mirror;
  mirror.rows[0] = Point3{-2, 0, 0};
  mirror.rows[3] = Point3{1, 2, 3};
  Point3 p;
  Quat q;
  Point3 s;
  host.DecomposeMatrix(mirror, p, q, s);
  EXPECT_GE(q.w, 0.0f);
  ExpectNear(ComposeMatrix(p, q, s), mirror);
}

TEST(SimScene, PreOrderListsParentsBeforeChildren) {
  const auto host = LoadOrFail(Document(R"("nodes": [
    {"name": "a", "children": [{"name": "b", "children": [{"name": "c"}]}, {"name": "d"}]},
    {"name": "e"}])"));
  ASSERT_TRUE(host);
  Text names;
  for (const SimNode* node : PreOrderNodes(static_cast<const SimNode&>(host->Root()))) {
    names += node->name;
  }
  EXPECT_EQ(names, u"abcde");
}

}  // namespace
}  // namespace larkspur::sim
