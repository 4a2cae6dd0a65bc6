#include "nodetree/layered_maps.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "json/json_text.h"

namespace larkspur {
namespace {

// The parameter whose value is the multi-map's item count.
constexpr std::u16string_view kItemCountName = u"items";

// A corrupt item count must not make the package grow without bound: per-item arrays stop here,
// far beyond any count a user sets up by hand.
constexpr int32_t kMaxMultiMapItems = 100000;

bool IsTrue(const ParamValue& value) {
  return value.kind == ParamKind::Bool && value.boolValue;
}

// "key":true for a bool that is on; "key":false for off, for any other kind and when missing.
void IsOnRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  lines.AddRaw(row.key, FormatJsonBool(IsTrue(context.Value(row.source))));
}

constexpr ParamRow kRandomizeByMembers[] = {
    {u"primitive",        u"randomizePrimitive",       IsOnRow},
    {u"sub_primitive",    u"randomizeSubPrimitive",    IsOnRow},
    {u"polygon",          u"randomizePolygon",         IsOnRow},
    {u"mesh_element",     u"randomizeMeshElement",     IsOnRow},
    {u"instance",         u"randomizeInstance",        IsOnRow},
    {u"material_gbuffer", u"randomizeMaterialGBuffer", IsOnRow},
    {u"object_gbuffer",   u"randomizeObjectGBuffer",   IsOnRow},
    {u"material_name",    u"randomizeMaterialName",    IsOnRow},
    {u"face_material_id", u"randomizeMaterialId",      IsOnRow},
    {u"decal",            u"randomizeDecal",           IsOnRow},
    {u"tile_id",          u"randomizeTileId",          IsOnRow},
};

// The elements, already in JSON form, separated by "," between open and close.
Text Joined(const std::vector<Text>& elements, char16_t open, char16_t close) {
  Text joined(1, open);
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) joined += u',';
    joined += elements[i];
  }
  joined += close;
  return joined;
}

// printf "%f": six decimals in fixed notation. A non-finite value has no JSON number: null.
Text FormatFixedSix(float value) {
  if (!std::isfinite(value)) return u"null";
  char buffer[400];  // the longest double in fixed notation with six decimals fits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  return Widen(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

int32_t CompositeLayerCount(const RowContext& context, std::u16string_view tableName) {
  const int32_t count = context.TabCount(tableName);
  if (count >= 0) return count;
  const host::Anim& map = context.object;
  return map.SuperClassID() == host::super_class::kTexmap ? map.NumSubTexmaps() : 0;
}

int32_t ItemCount(const RowContext& context) {
  const ParamValue items = context.Value(kItemCountName);
  if (items.kind == ParamKind::Int) return items.intValue;
  if (items.kind != ParamKind::Float || std::isnan(items.floatValue)) return 0;
  // Clamped before the conversion, which is undefined for values an int cannot hold.
  const float truncated = std::trunc(items.floatValue);
  if (truncated <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  if (truncated >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(truncated);
}

// The JSON text of one element of a per-item table.
using ElementText = Text (*)(const ParamValue& element);

void AppendItemArray(const RowContext& context, const ParamRow& row, ElementText text,
                     ParamLines& lines) {
  const int32_t count = ItemCount(context);
  if (count < 1) return;
  const int32_t written = std::min(count, kMaxMultiMapItems);
  std::vector<Text> elements;
  elements.reserve(static_cast<size_t>(written));
  for (int32_t i = 0; i < written; ++i) {
    elements.push_back(text(context.TabValue(row.source, i)));
  }
  lines.AddRaw(row.key, Joined(elements, u'[', u']'));
}

Text ColorText(const ParamValue& color) {
  return color.kind == ParamKind::Color ? FormatJsonColor(color.colorValue) : Text(u"null");
}

Text FrequencyText(const ParamValue& frequency) {
  if (frequency.kind == ParamKind::Float) return FormatFixedSix(frequency.floatValue);
  if (frequency.kind == ParamKind::Int) return FormatInt(frequency.intValue);
  return u"1.0";
}

Text SwitchText(const ParamValue& mapSwitch) {
  return FormatJsonBool(IsTrue(mapSwitch));
}

}  // namespace

void LayerCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  lines.AddRaw(row.key, FormatInt(CompositeLayerCount(context, row.source)));
}

void LayerListRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const int32_t count = CompositeLayerCount(context, row.source);
  std::vector<Text> layers;
  for (int i = 0; i < count; ++i) {
    const ParamValue mode = context.TabValue(row.source, i);
    const ParamValue opacity = context.TabValue(u"opacity", i);
    const ParamValue mask = context.TabValue(u"maskEnabled", i);
    Text layer = u"{\"index\":";
    layer += FormatInt(i + 1);
    layer += u",\"blend_mode\":";
    layer += FormatInt(mode.kind == ParamKind::Int ? mode.intValue : 0);
    layer += u",\"opacity\":";
    layer += FormatJsonFloat(opacity.kind == ParamKind::Float ? opacity.floatValue : 100.0f);
    layer += u",\"enabled\":";
    layer += FormatJsonBool(mask.kind == ParamKind::Bool ? mask.boolValue : true);
    layer += u'}';
    layers.push_back(std::move(layer));
  }
  if (!layers.empty()) lines.AddRaw(row.key, Joined(layers, u'[', u']'));
}

void SubMaterialCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const host::Anim& material = context.object;
  const int count =
      material.SuperClassID() == host::super_class::kMaterial ? material.NumSubMtls() : 0;
  lines.AddRaw(row.key, FormatInt(count));
}

void ItemCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  lines.AddRaw(row.key, FormatInt(ItemCount(context)));
}

void RandomizeByRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  ParamLines members;
  AppendRows(context, kRandomizeByMembers, members);
  lines.AddRaw(row.key, u"{" + members.Joined(u",") + u"}");
}

void ItemColorsRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  AppendItemArray(context, row, ColorText, lines);
}

void ItemFrequenciesRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  AppendItemArray(context, row, FrequencyText, lines);
}

void ItemSwitchesRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  AppendItemArray(context, row, SwitchText, lines);
}

void EnabledSlotCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  int enabled = 0;
  const host::Anim& map = context.object;
  if (map.SuperClassID() == host::super_class::kTexmap) {
    const int slots = map.NumSubTexmaps();
    for (int i = 0; i < slots; ++i) {
      if (IsTrue(context.TabValue(row.source, i))) ++enabled;
    }
  }
  lines.AddRaw(row.key, FormatInt(enabled));
}

}  // namespace larkspur
