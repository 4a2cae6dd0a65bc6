#include "package/scene_package.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "nodetree/node_tree.h"
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
  std::string Log() { return ReadFile(dir / "1.log"); }

  fs::path dir;
  SimHost host;
  SimAnim* material = &host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
};

TEST_F(ScenePackageTest, EmptySceneWritesAnEmptyObjectsArray) {
  const PackageResult r = Build();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.objectCount, 0);
  EXPECT_EQ(r.logLineCount, 2);
  EXPECT_EQ(Package(),
            "{\n"
            "  \"exporter\": \"Larkspur Material Exporter\",\n"
            "  \"version\": \"1.0\",\n"
            "  \"object_count\": 0,\n"
            "  \"objects\": [\n"
            "  ]\n"
            "}");
  EXPECT_EQ(Log(), "Geometry objects with materials: 0\nLights exported: 0 (instance groups: 0)\n");
}

TEST_F(ScenePackageTest, ObjectEntryLayout) {
  AddObject(host.Root(), u"Caf\u00e9 \"1\"", {3, 1, 3, 0});
  const std::string nodeId = std::to_string(LastNodeId() + 1);
  const PackageResult r = Build();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.objectCount, 1);
  EXPECT_EQ(Package(),
            "{\n"
            "  \"exporter\": \"Larkspur Material Exporter\",\n"
            "  \"version\": \"1.0\",\n"
            "  \"object_count\": 1,\n"
            "  \"objects\": [\n"
            "  {\n"
            "    \"object_name\": \"Caf\xC3\xA9 \\\"1\\\"\",\n"
            "    \"object_class\": \"Box\",\n"
            "    \"layer\": \"\",\n"
            "    \"material_ids\": [1,2,4],\n"
            "    \"displacement_mod\": null,\n"
            "    \"errors\": [],\n"
            "    \"material\": {\n"
            "      \"type\": \"CoronaPhysicalMtl\",\n"
            "      \"name\": \"\",\n"
            "      \"node_tree\":     {\n"
            "      \"node_id\": " +
                nodeId +
                ",\n"
                "      \"type\": \"CoronaPhysicalMtl\",\n"
                "      \"name\": \"\"\n"
                "    }\n"
                "    }\n"
                "  }\n"
                "  ]\n"
                "}");
}

TEST_F(ScenePackageTest, ChildrenComeBeforeParentsAndOnlyGeometryWithMaterialsCounts) {
  SimNode& parent = AddObject(host.Root(), u"Parent");
  AddObject(parent, u"Child");
  SimNode& bare = AddNode(host.Root(), u"NoMaterial");
  bare.object = &AddBoxObject(host);
  SimNode& light = AddNode(host.Root(), u"Light");
  light.object = &host.NewAnim(host::super_class::kLight, u"CoronaLight");
  light.material = material;
  AddObject(host.Root(), u"Last");

  const PackageResult r = Build();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.objectCount, 3);
  const std::string package = Package();
  const size_t child = package.find("\"Child\""), parentAt = package.find("\"Parent\""),
               last = package.find("\"Last\"");
  ASSERT_NE(child, std::string::npos);
  EXPECT_LT(child, parentAt);
  EXPECT_LT(parentAt, last);
  EXPECT_EQ(package.find("NoMaterial"), std::string::npos);
  EXPECT_EQ(package.find("\"object_name\": \"Light\""), std::string::npos);
  EXPECT_NE(package.find("  },\n  {\n"), std::string::npos);
}

TEST_F(ScenePackageTest, DuplicateNamesAreRenamedInTheScene) {
  struct Case {
    std::vector<Text> names;
    std::vector<Text> renamed;
  };
  const Case cases[] = {
      {{u"Box", u"Box", u"Box"}, {u"Box", u"Box_001", u"Box_002"}},
      {{u"Box", u"Box", u"Box_001"}, {u"Box", u"Box_001", u"Box_001_001"}},
      {{u"box", u"Box"}, {u"box", u"Box"}},
      {{u"Box", u"Box", u"Box_001", u"Box"}, {u"Box", u"Box_001", u"Box_001_001", u"Box_002"}},
      {{u"Box_001", u"Box", u"Box"}, {u"Box_001", u"Box", u"Box_002"}},
      {{u"", u""}, {u"", u"_001"}},
  };
  for (const Case& c : cases) {
    SimHost scene;
    SimAnim& mtl = scene.NewAnim(host::super_class::kMaterial, u"Mtl");
    for (const Text& name : c.names) {
      SimNode& node = AddNode(scene.Root(), name);
      node.object = &AddBoxObject(scene);
      node.material = &mtl;
    }
    ASSERT_TRUE(BuildScenePackage(scene, (dir / "1.json").u16string()).ok);
    for (size_t i = 0; i < c.renamed.size(); ++i) {
      EXPECT_EQ(scene.Root().children[i]->name, c.renamed[i]) << ToUtf8(c.names[i]);
    }
  }
}

TEST_F(ScenePackageTest, ThousandsOfDuplicatesCountOnPastThreeDigits) {
  for (int i = 0; i < 1001; ++i) AddObject(host.Root(), u"Box");
  ASSERT_TRUE(Build().ok);
  EXPECT_EQ(host.Root().children[999]->name, u"Box_999");
  EXPECT_EQ(host.Root().children[1000]->name, u"Box_1000");
}

TEST_F(ScenePackageTest, LogNamesEveryRenaming) {
  AddObject(host.Root(), u"Box");
  AddObject(host.Root(), u"Box");
  AddObject(host.Root(), u"Box");
  const PackageResult r = Build();
  EXPECT_EQ(r.logLineCount, 5);
  EXPECT_EQ(Log(),
            "Geometry objects with materials: 3\n"
            "WARNING: Duplicate name \xE2\x80\x94 renamed 'Box' to 'Box_001' in scene\n"
            "WARNING: Duplicate name \xE2\x80\x94 renamed 'Box' to 'Box_002' in scene\n"
            "Total renamed: 2 object(s). Check scene before saving!\n"
            "Lights exported: 0 (instance groups: 0)\n");
}

TEST_F(ScenePackageTest, MaterialIdsOfConvertedAndUnconvertibleObjects) {
  SimNode& tri = AddObject(host.Root(), u"Tri", {5, 0, 5});
  tri.object = &AddBoxObject(host, {5, 0, 5}, host::kTriObjectClassId);
  SimNode& noMesh = AddNode(host.Root(), u"NoMesh");
  noMesh.object = &host.NewAnim(host::super_class::kGeomObject, u"Teapot");
  noMesh.material = material;
  AddObject(host.Root(), u"NoFaces", {});

  const size_t animsBefore = host.Anims().size();
  EXPECT_EQ(CollectMaterialIds(tri, 0), (std::vector<int32_t>{1, 6}));
  EXPECT_EQ(CollectMaterialIds(noMesh, 0), std::vector<int32_t>{});
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
