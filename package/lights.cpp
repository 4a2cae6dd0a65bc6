#include "package/lights.h"

#include <string_view>
#include <unordered_map>

#include "host/scene_walk.h"
#include "json/json_text.h"
#include "nodetree/param_lookup.h"
#include "package/transform.h"

namespace larkspur {

namespace {

constexpr std::u16string_view kCoronaLight = u"CoronaLight";
constexpr std::u16string_view kCoronaSun = u"CoronaSun";

enum class RowOp {
  kPlain,           // the value in the text form of its kind
  kLength,          // a float only, converted from system units to metres
  kNonEmptyString,  // a string only, and only when it holds something
  kTransform,       // the light's transform line; paramName says whether it is targeted
};

struct LightRow {
  std::u16string_view paramName;
  std::u16string_view key;
  RowOp op;
};

constexpr LightRow kCoronaLightRows[] = {
    {u"on", u"on", RowOp::kPlain},
    {u"shape", u"shape", RowOp::kPlain},
    {u"width", u"width", RowOp::kLength},
    {u"height", u"height", RowOp::kLength},
    {u"intensity", u"intensity", RowOp::kPlain},
    {u"intensityUnits", u"intensity_units", RowOp::kPlain},
    {u"color", u"color", RowOp::kPlain},
    {u"colorMode", u"color_mode", RowOp::kPlain},
    {u"blackbodyTemp", u"temperature", RowOp::kPlain},
    {u"directionality", u"directionality", RowOp::kPlain},
    {u"targeted", u"targeted", RowOp::kPlain},
    {u"twosidedEmission", u"twosided_emission", RowOp::kPlain},
    {u"visibleDirectly", u"visible_directly", RowOp::kPlain},
    {u"visibleRefl", u"visible_refl", RowOp::kPlain},
    {u"visibleRefr", u"visible_refr", RowOp::kPlain},
    {u"iesFile", u"ies_file", RowOp::kNonEmptyString},
    {u"iesOn", u"ies_on", RowOp::kPlain},
    {u"shadowcatcherIlluminator", u"shadowcatcher_illuminator", RowOp::kPlain},
    {u"occludeOtherLights", u"occlude_other_lights", RowOp::kPlain},
    {u"targeted", u"", RowOp::kTransform},
};

constexpr LightRow kCoronaSunRows[] = {
    {u"on", u"on", RowOp::kPlain},
    {u"intensity", u"intensity", RowOp::kPlain},
    {u"colorDirect", u"color", RowOp::kPlain},
    {u"colorMode", u"color_mode", RowOp::kPlain},
    {u"blackbodyTemperature", u"temperature", RowOp::kPlain},
    {u"sizeMultiplier", u"size_multiplier", RowOp::kPlain},
    {u"targeted", u"targeted", RowOp::kPlain},
    {u"targetDistance", u"target_distance", RowOp::kLength},
    {u"visibleDirectly", u"visible_directly", RowOp::kPlain},
    {u"visibleRefl", u"visible_refl", RowOp::kPlain},
    {u"visibleRefr", u"visible_refr", RowOp::kPlain},
    {u"shadowsFromClouds", u"shadows_from_clouds", RowOp::kPlain},
    {u"targeted", u"", RowOp::kTransform},
};

template <size_t N>
std::vector<Text> ExportLightRows(const host::Interface& ip, const host::Node& node,
                                  host::TimeValue t, const LightRow (&rows)[N]) {
  std::vector<Text> lines;
  const host::Anim* light = node.EvalWorldState(t);
  if (!light) return lines;
  const float unitScale = GetMetersPerUnit(ip);
  for (const LightRow& row : rows) {
    switch (row.op) {
      case RowOp::kPlain:
        AddParamLine(lines, ip, light, row.paramName, row.key);
        break;
      case RowOp::kLength: {
        const ParamValue value = FindParamValue(ip, light, row.paramName);
        if (value.kind == ParamKind::Float) {
          lines.push_back(FloatLine(row.key, value.floatValue * unitScale));
        }
        break;
      }
      case RowOp::kNonEmptyString: {
        const ParamValue value = FindParamValue(ip, light, row.paramName);
        if (value.kind == ParamKind::String && !value.stringValue.empty()) {
          lines.push_back(ParamLine(row.key, value));
        }
        break;
      }
      case RowOp::kTransform: {
        const ParamValue value = FindParamValue(ip, light, row.paramName);
        const bool targeted = value.kind == ParamKind::Bool && value.boolValue;
        lines.push_back(BuildTransformJson(ip, node, t, unitScale, targeted));
        break;
      }
    }
  }
  return lines;
}

struct LightNode {
  const host::Node* node;
  std::u16string_view type;
  int group;
};

Text LightEntry(const Text& name, std::u16string_view type, const std::vector<Text>& params,
                int group) {
  Text entry = u"  {\n    \"light_name\": \"";
  entry += EscapeJsonString(name);
  entry += u"\",\n    \"light_type\": \"";
  entry += type;
  entry += u"\",\n    ";
  entry += JoinLines(params, u"");
  entry += u",\n    \"instance_group\": ";
  entry += FormatInt(group);
  entry += u"\n  }";
  return entry;
}

}  // namespace

std::vector<Text> ExportCoronaLightParams(const host::Interface& ip, const host::Node& node,
                                          host::TimeValue t) {
  return ExportLightRows(ip, node, t, kCoronaLightRows);
}

std::vector<Text> ExportCoronaSunParams(const host::Interface& ip, const host::Node& node,
                                        host::TimeValue t) {
  return ExportLightRows(ip, node, t, kCoronaSunRows);
}

Text CollectLightsJson(host::Interface& ip, std::vector<Text>& packageLog) {
  const host::TimeValue t = ip.GetTime();

  // Instances share one object: the group is the object's order of first appearance.
  std::unordered_map<const host::Anim*, int> groupOfObject;
  std::vector<LightNode> lights;
  for (const host::Node* node : CollectSceneNodes(ip)) {
    const host::Anim* object = node->EvalWorldState(t);
    if (!object) continue;
    const Text className = object->GetClassName();
    std::u16string_view type;
    if (className == kCoronaLight) {
      type = kCoronaLight;
    } else if (className == kCoronaSun) {
      type = kCoronaSun;
    } else {
      continue;
    }
    const int nextGroup = static_cast<int>(groupOfObject.size()) + 1;
    const int group = groupOfObject.emplace(node->GetObjectRef(), nextGroup).first->second;
    lights.push_back(LightNode{node, type, group});
  }

  std::vector<Text> entries;
  entries.reserve(lights.size());
  for (const LightNode& light : lights) {
    const std::vector<Text> params = light.type == kCoronaLight
                                         ? ExportCoronaLightParams(ip, *light.node, t)
                                         : ExportCoronaSunParams(ip, *light.node, t);
    const Text name = light.node->GetName();
    entries.push_back(LightEntry(name, light.type, params, light.group));

    Text logLine = u"  ";
    logLine += light.type;
    logLine += u" exported: ";
    logLine += name;
    logLine += u" (group ";
    logLine += FormatInt(light.group);
    logLine += u')';
    packageLog.push_back(std::move(logLine));
  }

  Text summary = u"Lights exported: ";
  summary += FormatInt(static_cast<long long>(entries.size()));
  summary += u" (instance groups: ";
  summary += FormatInt(static_cast<long long>(groupOfObject.size()));
  summary += u')';
  packageLog.push_back(std::move(summary));

  if (entries.empty()) return Text();
  Text fragment = u",\n  \"lights\": [\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    fragment += entries[i];
    fragment += i + 1 < entries.size() ? u",\n" : u"\n";
  }
  fragment += u"  ]";
  return fragment;
}

}  // namespace larkspur
