#include "package/material_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/sim/scene_file.h"
#include "nodetree/node_tree.h"
#include "package/scene_package.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

using testing::NewMaterial;
using testing::SimAnim;
using testing::SimHost;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

SimAnim& NewMultiMaterial(SimHost& host, Text name) {
  SimAnim& multi = NewMaterial(host, u"Multimaterial", std::move(name));
  multi.classId = host::kMultiMaterialClassId;
  return multi;
}

TEST(MaterialEntryTest, NullMaterial) {
  SimHost host;
  EXPECT_EQ(buildMaterialJson(host, nullptr), u"null");
}

TEST(MaterialEntryTest, TreeErrorsPassToTheCaller) {
  SimHost host;
  SimAnim& multi = NewMultiMaterial(host, u"Broken");
  SimAnim& loop = NewMaterial(host, u"CoronaLayeredMtl", u"Loop");
  loop.handle = 0;
  loop.subMtls = {&loop};
  multi.subMtls = {nullptr, &loop};
  EXPECT_THROW(buildMaterialJson(host, &multi), NodeTreeError);
  EXPECT_THROW(buildMaterialJson(host, &loop), NodeTreeError);
}

// Scene files whose packages are the contract: every class with parameter tables of its own and
// every row of the material tables, shared maps, repeated and empty slot names, fixed node types,
// multi-materials with empty and nested slots and by class name, multi-textures with switches, and
// a material graph that ends in its object's errors.
TEST(MaterialEntryTest, ScenePackagesMatchTheirGoldens) {
  for (const std::string name : {"materials", "material_rows", "material_edges", "bitmaps"}) {
    sim::SceneLoadResult scene = sim::LoadSceneFile("../scenes/" + name + ".json");
    ASSERT_TRUE(scene.ok) << scene.message;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("larkspur_material_entry_" + name);
    std::filesystem::create_directories(dir);
    const int32_t base = LastNodeId();
    const PackageResult result = BuildScenePackage(*scene.host, (dir / "1.json").u16string());
    EXPECT_TRUE(result.ok) << name;
    const Text package = FromUtf8(ReadFile(dir / "1.json"));
    const Text log = FromUtf8(ReadFile(dir / "1.log"));
    std::filesystem::remove_all(dir);
    testing::ExpectGolden("material_entry_golden/" + name + ".json",
                          testing::RenumberNodeIds(package, base));
    testing::ExpectGolden("material_entry_golden/" + name + ".log", log);
  }
}

}  // namespace
}  // namespace larkspur
