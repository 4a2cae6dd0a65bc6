#include "package/material_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "nodetree/node_tree.h"
#include "package/scene_package.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

using testing::AddBool;
using testing::AddBoolTable;
using testing::AddColor;
using testing::AddFloat;
using testing::AddFloatTable;
using testing::AddInt;
using testing::AddPoint;
using testing::AddSlot;
using testing::AddString;
using testing::NewMap;
using testing::NewMaterial;
using testing::SimAnim;
using testing::SimHost;

// The entry with node ids counted from the first id it drew.
Text BuildEntry(SimHost& host, host::Anim* material) {
  const int32_t base = LastNodeId();
  return testing::RenumberNodeIds(buildMaterialJson(host, material), base);
}

SimAnim& NewMultiMaterial(SimHost& host, Text name) {
  SimAnim& multi = NewMaterial(host, u"Multimaterial", std::move(name));
  multi.classId = host::kMultiMaterialClassId;
  return multi;
}

SimAnim& HostBitmap(SimHost& host, Text name, Text path) {
  SimAnim& map = NewMap(host, u"Bitmap", std::move(name));
  map.classId = host::kBitmapTexClassId;
  AddString(map, u"fileName", std::move(path));
  map.uvGen.emplace();
  map.uvGen->uScale = 4;
  map.uvGen->vScale = 4;
  return map;
}

SimAnim& CoronaBitmap(SimHost& host, Text name, Text path) {
  SimAnim& map = NewMap(host, u"CoronaBitmap", std::move(name));
  AddString(map, u"filename", std::move(path));
  AddPoint(map, u"uvwScale", 2, 2, 1);
  AddFloat(map, u"gamma", 2.2);
  return map;
}

TEST(MaterialEntryTest, NullMaterial) {
  SimHost host;
  EXPECT_EQ(buildMaterialJson(host, nullptr), u"null");
}

TEST(MaterialEntryTest, PlainMaterial) {
  SimHost host;
  SimAnim& material = NewMaterial(host, u"Corona\"Mtl", u"Oak \\ floor");
  EXPECT_EQ(BuildEntry(host, &material),
            u"{\n"
            u"      \"type\": \"Corona\\\"Mtl\",\n"
            u"      \"name\": \"Oak \\\\ floor\",\n"
            u"      \"node_tree\":     {\n"
            u"      \"node_id\": 1,\n"
            u"      \"type\": \"Corona\\\"Mtl\",\n"
            u"      \"name\": \"Oak \\\\ floor\"\n"
            u"    }\n"
            u"    }");
}

TEST(MaterialEntryTest, MultiMaterialWithoutSlots) {
  SimHost host;
  EXPECT_EQ(buildMaterialJson(host, &NewMultiMaterial(host, u"None")),
            u"{\n"
            u"      \"type\": \"Multimaterial\",\n"
            u"      \"name\": \"None\",\n"
            u"      \"sub_materials\": [\n"
            u"      ]\n"
            u"    }");
}

TEST(MaterialEntryTest, WhichMaterialsAreMultiMaterials) {
  const struct {
    std::u16string_view className;
    host::ClassId classId;
    bool multi;
  } cases[] = {
      {u"Multimaterial", host::kMultiMaterialClassId, true},
      {u"Anything", host::kMultiMaterialClassId, true},
      {u"MultiTextureMtl", host::kMultiMaterialClassId, true},
      {u"CoronaMultiMtl", {}, true},
      {u"VRayMulti", {}, true},
      {u"MultiTexture", {}, false},
      {u"multimaterial", {}, false},
      {u"MULTIMATERIAL", {}, false},
      {u"MultiTexturedMtl", {}, false},
      {u"CoronaMtl", {}, false},
  };
  for (const auto& c : cases) {
    SimHost host;
    SimAnim& material = NewMaterial(host, Text(c.className), u"M");
    material.classId = c.classId;
    const Text entry = buildMaterialJson(host, &material);
    const Text type = c.multi ? Text(u"Multimaterial") : Text(c.className);
    EXPECT_EQ(entry.find(u"      \"type\": \"" + type + u"\",\n"), 2u) << ToUtf8(c.className);
    EXPECT_EQ(entry.find(u"\"sub_materials\"") != Text::npos, c.multi) << ToUtf8(c.className);
  }
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

// A graph the host would never produce costs its object the material, not the export.
TEST(MaterialEntryTest, BrokenGraphsEndInTheObjectsErrors) {
  SimHost host;
  SimAnim& cycle = NewMaterial(host, u"CoronaLayeredMtl", u"Cycle");
  cycle.handle = 0;
  cycle.subMtls = {&cycle};
  SimAnim& deep = NewMaterial(host, u"CoronaMtl", u"Deep");
  SimAnim* last = &deep;
  for (int i = 0; i < 5000; ++i) {
    SimAnim& map = NewMap(host, u"Noise", u"");
    AddSlot(*last, u"in", &map);
    last = &map;
  }
  for (SimAnim* material : {&cycle, &deep, &NewMaterial(host, u"CoronaMtl", u"Fine")}) {
    testing::SimNode& node = testing::AddNode(host.Root(), material->name);
    node.object = &testing::AddBoxObject(host);
    node.material = material;
  }
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "larkspur_material_entry_broken";
  std::filesystem::create_directories(dir);
  const PackageResult result = BuildScenePackage(host, (dir / "1.json").u16string());
  std::ifstream file(dir / "1.json", std::ios::binary);
  std::stringstream package;
  package << file.rdbuf();
  file.close();
  std::filesystem::remove_all(dir);

  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.objectCount, 3);
  const std::string broken =
      "    \"errors\": [\"buildMaterialJson exception\"],\n    \"material\": null\n";
  const std::string text = package.str();
  const size_t first = text.find(broken);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(text.find(broken, first + 1), std::string::npos);
  EXPECT_NE(text.find("\"name\": \"Fine\",\n      \"node_tree\":"), std::string::npos);
}

// A multi-material holding one material of every class this exporter knows the parameters of,
// with a map shared inside one tree and across trees, repeated and empty slot names, layers,
// a ray switch, a nested multi-material and a multi-texture with switches.
SimAnim& EveryClassScene(SimHost& host) {
  SimAnim& oakDiffuse = CoronaBitmap(host, u"Oak diffuse", u"C:\\maps\\oak_diffuse.png");
  SimAnim& oakRough = HostBitmap(host, u"Oak rough", u"C:\\maps\\oak_rough.png");

  SimAnim& physical = NewMaterial(host, u"CoronaPhysicalMtl", u"Oak floor");
  AddColor(physical, u"baseColor", 0.8f, 0.6f, 0.4f);
  AddFloat(physical, u"baseRoughness", 0.4);
  AddInt(physical, u"metalnessMode", 0);
  AddFloat(physical, u"mapamountReflect", 0.5);
  AddBool(physical, u"useThinMode", false);
  SimAnim& edge = NewMap(host, u"Falloff", u"Edge");
  AddSlot(edge, u"Front", &oakDiffuse);
  AddSlot(physical, u"Base color", &oakDiffuse);
  AddSlot(physical, u"Base roughness", &oakRough);
  AddSlot(physical, u"Base bump", nullptr);
  AddSlot(physical, u"Base color", &oakDiffuse);
  AddSlot(physical, u"", &edge);

  SimAnim& legacy = NewMaterial(host, u"CoronaLegacyMtl", u"Old");
  AddColor(legacy, u"colorDiffuse", 0.5f, 0.5f, 0.5f);
  AddFloat(legacy, u"reflectGlossiness", 0.9);
  AddFloat(legacy, u"fresnelIor", 1.52);
  AddSlot(legacy, u"Diffuse", &oakDiffuse);
  SimAnim& glow = NewMaterial(host, u"CoronaLightMtl", u"Glow");
  AddColor(glow, u"color", 1, 0.9f, 0.8f);
  AddFloat(glow, u"intensity", 5);
  AddBool(glow, u"emitOnBothSides", false);
  SimAnim& blend = NewMaterial(host, u"CoronaBlendMtl", u"Blend");
  AddFloat(blend, u"mixAmount", 0.3);
  AddBool(blend, u"additive", false);
  AddFloatTable(blend, u"blendAmounts", {1, 0.3});
  blend.subMtls = {&legacy, &glow};

  SimAnim& skin = NewMaterial(host, u"CoronaSkinMtl", u"Skin");
  AddColor(skin, u"skinColor", 0.9f, 0.7f, 0.6f);
  AddFloat(skin, u"sssAmount", 0.6);
  AddInt(skin, u"sssMode", 1);
  AddFloat(skin, u"reflection1Ior", 1.4);

  SimAnim& raySwitch = NewMaterial(host, u"CoronaRaySwitchMtl", u"Switch");
  AddBool(raySwitch, u"directMtlOn", true);
  AddBool(raySwitch, u"giMtlOn", false);
  AddInt(raySwitch, u"viewportSource", 0);
  raySwitch.subMtls = {&glow, nullptr, &legacy, &glow};

  SimAnim& inner = NewMultiMaterial(host, u"Inner");
  inner.subMtls = {&skin, nullptr};

  SimAnim& random = NewMap(host, u"MultiTexture", u"Random planks");
  AddBoolTable(random, u"submap_on", {true, false, true});
  AddSlot(random, u"Map 1", &oakDiffuse);
  AddSlot(random, u"Map 2", &CoronaBitmap(host, u"Walnut", u"C:\\maps\\walnut.png"));
  AddSlot(random, u"Map 3", &HostBitmap(host, u"Ash", u"/maps/ash.png"));
  SimAnim& planks = NewMaterial(host, u"CoronaMtl", u"Planks");
  AddSlot(planks, u"Diffuse", &random);

  SimAnim& scene = NewMultiMaterial(host, u"Every class");
  scene.subMtls = {&physical, nullptr, &blend, &skin, &raySwitch, &inner, &planks};
  return scene;
}

TEST(MaterialEntryTest, EveryClassGolden) {
  SimHost host;
  testing::ExpectGolden("material_entry_golden/every_class.json",
                        BuildEntry(host, &EveryClassScene(host)));
}

}  // namespace
}  // namespace larkspur
