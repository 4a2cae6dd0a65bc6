#include "package/scene_package.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

using namespace larkspur::testing;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream s;
  s << file.rdbuf();
  return s.str();
}

class ScenePackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("larkspur_package_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // A geometry node with a material under parent.
  SimNode& AddObject(SimNode& parent, Text name, std::vector<uint16_t> matIds = {0}) {
    SimNode& node = AddNode(parent, std::move(name));
    node.object = &AddBoxObject(host, std::move(matIds));
    node.material = material;
    return node;
  }

  PackageResult Build() { return BuildScenePackage(host, (dir / "1.json").u16string()); }
  // The written package, which must be strict JSON whatever else a test expects of it.
  std::string Package() {
    const std::string text = ReadFile(dir / "1.json");
    EXPECT_TRUE(nlohmann::json::accept(text)) << text;
    return text;
  }

  fs::path dir;
  SimHost host;
  SimAnim* material = &host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
};

TEST_F(ScenePackageTest, ThousandsOfDuplicatesCountOnPastThreeDigits) {
  for (int i = 0; i < 1001; ++i) AddObject(host.Root(), u"Box");
  ASSERT_TRUE(Build().ok);
  EXPECT_EQ(host.Root().children[999]->name, u"Box_999");
  EXPECT_EQ(host.Root().children[1000]->name, u"Box_1000");
}

TEST_F(ScenePackageTest, MaterialIdsOfConvertedAndUnconvertibleObjects) {
  SimNode& tri = AddObject(host.Root(), u"Tri", {5, 0, 5});
  tri.object = &AddBoxObject(host, {5, 0, 5}, host::kTriObjectClassId);
  SimNode& noMesh = AddNode(host.Root(), u"NoMesh");
  noMesh.object = &host.NewAnim(host::super_class::kGeomObject, u"Teapot");
  noMesh.material = material;
  AddObject(host.Root(), u"NoFaces", {});
  // More ids than are searched in place, each met again after others.
  SimNode& many =
      AddObject(host.Root(), u"Many", {9, 3, 9, 0, 11, 3, 7, 1, 2, 5, 4, 0, 12, 8, 12, 6});

  const size_t animsBefore = host.Anims().size();
  EXPECT_EQ(CollectMaterialIds(tri, 0), (std::vector<int32_t>{1, 6}));
  EXPECT_EQ(CollectMaterialIds(noMesh, 0), std::vector<int32_t>{});
  EXPECT_EQ(CollectMaterialIds(many, 0),
            (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13}));
  ASSERT_TRUE(Build().ok);
  EXPECT_NE(Package().find("\"material_ids\": []"), std::string::npos);
  // Temporary triangle objects are deleted again.
  EXPECT_EQ(host.Anims().size(), animsBefore);
}

TEST_F(ScenePackageTest, UnwritablePackageFailsButKeepsTheRenames) {
  AddObject(host.Root(), u"Box");
  AddObject(host.Root(), u"Box");
  const PackageResult r = BuildScenePackage(host, (dir / "missing" / "1.json").u16string());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.objectCount, 0);
  EXPECT_EQ(r.logLineCount, 4);
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(host.Root().children[1]->name, u"Box_001");
}

TEST(PackageLogPath, ReplacesTheLastExtension) {
  EXPECT_EQ(PackageLogPath(u"C:\\jobs\\a_1\\1.json"), u"C:\\jobs\\a_1\\1.log");
  EXPECT_EQ(PackageLogPath(u"package"), u"package.log");
  EXPECT_EQ(PackageLogPath(u"a.b.json"), u"a.b.log");
}

}  // namespace
}  // namespace larkspur
