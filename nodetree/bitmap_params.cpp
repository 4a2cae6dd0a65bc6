#include "nodetree/bitmap_params.h"

#include "nodetree/param_lookup.h"

namespace larkspur {
namespace {

// Radians to degrees. The two bitmap classes have always used factors that differ in the last
// bit of a float; both are kept so that angles match what earlier exports wrote.
constexpr float kCoronaBitmapDegreesPerRadian = 57.2957763671875f;
constexpr float kHostBitmapDegreesPerRadian = 57.29578f;

// Bits of the UV generator's tiling flags.
constexpr int kTileU = 1;
constexpr int kTileV = 2;
constexpr int kMirrorU = 4;
constexpr int kMirrorV = 8;

constexpr ParamRow kFileRows[] = {
    {u"filepath", u"filename", FileNameRow},
    {u"filepath_abs", u"filename", FilePathRow},
};

constexpr ParamRow kCoronaBitmapRows[] = {
    {u"filepath", u"filename", FileNameRow},      {u"filepath_abs", u"filename", FilePathRow},
    {u"tiling_u", u"uvwScale", PointXRow},        {u"tiling_v", u"uvwScale", PointYRow},
    {u"offset_u", u"uvwOffset", PointXRow},       {u"offset_v", u"uvwOffset", PointYRow},
    {u"uvw_channel", u"uvwChannel", LineRow},     {u"rotate_w", u"wAngle", DegreesRow},
    {u"color_space", u"colorSpace", LineRow},     {u"gamma", u"gamma", LineRow},
    {u"output_amount", u"outputAmount", LineRow}, {u"tiling_mode_u", u"tilingU", LineRow},
    {u"tiling_mode_v", u"tilingV", LineRow},      {u"filter_type", u"filterType", LineRow},
    {u"crop_enabled", u"clippingOn", LineRow},    {u"crop_mode", u"clippingMode", LineRow},
    {u"crop_u", u"clippingU", LineRow},           {u"crop_v", u"clippingV", LineRow},
    {u"crop_w", u"clippingWidth", LineRow},       {u"crop_h", u"clippingHeight", LineRow},
};

// Written after the fixed "crop_apply" line, only when cropping applies.
constexpr ParamRow kHostBitmapCropRows[] = {
    {u"crop_place", u"cropPlace", LineRow}, {u"crop_u", u"clipu", LineRow},
    {u"crop_v", u"clipv", LineRow},         {u"crop_w", u"clipw", LineRow},
    {u"crop_h", u"cliph", LineRow},
};

Text PathOf(const host::Interface& ip, const host::Anim& object, std::u16string_view name) {
  ParamValue value = FindParamValue(ip, &object, name);
  return value.kind == ParamKind::String ? std::move(value.stringValue) : Text();
}

ParamValue StringValue(Text text) {
  ParamValue value;
  value.kind = ParamKind::String;
  value.stringValue = std::move(text);
  return value;
}

ParamValue IntValue(int32_t number) {
  ParamValue value;
  value.kind = ParamKind::Int;
  value.intValue = number;
  return value;
}

ParamValue BoolValue(bool flag) {
  ParamValue value;
  value.kind = ParamKind::Bool;
  value.boolValue = flag;
  return value;
}

int TilingMode(int flags, int mirror, int tile) {
  if (flags & mirror) return 2;
  return (flags & tile) ? 1 : 0;
}

void AppendUvGenLines(std::vector<Text>& lines, const host::Interface& ip,
                      const host::UvGen& uvGen) {
  const host::TimeValue t = ip.GetTime();
  const int tiling = uvGen.GetTextureTiling();
  const host::Point3 offset = uvGen.GetUVTransform().GetTrans();
  lines.push_back(FloatLine(u"tiling_u", uvGen.GetUScl(t)));
  lines.push_back(FloatLine(u"tiling_v", uvGen.GetVScl(t)));
  lines.push_back(ParamLine(u"tile_u", BoolValue((tiling & kTileU) != 0)));
  lines.push_back(ParamLine(u"tile_v", BoolValue((tiling & kTileV) != 0)));
  lines.push_back(ParamLine(u"tiling_mode_u", IntValue(TilingMode(tiling, kMirrorU, kTileU))));
  lines.push_back(ParamLine(u"tiling_mode_v", IntValue(TilingMode(tiling, kMirrorV, kTileV))));
  lines.push_back(FloatLine(u"offset_u", offset.x));
  lines.push_back(FloatLine(u"offset_v", offset.y));
  lines.push_back(ParamLine(u"uvw_channel", IntValue(uvGen.GetMapChannel())));
  lines.push_back(FloatLine(u"rotate_w", uvGen.GetWAng(t) * kHostBitmapDegreesPerRadian));
}

}  // namespace

Text FileNameOfPath(const Text& path) {
  const size_t separator = path.find_last_of(u"\\/");
  return separator == Text::npos ? path : path.substr(separator + 1);
}

void FileNameRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row) {
  lines.push_back(ParamLine(row.key, StringValue(FileNameOfPath(PathOf(ip, object, row.source)))));
}

void FilePathRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row) {
  Text path = PathOf(ip, object, row.source);
  if (!path.empty()) lines.push_back(ParamLine(row.key, StringValue(std::move(path))));
}

void PointXRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
               const ParamRow& row) {
  const ParamValue value = FindParamValue(ip, &object, row.source);
  if (value.kind == ParamKind::Point3) lines.push_back(FloatLine(row.key, value.pointValue.x));
}

void PointYRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
               const ParamRow& row) {
  const ParamValue value = FindParamValue(ip, &object, row.source);
  if (value.kind == ParamKind::Point3) lines.push_back(FloatLine(row.key, value.pointValue.y));
}

void DegreesRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow& row) {
  const ParamValue value = FindParamValue(ip, &object, row.source);
  if (value.kind == ParamKind::Float) {
    lines.push_back(FloatLine(row.key, value.floatValue * kCoronaBitmapDegreesPerRadian));
  }
}

std::vector<Text> ExportCoronaBitmapParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kCoronaBitmapRows);
}

std::vector<Text> ExportBitmapParams(host::Interface& ip, const host::Anim& object) {
  std::vector<Text> lines = ExportRows(ip, object, kFileRows);
  if (object.SuperClassID() == host::super_class::kTexmap &&
      object.ClassID() == host::kBitmapTexClassId) {
    if (const host::UvGen* uvGen = object.GetTheUVGen()) AppendUvGenLines(lines, ip, *uvGen);
  }
  const ParamValue apply = FindParamValue(ip, &object, u"apply");
  if (apply.kind == ParamKind::Bool && apply.boolValue) {
    lines.push_back(ParamLine(u"crop_apply", BoolValue(true)));
    AppendRows(lines, ip, object, kHostBitmapCropRows);
  }
  return lines;
}

}  // namespace larkspur
