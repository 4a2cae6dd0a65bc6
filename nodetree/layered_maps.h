// Parameter tables of the classes that combine several inputs: the composite map, the Corona
// layered material, the Corona multi-map and the multi-texture. Their inputs themselves are the
// node tree's children (or, for the multi-texture, its "textures").
#pragma once

#include "nodetree/param_rows.h"

namespace larkspur {

// The composite's layer count: the length of the table parameter named by the row, or the
// map's slot count when there is no such table.
void LayerCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// One object per composite layer (index, blend mode from the row's table, opacity, mask switch),
// with a default for each element that is missing; nothing without layers.
void LayerListRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// The material's number of sub-materials; 0 for anything but a material.
void SubMaterialCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

// The multi-map's item count: an int as is, a float truncated toward zero, anything else 0.
void ItemCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// The object of the criteria by which the multi-map randomises, each true or false.
void RandomizeByRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// Arrays with one element per multi-map item of the table parameter named by the row: colours
// (null when missing), frequencies (printf "%f", 1.0 when missing) and map switches (false when
// missing). Nothing when the item count is below 1.
void ItemColorsRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
void ItemFrequenciesRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
void ItemSwitchesRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

// The number of the multi-texture's slots whose switch (the row's table parameter) is on,
// whether or not the slot holds a map.
void EnabledSlotCountRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

inline constexpr ParamRow kCompositeRows[] = {
    {u"num_layers", u"blendMode", LayerCountRow},
    {u"layers",     u"blendMode", LayerListRow },
};

inline constexpr ParamRow kLayeredMaterialRows[] = {
    {u"layer_count", u"", SubMaterialCountRow},
};

inline constexpr ParamRow kMultiMapRows[] = {
    {u"item_count",         u"items",             ItemCountRow      },
    {u"mix_amount",         u"mixAmount",         LineRow           },
    {u"seed",               u"seed",              LineRow           },
    {u"hue_random",         u"hueRandom",         LineRow           },
    {u"saturation_random",  u"saturationRandom",  LineRow           },
    {u"gamma_random",       u"gammaRandom",       LineRow           },
    {u"blur_multiplier",    u"blurMultiplier",    LineRow           },
    {u"additional_outputs", u"additionalOutputs", LineRow           },
    {u"randomize_by",       u"",                  RandomizeByRow    },
    {u"colors",             u"colors",            ItemColorsRow     },
    {u"frequency",          u"frequency",         ItemFrequenciesRow},
    {u"map_enabled",        u"texmapsOn",         ItemSwitchesRow   },
};

inline constexpr ParamRow kMultiTextureRows[] = {
    {u"rnd_by",       u"rnd_by",    LineRow            },
    {u"seed",         u"seed",      LineRow            },
    {u"num_textures", u"submap_on", EnabledSlotCountRow},
};

}  // namespace larkspur
