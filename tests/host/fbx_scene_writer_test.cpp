#include "host/sim/fbx_scene_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/sim/fbx_transform.h"
#include "host/sim/scene_file.h"
#include "tests/support/sim_builders.h"

namespace larkspur::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FbxExport : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("larkspur_fbx_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  Text PathOf(const std::string& name) const { return (folder_ / name).u16string(); }

  fs::path folder_;
};

// The contract of the file's bytes, the same in every build. LARKSPUR_UPDATE_GOLDENS=1 rewrites
// the golden from this build's output (review the change before committing it).
TEST_F(FbxExport, WritesTheGoldenBytesForTheSmallScene) {
  const SceneLoadResult loaded = LoadSceneFile("fbx/small.scene.json");
  ASSERT_TRUE(loaded.ok) << loaded.message;
  SimHost* host = loaded.host.get();
  const Text path = PathOf("job.FBX");
  EXPECT_TRUE(host->ExportToFile(path, true, 0));
  EXPECT_EQ(host->exports, std::vector<Text>{path});
  const std::string written = ReadBytes(fs::path(path));
  const fs::path golden = "fbx/small.fbx";
  if (const char* update = std::getenv("LARKSPUR_UPDATE_GOLDENS"); update && *update == '1') {
    std::ofstream(golden, std::ios::binary) << written;
  }
  ASSERT_TRUE(fs::exists(golden));
  EXPECT_TRUE(written == ReadBytes(golden)) << "the written file differs from " << golden;
}

TEST_F(FbxExport, TheModesAndTheExtensionDecideTheAnswer) {
  struct Case {
    FbxExportMode mode;
    std::string file;
    bool answer;
    bool written;
  };
  const Case cases[] = {
      {FbxExportMode::kWrites, "w.fBx", true, true},
      {FbxExportMode::kFails, "a.fbx", false, false},
      {FbxExportMode::kNoFile, "b.fbx", true, false},
      {FbxExportMode::kWrites, "c.obj", false, false},
      {FbxExportMode::kWrites, "fbx", false, false},
      {FbxExportMode::kWrites, "dir.fbx/e", false, false},
      {FbxExportMode::kWrites, "missing/d.fbx", false, false},
  };
  for (const Case& c : cases) {
    SimHost host;
    host.fbxExport = c.mode;
    const Text path = PathOf(c.file);
    EXPECT_EQ(host.ExportToFile(path, true, 0), c.answer) << c.file;
    EXPECT_EQ(fs::exists(fs::path(path)), c.written) << c.file;
  }
}

// Faces and colour faces must name existing vertices and colours: such a scene stops the export
// with the node's name, and no file is left behind.
TEST_F(FbxExport, MeshIndicesBeyondTheirListsStopTheExport) {
  struct Case {
    std::array<uint32_t, 3> face;
    std::array<uint32_t, 3> colorFace;
    std::string message;
  };
  const Case cases[] = {
      {{0, 1, 3}, {0, 0, 0}, "node \"Bad\": face 0 names vertex 3 of 3"},
      {{0, 1, 2}, {0, 2, 1}, "node \"Bad\": colour face 0 names colour 2 of 2"},
  };
  for (const Case& c : cases) {
    SimHost host;
    SimAnim& box = larkspur::testing::AddBoxObject(host);
    box.mesh->faces[0].verts = c.face;
    box.mesh->hasVertexColors = true;
    box.mesh->vertexColors = {Point3{1, 0, 0}, std::nullopt};
    box.mesh->colorFaces = {c.colorFace};
    larkspur::testing::AddNode(host.Root(), u"Bad").object = &box;
    EXPECT_EQ(BuildFbxScene(host).message, c.message);
    const Text path = PathOf("bad.fbx");
    EXPECT_FALSE(host.ExportToFile(path, true, 0));
    EXPECT_FALSE(fs::exists(fs::path(path)));
  }
}

host::Matrix3 Rows(Point3 x, Point3 y, Point3 z, Point3 t = {}) {
  host::Matrix3 m;
  m.rows = {x, y, z, t};
  return m;
}

TEST(FbxLocalTransform, WorldMatricesBecomeTranslationEulerDegreesAndScale) {
  const float h = 0.70710678f;  // a quarter turn about an axis: {axis * h, h}
  const host::Matrix3 none;
  const host::Matrix3 turned = ComposeMatrix({0, 10, 0}, {0, 0, h, h}, {1, 1, 1});
  const host::Matrix3 turnedAbove = ComposeMatrix({0, 20, 0}, {0, 0, h, h}, {1, 1, 1});
  const host::Matrix3 stretched = ComposeMatrix({30, 0, 0}, {0, 0, h, h}, {1, 2, 1});
  // Y a quarter turn after X 30 degrees: Z is taken as zero and X keeps the whole turn.
  const host::Matrix3 gimbal = Rows({0, 0, -1}, {0.5f, 0.8660254f, 0}, {0.8660254f, -0.5f, 0});
  const host::Matrix3 mirror = Rows({-1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  const host::Matrix3 moved = ComposeMatrix({1, 2, 3}, {}, {1, 1, 1});
  const host::Matrix3 flat = Rows({}, {0, 1, 0}, {0, 0, 1});
  struct Case {
    const char* what;
    host::Matrix3 world;
    host::Matrix3 parent;
    std::array<double, 3> t, r, s;
  };
  const Case cases[] = {
      {"turned and stretched", stretched, none, {30, 0, 0}, {0, 0, 90}, {1, 2, 1}},
      {"under a turned parent", turnedAbove, turned, {10, 0, 0}, {0, 0, 0}, {1, 1, 1}},
      {"gimbal", gimbal, none, {0, 0, 0}, {30, 90, 0}, {1, 1, 1}},
      {"mirrored", mirror, none, {0, 0, 0}, {180, 0, 0}, {-1, -1, -1}},
      {"under a flat parent", moved, flat, {1, 2, 3}, {0, 0, 0}, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    const FbxLocalTransform local = LocalTransform(c.world, c.parent);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(local.translation[i], c.t[i], 1e-5) << c.what << " t" << i;
      EXPECT_NEAR(local.rotationDegrees[i], c.r[i], 1e-4) << c.what << " r" << i;
      EXPECT_NEAR(local.scaling[i], c.s[i], 1e-6) << c.what << " s" << i;
    }
  }
}

}  // namespace
}  // namespace larkspur::sim
