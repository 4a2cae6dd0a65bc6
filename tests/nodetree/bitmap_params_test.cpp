#include "nodetree/bitmap_params.h"

#include <gtest/gtest.h>

#include "package/json_text.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;
using testing::AddBool;
using testing::AddFloat;
using testing::AddInt;
using testing::AddParam;
using testing::AddPoint;
using testing::AddString;
using testing::NewMap;
using testing::SimAnim;
using testing::SimHost;

// An angle whose degrees the two factors print differently.
constexpr float kAngle = 0.000103f;

TEST(BitmapParamsTest, FileNameOfPath) {
  const struct {
    std::u16string_view path;
    std::u16string_view name;
  } cases[] = {
      {u"C:\\maps\\wood\\oak.png", u"oak.png"},
      {u"/home/user/maps/oak.png", u"oak.png"},
      {u"C:\\maps/wood\\oak.png", u"oak.png"},
      {u"C:/maps\\wood/oak.png", u"oak.png"},
      {u"C:\\maps\\", u""},
      {u"oak.png", u"oak.png"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameOfPath(Text(c.path)), c.name) << ToUtf8(c.path);
}

TEST(BitmapParamsTest, FileLinesOfEachKindOfFilename) {
  const struct {
    const char* what;
    void (*setUp)(SimAnim&);
    std::vector<Text> expected;
  } cases[] = {
      {"path",
       [](SimAnim& m) { AddString(m, u"filename", u"C:\\maps\\oak.png"); },
       {u"\"filepath\":\"oak.png\"", u"\"filepath_abs\":\"C:\\\\maps\\\\oak.png\""}},
      {"file name",
       [](SimAnim& m) { AddParam(m, u"fileName", pt::kFilename, {testing::String(u"oak.png")}); },
       {u"\"filepath\":\"oak.png\"", u"\"filepath_abs\":\"oak.png\""}},
      {"folder",
       [](SimAnim& m) { AddString(m, u"filename", u"C:\\maps\\"); },
       {u"\"filepath\":\"\"", u"\"filepath_abs\":\"C:\\\\maps\\\\\""}},
      {"null string",
       [](SimAnim& m) { AddParam(m, u"filename", pt::kFilename, {testing::String(std::nullopt)}); },
       {u"\"filepath\":\"\""}},
      {"not a string", [](SimAnim& m) { AddInt(m, u"filename", 3); }, {u"\"filepath\":\"\""}},
      {"missing", [](SimAnim&) {}, {u"\"filepath\":\"\""}},
  };
  for (const auto& c : cases) {
    SimHost host;
    SimAnim& corona = NewMap(host, u"CoronaBitmap", u"C");
    c.setUp(corona);
    EXPECT_EQ(ExportCoronaBitmapParams(host, corona), c.expected) << c.what;
    SimAnim& plain = NewMap(host, u"Bitmap", u"B");
    c.setUp(plain);
    EXPECT_EQ(ExportBitmapParams(host, plain), c.expected) << c.what;
  }
}

TEST(BitmapParamsTest, CoronaBitmapWritesEveryRow) {
  SimHost host;
  SimAnim& map = NewMap(host, u"CoronaBitmap", u"Oak");
  AddString(map, u"filename", u"D:/textures/oak diffuse.jpg");
  AddPoint(map, u"uvwScale", 2, 3, 4);
  AddPoint(map, u"uvwOffset", 0.25f, -0.5f, 9);
  AddInt(map, u"uvwChannel", 2);
  AddFloat(map, u"wAngle", kAngle);
  AddInt(map, u"colorSpace", 1);
  AddFloat(map, u"gamma", 2.2);
  AddFloat(map, u"outputAmount", 1);
  AddInt(map, u"tilingU", 1);
  AddInt(map, u"tilingV", 2);
  AddInt(map, u"filterType", 0);
  AddBool(map, u"clippingOn", true);
  AddInt(map, u"clippingMode", 1);
  AddFloat(map, u"clippingU", 0.125);
  AddFloat(map, u"clippingV", 0.25);
  AddFloat(map, u"clippingWidth", 0.5);
  AddFloat(map, u"clippingHeight", 0.75);
  testing::ExpectGolden("golden/corona_bitmap_rows.txt",
                        JoinLines(ExportCoronaBitmapParams(host, map), u""));
}

TEST(BitmapParamsTest, CoronaBitmapPlacementNeedsItsKinds) {
  SimHost host;
  SimAnim& map = NewMap(host, u"CoronaBitmap", u"Oak");
  AddFloat(map, u"uvwScale", 2);
  AddParam(map, u"uvwOffset", pt::kRgba, {testing::Rgb(1, 2, 3)});
  AddInt(map, u"wAngle", 1);
  EXPECT_EQ(ExportCoronaBitmapParams(host, map), std::vector<Text>{u"\"filepath\":\"\""});

  SimAnim& right = NewMap(host, u"CoronaBitmap", u"Right");
  AddFloat(right, u"wAngle", 1.57079637);
  EXPECT_EQ(ExportCoronaBitmapParams(host, right)[1], u"\"rotate_w\":90");
}

SimAnim& HostBitmap(SimHost& host, int tiling) {
  SimAnim& map = NewMap(host, u"Bitmap", u"B");
  map.classId = host::kBitmapTexClassId;
  map.uvGen.emplace();
  map.uvGen->uScale = 2;
  map.uvGen->vScale = 0.5f;
  map.uvGen->tiling = tiling;
  map.uvGen->offsetU = 0.125f;
  map.uvGen->offsetV = -0.25f;
  map.uvGen->channel = 3;
  map.uvGen->wAngle = kAngle;
  return map;
}

TEST(BitmapParamsTest, HostBitmapReadsItsUvGenerator) {
  SimHost host;
  SimAnim& map = HostBitmap(host, 3);
  AddString(map, u"fileName", u"C:\\maps\\oak.png");
  EXPECT_EQ(ExportBitmapParams(host, map),
            (std::vector<Text>{
                u"\"filepath\":\"oak.png\"", u"\"filepath_abs\":\"C:\\\\maps\\\\oak.png\"",
                u"\"tiling_u\":2", u"\"tiling_v\":0.5", u"\"tile_u\":true", u"\"tile_v\":true",
                u"\"tiling_mode_u\":1", u"\"tiling_mode_v\":1", u"\"offset_u\":0.125",
                u"\"offset_v\":-0.25", u"\"uvw_channel\":3", u"\"rotate_w\":0.00590147"}));
}

TEST(BitmapParamsTest, TilingFlags) {
  const struct {
    int flags;
    std::u16string_view tileU, tileV, modeU, modeV;
  } cases[] = {
      {0, u"false", u"false", u"0", u"0"}, {1, u"true", u"false", u"1", u"0"},
      {2, u"false", u"true", u"0", u"1"},  {5, u"true", u"false", u"2", u"0"},
      {4, u"false", u"false", u"2", u"0"}, {10, u"false", u"true", u"0", u"2"},
      {15, u"true", u"true", u"2", u"2"},
  };
  for (const auto& c : cases) {
    SimHost host;
    const std::vector<Text> lines = ExportBitmapParams(host, HostBitmap(host, c.flags));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[3], u"\"tile_u\":" + Text(c.tileU)) << c.flags;
    EXPECT_EQ(lines[4], u"\"tile_v\":" + Text(c.tileV)) << c.flags;
    EXPECT_EQ(lines[5], u"\"tiling_mode_u\":" + Text(c.modeU)) << c.flags;
    EXPECT_EQ(lines[6], u"\"tiling_mode_v\":" + Text(c.modeV)) << c.flags;
  }
}

TEST(BitmapParamsTest, HostBitmapWithoutUvGeneratorOrOfAnotherClass) {
  SimHost host;
  SimAnim& noUvGen = HostBitmap(host, 3);
  noUvGen.uvGen.reset();
  SimAnim& otherClass = HostBitmap(host, 3);
  otherClass.classId = host::ClassId{0x241, 0};
  SimAnim& material = HostBitmap(host, 3);
  material.superClass = host::super_class::kMaterial;
  for (SimAnim* map : {&noUvGen, &otherClass, &material}) {
    EXPECT_EQ(ExportBitmapParams(host, *map), std::vector<Text>{u"\"filepath\":\"\""});
  }
}

TEST(BitmapParamsTest, HostBitmapCropping) {
  SimHost host;
  SimAnim& off = NewMap(host, u"Bitmap", u"Off");
  AddBool(off, u"apply", false);
  AddFloat(off, u"clipu", 0.5);
  EXPECT_EQ(ExportBitmapParams(host, off), std::vector<Text>{u"\"filepath\":\"\""});

  SimAnim& notBool = NewMap(host, u"Bitmap", u"Int");
  AddInt(notBool, u"apply", 1);
  EXPECT_EQ(ExportBitmapParams(host, notBool), std::vector<Text>{u"\"filepath\":\"\""});

  SimAnim& on = NewMap(host, u"Bitmap", u"On");
  AddBool(on, u"apply", true);
  AddFloat(on, u"clipv", 0.25);
  AddInt(on, u"cropPlace", 1);
  AddFloat(on, u"cliph", 0.75);
  EXPECT_EQ(ExportBitmapParams(host, on),
            (std::vector<Text>{u"\"filepath\":\"\"", u"\"crop_apply\":true", u"\"crop_place\":1",
                               u"\"crop_v\":0.25", u"\"crop_h\":0.75"}));
}

}  // namespace
}  // namespace larkspur
