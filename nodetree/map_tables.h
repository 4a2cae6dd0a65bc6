// Parameter tables of the texture maps, one per parameter set.
#pragma once

#include "nodetree/param_rows.h"

namespace larkspur {

// "key":true when the slot parameter named by the row holds a map; nothing otherwise.
void HasMapRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

inline constexpr ParamRow kMixRows[] = {
    {u"mix_amount",      u"mixAmount",        LineRow},
    {u"color1",          u"color1",           LineRow},
    {u"color2",          u"color2",           LineRow},
    {u"mix_in_srgb",     u"mixInSRGB",        LineRow},
    {u"color1_mult",     u"color1Multiplier", LineRow},
    {u"color2_mult",     u"color2Multiplier", LineRow},
    {u"color1_contrast", u"color1Contrast",   LineRow},
    {u"color2_contrast", u"color2Contrast",   LineRow},
};

inline constexpr ParamRow kFalloffRows[] = {
    {u"falloff_type", u"type",       LineRow},
    {u"color1",       u"color1",     LineRow},
    {u"color2",       u"color2",     LineRow},
    {u"direction",    u"direction",  LineRow},
    {u"map1_amount",  u"map1Amount", LineRow},
    {u"map2_amount",  u"map2Amount", LineRow},
};

inline constexpr ParamRow kNoiseRows[] = {
    {u"noise_type",     u"type",          LineRow},
    {u"size",           u"size",          LineRow},
    {u"phase",          u"phase",         LineRow},
    {u"levels",         u"levels",        LineRow},
    {u"low_threshold",  u"lowThreshold",  LineRow},
    {u"high_threshold", u"highThreshold", LineRow},
    {u"color1",         u"color1",        LineRow},
    {u"color2",         u"color2",        LineRow},
};

inline constexpr ParamRow kOutputRows[] = {
    {u"output_amount",  u"outputAmount", LineRow},
    {u"rgb_offset",     u"rgbOffset",    LineRow},
    {u"rgb_level",      u"rgbLevel",     LineRow},
    {u"invert",         u"invert",       LineRow},
    {u"clamp",          u"clamp",        LineRow},
    {u"alpha_from_rgb", u"alphaFromRGB", LineRow},
};

inline constexpr ParamRow kGradientRows[] = {
    {u"gradient_type", u"gradientType", LineRow},
    {u"color1",        u"color1",       LineRow},
    {u"color2",        u"color2",       LineRow},
    {u"color3",        u"color3",       LineRow},
    {u"color2_pos",    u"color2Pos",    LineRow},
    {u"noise_amount",  u"noiseAmount",  LineRow},
    {u"noise_size",    u"noiseSize",    LineRow},
};

// Older versions of the map name the tint "tint" and "tintStrength", newer ones "hueTint" and
// "hueTintStrength"; both feed the same keys.
inline constexpr ParamRow kColorCorrectionRows[] = {
    {u"rewire_mode",       u"rewireMode",      LineRow},
    {u"rewire_r",          u"rewireR",         LineRow},
    {u"rewire_g",          u"rewireG",         LineRow},
    {u"rewire_b",          u"rewireB",         LineRow},
    {u"rewire_a",          u"rewireA",         LineRow},
    {u"hue_shift",         u"hueShift",        LineRow},
    {u"saturation",        u"saturation",      LineRow},
    {u"hue_tint",          u"tint",            LineRow},
    {u"hue_tint_strength", u"tintStrength",    LineRow},
    {u"hue_tint",          u"hueTint",         LineRow},
    {u"hue_tint_strength", u"hueTintStrength", LineRow},
    {u"lightness_mode",    u"lightnessMode",   LineRow},
    {u"brightness",        u"brightness",      LineRow},
    {u"contrast",          u"contrast",        LineRow},
    {u"gain_rgb",          u"gainRGB",         LineRow},
    {u"gain_r",            u"gainR",           LineRow},
    {u"gain_g",            u"gainG",           LineRow},
    {u"gain_b",            u"gainB",           LineRow},
    {u"gamma_rgb",         u"gammaRGB",        LineRow},
    {u"gamma_r",           u"gammaR",          LineRow},
    {u"gamma_g",           u"gammaG",          LineRow},
    {u"gamma_b",           u"gammaB",          LineRow},
    {u"pivot_rgb",         u"pivotRGB",        LineRow},
    {u"pivot_r",           u"pivotR",          LineRow},
    {u"pivot_g",           u"pivotG",          LineRow},
    {u"pivot_b",           u"pivotB",          LineRow},
    {u"lift_rgb",          u"liftRGB",         LineRow},
    {u"lift_r",            u"liftR",           LineRow},
    {u"lift_g",            u"liftG",           LineRow},
    {u"lift_b",            u"liftB",           LineRow},
    {u"printer_lights",    u"printerLights",   LineRow},
};

inline constexpr ParamRow kCellularRows[] = {
    {u"cell_color",      u"cellColor",      LineRow},
    {u"cell_variation",  u"cellVariation",  LineRow},
    {u"division_color1", u"divisionColor1", LineRow},
    {u"division_color2", u"divisionColor2", LineRow},
    {u"cell_type",       u"cellType",       LineRow},
    {u"fractal",         u"fractal",        LineRow},
    {u"size",            u"size",           LineRow},
    {u"spread",          u"spread",         LineRow},
    {u"iterations",      u"iterations",     LineRow},
    {u"adaptive",        u"adaptive",       LineRow},
    {u"bump_smoothing",  u"bumpSmoothing",  LineRow},
    {u"roughness",       u"roughness",      LineRow},
    {u"threshold_low",   u"lowThresh",      LineRow},
    {u"threshold_mid",   u"midThresh",      LineRow},
    {u"threshold_high",  u"highThresh",     LineRow},
};

inline constexpr ParamRow kRgbMultiplyRows[] = {
    {u"color1_value", u"color1", LineRow},
    {u"color2_value", u"color2", LineRow},
};

inline constexpr ParamRow kSolidColorRows[] = {
    {u"solid_color",   u"color",        LineRow},
    {u"gamma",         u"gamma",        LineRow},
    {u"gain",          u"gain",         LineRow},
    {u"reverse_gamma", u"reverseGamma", LineRow},
};

inline constexpr ParamRow kBlendRows[] = {
    {u"mix_amount",  u"mixAmount", LineRow},
    {u"use_curve",   u"useCurve",  LineRow},
    {u"curve_upper", u"upper",     LineRow},
    {u"curve_lower", u"lower",     LineRow},
};

inline constexpr ParamRow kAmbientOcclusionRows[] = {
    {u"occluded_color",     u"colorOccluded",    LineRow  },
    {u"unoccluded_color",   u"colorUnoccluded",  LineRow  },
    {u"max_distance",       u"maxDistance",      LineRow  },
    {u"samples",            u"quality",          LineRow  },
    {u"has_occluded_map",   u"texmapOccluded",   HasMapRow},
    {u"has_unoccluded_map", u"texmapUnoccluded", HasMapRow},
};

inline constexpr ParamRow kBumpRows[] = {
    {u"strength",  u"strength", LineRow},
    {u"bump_type", u"bumpType", LineRow},
};

inline constexpr ParamRow kCoronaColorCorrectRows[] = {
    {u"brightness",         u"brightness",        LineRow},
    {u"contrast",           u"contrast",          LineRow},
    {u"saturation",         u"saturation",        LineRow},
    {u"hue",                u"hue",               LineRow},
    {u"gamma",              u"gamma",             LineRow},
    {u"temperature",        u"temperature",       LineRow},
    {u"green_magenta_tint", u"tintGreenMagenta",  LineRow},
    {u"invert_colors",      u"invertColors",      LineRow},
    {u"exposure",           u"exposure",          LineRow},
    {u"tint",               u"tint",              LineRow},
    {u"lut_enabled",        u"lutEnabled",        LineRow},
    {u"lut_opacity",        u"lutOpacity",        LineRow},
    {u"curves_enabled",     u"curvesEnabled",     LineRow},
    {u"additional_outputs", u"additionalOutputs", LineRow},
};

inline constexpr ParamRow kCoronaColorRows[] = {
    {u"color",      u"color",      LineRow},
    {u"multiplier", u"multiplier", LineRow},
};

// The service reads the two colours of this map under the host's own names.
inline constexpr ParamRow kFrontBackRows[] = {
    {u"frontColor", u"frontColor",    LineRow},
    {u"backColor",  u"backColor",     LineRow},
    {u"front_on",   u"frontTexmapOn", LineRow},
    {u"back_on",    u"backTexmapOn",  LineRow},
};

inline constexpr ParamRow kNormalRows[] = {
    {u"strength",     u"strength",     LineRow},
    {u"flip_red",     u"flipRed",      LineRow},
    {u"flip_green",   u"flipGreen",    LineRow},
    {u"swap_rg",      u"swapRedGreen", LineRow},
    {u"add_to_input", u"addToInput",   LineRow},
};

inline constexpr ParamRow kRoundEdgeRows[] = {
    {u"radius",  u"radius",  LineRow},
    {u"mode",    u"mode",    LineRow},
    {u"samples", u"samples", LineRow},
};

// Versions of the map differ in the names of three settings; each name found writes its line.
inline constexpr ParamRow kTriplanarRows[] = {
    {u"use_map_x_for_all", u"useMapXForAll",  LineRow},
    {u"use_map_x_for_all", u"useXForAll",     LineRow},
    {u"blend_amount",      u"blendingAmount", LineRow},
    {u"blend_amount",      u"blending",       LineRow},
    {u"scale",             u"uvwScale",       LineRow},
    {u"scale",             u"scale",          LineRow},
    {u"offset_x",          u"uvwOffsetX",     LineRow},
    {u"offset_y",          u"uvwOffsetY",     LineRow},
    {u"offset_z",          u"uvwOffsetZ",     LineRow},
    {u"rotate_x",          u"uvwRotateX",     LineRow},
    {u"rotate_y",          u"uvwRotateY",     LineRow},
    {u"rotate_z",          u"uvwRotateZ",     LineRow},
    {u"mapping_space",     u"mappingSpace",   LineRow},
};

}  // namespace larkspur
