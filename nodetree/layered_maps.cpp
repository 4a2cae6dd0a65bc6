#include "nodetree/layered_maps.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "json/json_text.h"
#include "nodetree/param_lookup.h"
#include "nodetree/param_rows.h"

namespace larkspur {
namespace {

// A corrupt item count must not make the package grow without bound: per-item arrays stop here,
// far beyond any count a user sets up by hand.
constexpr int32_t kMaxMultiMapItems = 100000;

constexpr ParamRow kMultiMapRows[] = {
    {u"mix_amount", u"mixAmount", LineRow},
    {u"seed", u"seed", LineRow},
    {u"hue_random", u"hueRandom", LineRow},
    {u"saturation_random", u"saturationRandom", LineRow},
    {u"gamma_random", u"gammaRandom", LineRow},
    {u"blur_multiplier", u"blurMultiplier", LineRow},
    {u"additional_outputs", u"additionalOutputs", LineRow},
};

struct FlagMember {
  std::u16string_view key;
  std::u16string_view paramName;
};

constexpr FlagMember kRandomizeByMembers[] = {
    {u"primitive", u"randomizePrimitive"},
    {u"sub_primitive", u"randomizeSubPrimitive"},
    {u"polygon", u"randomizePolygon"},
    {u"mesh_element", u"randomizeMeshElement"},
    {u"instance", u"randomizeInstance"},
    {u"material_gbuffer", u"randomizeMaterialGBuffer"},
    {u"object_gbuffer", u"randomizeObjectGBuffer"},
    {u"material_name", u"randomizeMaterialName"},
    {u"face_material_id", u"randomizeMaterialId"},
    {u"decal", u"randomizeDecal"},
    {u"tile_id", u"randomizeTileId"},
};

constexpr ParamRow kMultiTextureRows[] = {
    {u"rnd_by", u"rnd_by", LineRow},
    {u"seed", u"seed", LineRow},
};

bool IsTrue(const ParamValue& value) {
  return value.kind == ParamKind::Bool && value.boolValue;
}

Text RawLine(std::u16string_view key, std::u16string_view value) {
  Text line = u"\"";
  line += key;
  line += u"\":";
  line += value;
  return line;
}

// "[a,b,c]" of texts already in JSON form.
Text JsonArray(const std::vector<Text>& elements) {
  Text array = u"[";
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) array += u',';
    array += elements[i];
  }
  array += u']';
  return array;
}

// printf "%f": six decimals in fixed notation. A non-finite value has no JSON number: null.
Text FormatFixedSix(float value) {
  if (!std::isfinite(value)) return u"null";
  char buffer[400];  // the longest double in fixed notation with six decimals fits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  return Widen(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

// "items" as an int: an int as is, a float truncated toward zero, anything else 0.
int32_t ItemCount(const host::Interface& ip, const host::Anim& object) {
  const ParamValue items = FindParamValue(ip, &object, u"items");
  if (items.kind == ParamKind::Int) return items.intValue;
  if (items.kind != ParamKind::Float || std::isnan(items.floatValue)) return 0;
  // Clamped before the conversion, which is undefined for values an int cannot hold.
  const float truncated = std::trunc(items.floatValue);
  if (truncated <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  if (truncated >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(truncated);
}

Text MultiMapColor(const host::Interface& ip, const host::Anim& object, int index) {
  const ParamValue color = FindParamTabValue(ip, &object, u"colors", index);
  return color.kind == ParamKind::Color ? FormatJsonColor(color.colorValue) : Text(u"null");
}

Text MultiMapFrequency(const host::Interface& ip, const host::Anim& object, int index) {
  const ParamValue frequency = FindParamTabValue(ip, &object, u"frequency", index);
  if (frequency.kind == ParamKind::Float) return FormatFixedSix(frequency.floatValue);
  if (frequency.kind == ParamKind::Int) return FormatInt(frequency.intValue);
  return u"1.0";
}

}  // namespace

std::vector<Text> ExportCompositeParams(host::Interface& ip, const host::Anim& object) {
  int32_t count = FindParamTabCount(&object, u"blendMode");
  if (count < 0) {
    count = object.SuperClassID() == host::super_class::kTexmap ? object.NumSubTexmaps() : 0;
  }
  std::vector<Text> lines{RawLine(u"num_layers", FormatInt(count))};

  std::vector<Text> layers;
  for (int i = 0; i < count; ++i) {
    const ParamValue mode = FindParamTabValue(ip, &object, u"blendMode", i);
    const ParamValue opacity = FindParamTabValue(ip, &object, u"opacity", i);
    const ParamValue mask = FindParamTabValue(ip, &object, u"maskEnabled", i);
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
  if (!layers.empty()) lines.push_back(RawLine(u"layers", JsonArray(layers)));
  return lines;
}

std::vector<Text> ExportLayeredMaterialParams(host::Interface&, const host::Anim& object) {
  const int count = object.SuperClassID() == host::super_class::kMaterial ? object.NumSubMtls() : 0;
  return {RawLine(u"layer_count", FormatInt(count))};
}

std::vector<Text> ExportMultiMapParams(host::Interface& ip, const host::Anim& object) {
  const int32_t count = ItemCount(ip, object);
  std::vector<Text> lines{RawLine(u"item_count", FormatInt(count))};
  AppendRows(lines, ip, object, kMultiMapRows);

  Text flags = u"{";
  for (const FlagMember& member : kRandomizeByMembers) {
    if (flags.size() > 1) flags += u',';
    flags +=
        RawLine(member.key, FormatJsonBool(IsTrue(FindParamValue(ip, &object, member.paramName))));
  }
  flags += u'}';
  lines.push_back(RawLine(u"randomize_by", flags));

  if (count < 1) return lines;
  const int32_t written = std::min(count, kMaxMultiMapItems);
  std::vector<Text> colors;
  std::vector<Text> frequencies;
  std::vector<Text> mapSwitches;
  for (int i = 0; i < written; ++i) {
    colors.push_back(MultiMapColor(ip, object, i));
    frequencies.push_back(MultiMapFrequency(ip, object, i));
    mapSwitches.push_back(FormatJsonBool(IsTrue(FindParamTabValue(ip, &object, u"texmapsOn", i))));
  }
  lines.push_back(RawLine(u"colors", JsonArray(colors)));
  lines.push_back(RawLine(u"frequency", JsonArray(frequencies)));
  lines.push_back(RawLine(u"map_enabled", JsonArray(mapSwitches)));
  return lines;
}

std::vector<Text> ExportMultiTextureParams(host::Interface& ip, const host::Anim& object) {
  std::vector<Text> lines = ExportRows(ip, object, kMultiTextureRows);
  // Counts the switches that are on, whether or not their slot holds a map.
  int enabled = 0;
  if (object.SuperClassID() == host::super_class::kTexmap) {
    const int slots = object.NumSubTexmaps();
    for (int i = 0; i < slots; ++i) {
      if (IsTrue(FindParamTabValue(ip, &object, u"submap_on", i))) ++enabled;
    }
  }
  lines.push_back(RawLine(u"num_textures", FormatInt(enabled)));
  return lines;
}

}  // namespace larkspur
