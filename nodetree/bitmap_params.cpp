#include "nodetree/bitmap_params.h"

#include "json/json_text.h"

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

// Written after "crop_apply", only when cropping applies.
constexpr ParamRow kHostBitmapCropRows[] = {
    {u"crop_place", u"cropPlace", LineRow},
    {u"crop_u",     u"clipu",     LineRow},
    {u"crop_v",     u"clipv",     LineRow},
    {u"crop_w",     u"clipw",     LineRow},
    {u"crop_h",     u"cliph",     LineRow},
};

Text PathOf(const RowContext& context, std::u16string_view name) {
  ParamValue value = context.Value(name);
  return value.kind == ParamKind::String ? std::move(value.stringValue) : Text();
}

ParamValue StringValue(Text text) {
  ParamValue value;
  value.kind = ParamKind::String;
  value.stringValue = std::move(text);
  return value;
}

// The part of a path after its last backslash or forward slash; the path itself without one.
Text FileNameOfPath(const Text& path) {
  const size_t separator = path.find_last_of(u"\\/");
  return separator == Text::npos ? path : path.substr(separator + 1);
}

Text FlagText(int flags, int bit) {
  return FormatJsonBool((flags & bit) != 0);
}

Text TilingModeText(int flags, int mirror, int tile) {
  if (flags & mirror) return u"2";
  return (flags & tile) ? u"1" : u"0";
}

}  // namespace

void FileNameRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  lines.AddValue(row.key, StringValue(FileNameOfPath(PathOf(context, row.source))));
}

void FilePathRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  Text path = PathOf(context, row.source);
  if (!path.empty()) lines.AddValue(row.key, StringValue(std::move(path)));
}

void PointXRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Point3) lines.AddFloat(row.key, value.pointValue.x);
}

void PointYRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Point3) lines.AddFloat(row.key, value.pointValue.y);
}

void DegreesRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float) {
    lines.AddFloat(row.key, value.floatValue * kCoronaBitmapDegreesPerRadian);
  }
}

void UvPlacementRow(const RowContext& context, const ParamRow&, ParamLines& lines) {
  const host::Anim& map = context.object;
  if (map.SuperClassID() != host::super_class::kTexmap || map.ClassID() != host::kBitmapTexClassId)
    return;
  const host::UvGen* uvGen = map.GetTheUVGen();
  if (!uvGen) return;
  const host::TimeValue t = context.time;
  const int tiling = uvGen->GetTextureTiling();
  const host::Point3 offset = uvGen->GetUVTransform().GetTrans();
  lines.AddFloat(u"tiling_u", uvGen->GetUScl(t));
  lines.AddFloat(u"tiling_v", uvGen->GetVScl(t));
  lines.AddRaw(u"tile_u", FlagText(tiling, kTileU));
  lines.AddRaw(u"tile_v", FlagText(tiling, kTileV));
  lines.AddRaw(u"tiling_mode_u", TilingModeText(tiling, kMirrorU, kTileU));
  lines.AddRaw(u"tiling_mode_v", TilingModeText(tiling, kMirrorV, kTileV));
  lines.AddFloat(u"offset_u", offset.x);
  lines.AddFloat(u"offset_v", offset.y);
  lines.AddRaw(u"uvw_channel", FormatInt(uvGen->GetMapChannel()));
  lines.AddFloat(u"rotate_w", uvGen->GetWAng(t) * kHostBitmapDegreesPerRadian);
}

void CropRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue apply = context.Value(row.source);
  if (apply.kind != ParamKind::Bool || !apply.boolValue) return;
  lines.AddRaw(row.key, u"true");
  AppendRows(context, kHostBitmapCropRows, lines);
}

}  // namespace larkspur
