#include "transfer/texture_collection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;
using host::Anim;
using host::Text;
using sim::SimAnim;

TEST(CollectTextures, CopiesEachFileFoundOnceAndListsTheMissing) {
  // A folder of its own per run, so that builds testing side by side do not meet.
  const fs::path dir =
      fs::temp_directory_path() / ("larkspur_textures_" + std::to_string(std::random_device{}()));
  const auto at = [&dir](const std::string& relative) { return (dir / relative).u16string(); };
  const auto file = [&](const std::string& relative, const std::string& content) {
    fs::create_directories((dir / relative).parent_path());
    std::ofstream(dir / relative, std::ios::binary) << content;
    return at(relative);
  };
  sim::SimHost host;
  const auto bitmap = [&host](Text path) {
    SimAnim& map = host.NewAnim(host::super_class::kTexmap, u"Bitmap", host::kBitmapTexClassId);
    map.mapName = std::move(path);
    return &map;
  };
  const auto material = [&host](std::vector<Anim*> maps, std::vector<Anim*> subMaterials) {
    SimAnim& m = host.NewAnim(host::super_class::kMaterial, u"Standard");
    for (Anim* map : maps) m.subTexmaps.push_back({u"Map", map});
    m.subMtls = std::move(subMaterials);
    return &m;
  };
  const auto node = [&host](Anim* object, Anim* mtl) {
    sim::SimNode& n = testing::AddNode(host.Root(), u"Node");
    n.object = object ? object : &testing::AddBoxObject(host);
    n.material = mtl;
  };
  fs::create_directories(dir / "job");
  fs::create_directories(dir / "job2");
  host.filePath = file("scenes/room.max", "");
  file("scenes/sub/rel.png", "relative");
  file("scenes/beside.png", "beside");
  host.resolve[u"resolved.png"] = file("library/resolved.png", "resolved");
  // A CoronaBitmap keeps its file in a parameter, found whatever its letter case.
  SimAnim& corona = host.NewAnim(host::super_class::kTexmap, u"CoronaBitmap");
  testing::AddParam(testing::AddBlock(corona), u"fileName", host::param_type::kFilename,
                    testing::String(file("maps/nested.png", "")));
  SimAnim& mix = host.NewAnim(host::super_class::kTexmap, u"Mix");
  mix.subTexmaps = {{u"Color 1", &corona}};
  Anim* oak = bitmap(file("maps/oak.jpg", ""));
  SimAnim* sub = material(
      {oak, bitmap(u" \t" + file("maps/tile.png", "") + u"\r\n"), bitmap(u"sub/rel.png"),
       bitmap(u"D:\\old place\\beside.png"), bitmap(u"resolved.png"), bitmap(at("gone/wood.jpg")),
       bitmap(u"C:\\nowhere\\Stone.TGA"), bitmap(u""), bitmap(u" \r\n"),
       bitmap(file("first/same.jpg", "first")), bitmap(file("second/same.jpg", "second"))},
      {});
  Anim* top = material({&mix, nullptr}, {sub});
  sub->subMtls = {top};  // a cycle ends at the material already visited
  node(nullptr, top);
  node(nullptr, material({oak, bitmap(at("maps/oak.jpg")), bitmap(at("gone/wood.jpg"))}, {}));
  node(&host.NewAnim(host::super_class::kLight, u"Omni"),
       material({bitmap(at("lamp/missing.png"))}, {}));

  const TextureCollectResult result = CollectTextures(host, at("job"));
  EXPECT_EQ(result.copied, 8);
  EXPECT_EQ(result.missing, (std::vector<Text>{u"Missing: wood.jpg", u"Missing: Stone.TGA"}));
  std::set<std::string> copies;
  for (const auto& entry : fs::directory_iterator(dir / "job" / "textures")) {
    copies.insert(entry.path().filename().string());
  }
  EXPECT_EQ(copies, (std::set<std::string>{"nested.png", "oak.jpg", "tile.png", "rel.png",
                                           "beside.png", "resolved.png", "same.jpg"}));
  std::ifstream same(dir / "job" / "textures" / "same.jpg");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(same), {}), "second");

  // An unsaved scene has no folder to look beside.
  host.filePath.clear();
  const TextureCollectResult unsaved = CollectTextures(host, at("job2"));
  EXPECT_EQ(unsaved.copied, 6);
  EXPECT_EQ(unsaved.missing, (std::vector<Text>{u"Missing: rel.png", u"Missing: beside.png",
                                                u"Missing: wood.jpg", u"Missing: Stone.TGA"}));
  same.close();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace larkspur
