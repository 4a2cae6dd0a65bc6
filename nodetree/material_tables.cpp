#include "nodetree/material_tables.h"

#include "json/json_text.h"
#include "nodetree/param_lookup.h"

namespace larkspur {
namespace {

// The legacy and the physically based forms of the material name one key differently, so a key
// is often fed by several host names; each row whose parameter exists writes its own line.
constexpr ParamRow kCoronaMaterialRows[] = {
    {u"amt_diffuse", u"mapAmountDiffuse", PercentRow},
    {u"amt_reflect", u"mapamountReflect", PercentRow},
    {u"amt_refract", u"mapamountRefract", PercentRow},
    {u"amt_reflect_glossiness", u"mapamountReflectGlossiness", PercentRow},
    {u"amt_refract_glossiness", u"mapamountRefractGlossiness", PercentRow},
    {u"amt_opacity", u"mapamountOpacity", PercentRow},
    {u"amt_bump", u"mapamountBump", LineRow},
    {u"amt_translucency", u"mapamountTranslucency", PercentRow},
    {u"amt_anisotropy", u"mapamountAnisotropy", PercentRow},
    {u"amt_anisotropy_rotation", u"mapamountAnisotropyRotation", PercentRow},
    {u"amt_ior", u"mapamountIor", PercentRow},
    {u"amt_fresnel_ior", u"mapamountFresnelIor", PercentRow},
    {u"amt_self_illum", u"mapamountSelfIllum", PercentRow},
    {u"amt_translucency_fraction", u"mapamountTranslucencyFraction", PercentRow},
    {u"amt_absorption", u"mapamountAbsorption", PercentRow},
    {u"amt_scatter_color", u"mapamountScatterColor", PercentRow},
    {u"amt_sss_amount", u"mapamountSssAmount", PercentRow},
    {u"amt_sss_radius", u"mapamountSssRadius", PercentRow},
    {u"amt_sss_scatter_color", u"mapamountSssScatterColor", PercentRow},
    {u"diffuse_color", u"baseColor", LineRow},
    {u"diffuse_level", u"baseLevel", LineRow},
    {u"reflect_glossiness", u"baseRoughness", OneMinusRow},
    {u"fresnel_ior", u"baseIor", LineRow},
    {u"reflect_color", u"edgeColor", LineRow},
    {u"refract_level", u"refractionAmount", LineRow},
    {u"thin_walled", u"useThinMode", LineRow},
    {u"emission_color", u"selfIllumColor", LineRow},
    {u"emission_level", u"selfIllumLevel", LineRow},
    {u"clearcoat_amount", u"clearcoatAmount", LineRow},
    {u"clearcoat_ior", u"clearcoatIor", LineRow},
    {u"sheen_amount", u"sheenAmount", LineRow},
    {u"sheen_color", u"sheenColor", LineRow},
    {u"sheen_roughness", u"sheenRoughness", LineRow},
    {u"amt_sheen_amount", u"sheenAmountMapAmount", PercentRow},
    {u"amt_sheen_color", u"sheenColorMapAmount", PercentRow},
    {u"amt_sheen_roughness", u"sheenRoughnessMapAmount", PercentRow},
    {u"sss_amount", u"sssAmount", LineRow},
    {u"sss_color", u"sssScatterColor", LineRow},
    {u"sss_radius", u"sssRadius", LineRow},
    {u"metalness_mode", u"metalnessMode", MetalnessFlagRow},
    {u"diffuse_color", u"colorDiffuse", LineRow},
    {u"diffuse_color", u"diffuseColor", LineRow},
    {u"diffuse_level", u"levelDiffuse", LineRow},
    {u"diffuse_level", u"diffuseLevel", LineRow},
    {u"reflect_color", u"colorReflect", LineRow},
    {u"reflect_color", u"reflectColor", LineRow},
    {u"reflect_level", u"levelReflect", LineRow},
    {u"reflect_glossiness", u"reflectGlossiness", LineRow},
    {u"fresnel_ior", u"fresnelIor", LineRow},
    {u"fresnel_ior", u"fresnelIOR", LineRow},
    {u"reflect_ior", u"reflectIOR", LineRow},
    {u"metalness", u"metalness", LineRow},
    {u"metalness", u"baseMetalness", LineRow},
    {u"metalness", u"metalnessAmount", LineRow},
    {u"metalness", u"metalAmount", LineRow},
    {u"pbr_mode", u"pbrMode", LineRow},
    {u"refract_color", u"colorRefract", LineRow},
    {u"refract_color", u"refractColor", LineRow},
    {u"refract_level", u"levelRefract", LineRow},
    {u"refract_glossiness", u"refractGlossiness", LineRow},
    {u"refraction_ior", u"ior", LineRow},
    {u"refraction_ior", u"refractionIOR", LineRow},
    {u"thin_walled", u"thin", LineRow},
    {u"opacity_color", u"colorOpacity", LineRow},
    {u"opacity_level", u"levelOpacity", LineRow},
    {u"alpha_mode", u"alphaMode", LineRow},
    {u"emission_color", u"colorSelfIllum", LineRow},
    {u"emission_color", u"selfIllumination", LineRow},
    {u"emission_level", u"levelSelfIllum", LineRow},
    {u"emission_multiplier", u"selfIlluminationMultiplier", LineRow},
    {u"sss_amount", u"levelSss", LineRow},
    {u"use_sss", u"useSss", LineRow},
    {u"sss_color", u"sssColor", LineRow},
    {u"clearcoat_ior", u"clearcoatIOR", LineRow},
    {u"anisotropy", u"anisotropy", LineRow},
    {u"anisotropy", u"baseAnisotropy", LineRow},
    {u"anisotropy", u"anisotropyAmount", LineRow},
    {u"anisotropy_rotation", u"anisotropyRotation", LineRow},
    {u"anisotropy_rotation", u"baseAnisotropyRotation", LineRow},
    {u"translucency_level", u"levelTranslucency", LineRow},
    {u"translucency_color", u"colorTranslucency", LineRow},
    {u"translucency_map_amount", u"mapamountTranslucency", PercentRow},
    {u"translucency_level", u"translucencyFraction", LineRow},
    {u"translucency_color", u"translucencyColor", LineRow},
    {u"translucency_map_amount", u"translucencyFractionMapAmount", PercentRow},
    {u"use_thin_mode", u"useThinMode", LineRow},
    {u"bump_amount", u"mapamountBump", LineRow},
    {u"bump_amount", u"baseBumpMapAmount", LineRow},
    {u"clearcoat_bump_amount", u"clearcoatBumpMapAmount", LineRow},
    {u"absorption_color", u"absorptionColor", LineRow},
    {u"absorption_distance", u"absorptionDistance", LineRow},
    {u"displacement_min", u"displacementMinimum", LineRow},
    {u"displacement_max", u"displacementMaximum", LineRow},
    {u"displacement_water_level", u"displacementWaterLevel", LineRow},
    {u"displacement_min", u"baseDisplacementMin", LineRow},
    {u"displacement_max", u"baseDisplacementMax", LineRow},
    {u"displacement_water_level", u"baseDisplacementWaterLevel", LineRow},
};

constexpr ParamRow kBlendMaterialRows[] = {
    {u"mix_amount", u"mixAmount", LineRow},
    {u"additive", u"additive", LineRow},
};

constexpr ParamRow kLightMaterialRows[] = {
    {u"color", u"color", LineRow},
    {u"intensity", u"intensity", LineRow},
    {u"emit_both_sides", u"emitOnBothSides", LineRow},
};

constexpr ParamRow kSkinMaterialRows[] = {
    {u"skin_color", u"skinColor", LineRow},
    {u"skin_level", u"skinLevel", LineRow},
    {u"sss_amount", u"sssAmount", LineRow},
    {u"sss_radius_scale", u"sssRadiusScale", LineRow},
    {u"sss_mode", u"sssMode", LineRow},
    {u"sss1_color", u"sss1Color", LineRow},
    {u"sss1_radius", u"sss1Radius", LineRow},
    {u"sss1_weight", u"sss1Weight", LineRow},
    {u"sss2_color", u"sss2Color", LineRow},
    {u"sss2_radius", u"sss2Radius", LineRow},
    {u"sss2_weight", u"sss2Weight", LineRow},
    {u"sss3_color", u"sss3Color", LineRow},
    {u"sss3_radius", u"sss3Radius", LineRow},
    {u"sss3_weight", u"sss3Weight", LineRow},
    {u"reflect1_color", u"reflection1Color", LineRow},
    {u"reflect1_level", u"reflection1Level", LineRow},
    {u"reflect1_glossiness", u"reflection1Glossiness", LineRow},
    {u"reflect1_ior", u"reflection1Ior", LineRow},
    {u"reflect2_color", u"reflection2Color", LineRow},
    {u"reflect2_level", u"reflection2Level", LineRow},
    {u"reflect2_glossiness", u"reflection2Glossiness", LineRow},
    {u"reflect2_ior", u"reflection2Ior", LineRow},
    {u"opacity_color", u"opacityColor", LineRow},
    {u"opacity_level", u"opacityLevel", LineRow},
    {u"bump_amount", u"mapamountBump", LineRow},
    {u"displacement_min", u"displaceMinimum", LineRow},
    {u"displacement_max", u"displaceMaximum", LineRow},
    {u"displacement_water_level", u"displaceWaterLevel", LineRow},
    {u"displacement_water_level_on", u"displaceWaterLevelOn", LineRow},
};

// The fixed lines name the layers under which the node tree writes the sub-materials: direct
// light, global illumination, reflection, refraction.
constexpr ParamRow kRaySwitchMaterialRows[] = {
    {u"direct_on", u"directMtlOn", LineRow},
    {u"gi_on", u"giMtlOn", LineRow},
    {u"reflect_on", u"reflectMtlOn", LineRow},
    {u"refract_on", u"refractMtlOn", LineRow},
    {u"viewport_source", u"viewportSource", LineRow},
    {u"displacement_source", u"displacementSource", LineRow},
    {u"direct_idx", u"1", FixedRow},
    {u"gi_idx", u"2", FixedRow},
    {u"reflect_idx", u"3", FixedRow},
    {u"refract_idx", u"4", FixedRow},
};

}  // namespace

void OneMinusRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                 const ParamRow& row) {
  const ParamValue value = FindParamValue(ip, &object, row.source);
  if (value.kind == ParamKind::Float) lines.push_back(FloatLine(row.key, 1.0f - value.floatValue));
}

void MetalnessFlagRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                      const ParamRow& row) {
  const ParamValue value = FindParamValue(ip, &object, row.source);
  ParamValue flag;
  flag.kind = ParamKind::Bool;
  if (value.kind == ParamKind::Bool) {
    flag.boolValue = value.boolValue;
  } else if (value.kind == ParamKind::Int) {
    flag.boolValue = value.intValue == 1;
  } else {
    return;
  }
  lines.push_back(ParamLine(row.key, flag));
}

std::vector<Text> ExportCoronaMaterialParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kCoronaMaterialRows);
}

std::vector<Text> ExportBlendMaterialParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kBlendMaterialRows);
}

std::vector<Text> ExportLightMaterialParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kLightMaterialRows);
}

std::vector<Text> ExportSkinMaterialParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kSkinMaterialRows);
}

std::vector<Text> ExportRaySwitchMaterialParams(host::Interface& ip, const host::Anim& object) {
  return ExportRows(ip, object, kRaySwitchMaterialRows);
}

}  // namespace larkspur
