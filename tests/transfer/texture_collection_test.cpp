#include "transfer/texture_collection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "host/text.h"
#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;
using sim::SimAnim;
using sim::SimHost;

// A scene whose geometry nodes carry materials with bitmap maps, over a folder of real files.
class TextureCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A name of its own per run, so that builds testing side by side do not meet.
    folder_ =
        fs::temp_directory_path() / ("larkspur_textures_" + std::to_string(std::random_device{}()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "job");
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Writes a file below the folder and returns its full path as the host would give it.
  Text File(const std::string& relative, const std::string& content) {
    const fs::path path = folder_ / fs::path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return At(relative);
  }
  Text At(const std::string& relative) const { return (folder_ / fs::path(relative)).u16string(); }

  SimAnim& Bitmap(Text path) {
    SimAnim& map = host_.NewAnim(host::super_class::kTexmap, u"Bitmap", host::kBitmapTexClassId);
    map.mapName = std::move(path);
    return map;
  }
  // A CoronaBitmap keeps its file in a parameter; the lookup ignores letter case.
  SimAnim& CoronaBitmap(Text path) {
    SimAnim& map = host_.NewAnim(host::super_class::kTexmap, u"CoronaBitmap");
    testing::AddParam(testing::AddBlock(map), u"fileName", host::param_type::kFilename,
                      testing::String(std::move(path)));
    return map;
  }
  SimAnim& Material(std::vector<host::Anim*> maps, std::vector<host::Anim*> subMaterials = {}) {
    SimAnim& material = host_.NewAnim(host::super_class::kMaterial, u"Standard");
    for (host::Anim* map : maps) material.subTexmaps.push_back({u"Map", map});
    material.subMtls = std::move(subMaterials);
    return material;
  }
  void Geometry(host::Anim* material) {
    sim::SimNode& node = testing::AddNode(host_.Root(), u"Box");
    node.object = &testing::AddBoxObject(host_);
    node.material = material;
  }

  TextureCollectResult Collect() { return CollectTextures(host_, (folder_ / "job").u16string()); }
  std::set<std::string> Copies() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_ / "job" / "textures")) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  std::string CopyOf(const std::string& name) const {
    std::ifstream in(folder_ / "job" / "textures" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
  SimHost host_;
};

TEST_F(TextureCollectionTest, ASceneWithoutTexturesLeavesAnEmptyTexturesFolder) {
  Geometry(nullptr);
  const TextureCollectResult result = Collect();
  EXPECT_EQ(result.copied, 0);
  EXPECT_TRUE(result.missing.empty());
  EXPECT_TRUE(fs::is_directory(folder_ / "job" / "textures"));
  EXPECT_TRUE(Copies().empty());
}

TEST_F(TextureCollectionTest, FindsEachFileOnceWhereverItIsAndListsTheMissing) {
  host_.filePath = File("scenes/room.max", "scene");
  host_.resolve[u"resolved.png"] = File("library/resolved.png", "from the library");
  const struct {
    const char* what;
    Text path;
  } rows[] = {
      {"as written", File("maps/oak.jpg", "oak")},
      {"the same file again", File("maps/oak.jpg", "oak")},
      {"surrounding whitespace", u" \t" + File("maps/tile.png", "tile") + u"\r\n"},
      {"relative to the scene's folder", u"sub/rel.png"},
      {"by file name beside the scene", u"D:\\old place\\beside.png"},
      {"through the host's resolution", u"resolved.png"},
      {"missing", At("gone/wood.jpg")},
      {"missing again, same path", At("gone/wood.jpg")},
      {"missing, Windows path", u"C:\\nowhere\\Stone.TGA"},
      {"empty", u""},
      {"only whitespace", u" \r\n\t"},
  };
  File("scenes/sub/rel.png", "relative");
  File("scenes/beside.png", "beside");
  std::vector<host::Anim*> maps;
  for (const auto& row : rows) maps.push_back(&Bitmap(row.path));
  Geometry(&Material(maps));

  const TextureCollectResult result = Collect();
  EXPECT_EQ(result.copied, 5);
  EXPECT_EQ(result.missing, (std::vector<Text>{u"Missing: wood.jpg", u"Missing: Stone.TGA"}));
  EXPECT_EQ(Copies(), (std::set<std::string>{"oak.jpg", "tile.png", "rel.png", "beside.png",
                                             "resolved.png"}));
  EXPECT_EQ(CopyOf("resolved.png"), "from the library");
}

TEST_F(TextureCollectionTest, AnUnsavedSceneLooksBesideNothing) {
  File("scenes/sub/rel.png", "relative");
  Geometry(&Material({&Bitmap(u"sub/rel.png")}));
  const TextureCollectResult result = Collect();
  EXPECT_EQ(result.copied, 0);
  EXPECT_EQ(result.missing, std::vector<Text>{u"Missing: rel.png"});
}

TEST_F(TextureCollectionTest, WalksNestedMapsAndSubMaterialsOfGeometryOnly) {
  SimAnim& mix = host_.NewAnim(host::super_class::kTexmap, u"Mix");
  mix.subTexmaps = {{u"Color 1", nullptr}, {u"Color 2", &CoronaBitmap(File("a/nested.png", "n"))}};
  SimAnim& shared = Bitmap(File("a/shared.png", "s"));
  SimAnim& sub = Material({&shared});
  SimAnim& multi = Material({&mix}, {nullptr, &sub});
  sub.subMtls = {&multi};  // a cycle ends at the visited material
  Geometry(&multi);
  Geometry(&Material({&shared}));
  // A CoronaBitmap whose file is not a string has no usable path.
  SimAnim& numbered = host_.NewAnim(host::super_class::kTexmap, u"CoronaBitmap");
  testing::AddParam(testing::AddBlock(numbered), u"filename", host::param_type::kInt,
                    testing::Number(3));
  Geometry(&Material({&numbered}));
  // Not geometry: not examined.
  sim::SimNode& light = testing::AddNode(host_.Root(), u"Omni");
  light.object = &host_.NewAnim(host::super_class::kLight, u"Omnilight");
  light.material = &Material({&Bitmap(At("light/missing.png"))});

  const TextureCollectResult result = Collect();
  EXPECT_EQ(result.copied, 2);
  EXPECT_TRUE(result.missing.empty());
  EXPECT_EQ(Copies(), (std::set<std::string>{"nested.png", "shared.png"}));
}

TEST_F(TextureCollectionTest, SameNamedFilesBothCountAndTheLaterOneStays) {
  Geometry(&Material(
      {&Bitmap(File("first/wood.jpg", "first")), &Bitmap(File("second/wood.jpg", "second"))}));
  const TextureCollectResult result = Collect();
  EXPECT_EQ(result.copied, 2);
  EXPECT_EQ(Copies(), std::set<std::string>{"wood.jpg"});
  EXPECT_EQ(CopyOf("wood.jpg"), "second");
}

}  // namespace
}  // namespace larkspur
