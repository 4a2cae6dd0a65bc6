#include "package/lights.h"

#include <string_view>
#include <unordered_map>

#include "host/scene_walk.h"
#include "json/json_text.h"
#include "nodetree/param_rows.h"
#include "package/transform.h"

namespace larkspur {

namespace {

// A float length in system units, written in metres; nothing for any other kind.
void LengthRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float) {
    lines.AddFloat(row.key, value.floatValue * context.metresPerUnit);
  }
}

// A string only, and only when it holds something.
void NonEmptyStringRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::String && !value.stringValue.empty()) {
    lines.AddValue(row.key, value);
  }
}

// The light's transform line; the bool the row names says whether the light is targeted.
void TransformRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  const bool targeted = value.kind == ParamKind::Bool && value.boolValue;
  lines.AddLine(
      BuildTransformJson(context.ip, *context.node, context.time, context.metresPerUnit, targeted));
}

constexpr ParamRow kCoronaLightRows[] = {
    {u"on",                        u"on",                       LineRow          },
    {u"shape",                     u"shape",                    LineRow          },
    {u"width",                     u"width",                    LengthRow        },
    {u"height",                    u"height",                   LengthRow        },
    {u"intensity",                 u"intensity",                LineRow          },
    {u"intensity_units",           u"intensityUnits",           LineRow          },
    {u"color",                     u"color",                    LineRow          },
    {u"color_mode",                u"colorMode",                LineRow          },
    {u"temperature",               u"blackbodyTemp",            LineRow          },
    {u"directionality",            u"directionality",           LineRow          },
    {u"targeted",                  u"targeted",                 LineRow          },
    {u"twosided_emission",         u"twosidedEmission",         LineRow          },
    {u"visible_directly",          u"visibleDirectly",          LineRow          },
    {u"visible_refl",              u"visibleRefl",              LineRow          },
    {u"visible_refr",              u"visibleRefr",              LineRow          },
    {u"ies_file",                  u"iesFile",                  NonEmptyStringRow},
    {u"ies_on",                    u"iesOn",                    LineRow          },
    {u"shadowcatcher_illuminator", u"shadowcatcherIlluminator", LineRow          },
    {u"occlude_other_lights",      u"occludeOtherLights",       LineRow          },
    {u"transform",                 u"targeted",                 TransformRow     },
};

constexpr ParamRow kCoronaSunRows[] = {
    {u"on",                  u"on",                   LineRow     },
    {u"intensity",           u"intensity",            LineRow     },
    {u"color",               u"colorDirect",          LineRow     },
    {u"color_mode",          u"colorMode",            LineRow     },
    {u"temperature",         u"blackbodyTemperature", LineRow     },
    {u"size_multiplier",     u"sizeMultiplier",       LineRow     },
    {u"targeted",            u"targeted",             LineRow     },
    {u"target_distance",     u"targetDistance",       LengthRow   },
    {u"visible_directly",    u"visibleDirectly",      LineRow     },
    {u"visible_refl",        u"visibleRefl",          LineRow     },
    {u"visible_refr",        u"visibleRefr",          LineRow     },
    {u"shadows_from_clouds", u"shadowsFromClouds",    LineRow     },
    {u"transform",           u"targeted",             TransformRow},
};

// The light classes by their exact class name; the name is also the entry's light type.
struct LightClass {
  std::u16string_view type;
  ParamTable rows;
};

constexpr LightClass kLightClasses[] = {
    {u"CoronaLight", kCoronaLightRows},
    {u"CoronaSun",   kCoronaSunRows  },
};

const LightClass* FindLightClass(const host::Anim& object) {
  const Text className = object.GetClassName();
  for (const LightClass& lightClass : kLightClasses) {
    if (className == lightClass.type) return &lightClass;
  }
  return nullptr;
}

struct LightNode {
  const host::Node* node;
  const host::Anim* object;  // the evaluated light
  const LightClass* lightClass;
  int group;
};

Text LightEntry(const Text& name, std::u16string_view type, const ParamLines& params, int group) {
  Text entry = u"  {\n    \"light_name\": \"";
  entry += EscapeJsonString(name);
  entry += u"\",\n    \"light_type\": \"";
  entry += type;
  entry += u"\",\n    ";
  entry += params.Joined(u",\n");
  entry += u",\n    \"instance_group\": ";
  entry += FormatInt(group);
  entry += u"\n  }";
  return entry;
}

}  // namespace

Text CollectLightsJson(host::Interface& ip, BuildCache& cache, std::vector<Text>& packageLog) {
  const host::TimeValue t = ip.GetTime();

  // Instances share one object: the group is the object's order of first appearance.
  std::unordered_map<const host::Anim*, int> groupOfObject;
  std::vector<LightNode> lights;
  for (const host::Node* node : CollectSceneNodes(ip)) {
    const host::Anim* object = node->EvalWorldState(t);
    const LightClass* lightClass = object ? FindLightClass(*object) : nullptr;
    if (!lightClass) continue;
    const int nextGroup = static_cast<int>(groupOfObject.size()) + 1;
    const int group = groupOfObject.emplace(node->GetObjectRef(), nextGroup).first->second;
    lights.push_back(LightNode{node, object, lightClass, group});
  }

  const float metresPerUnit = GetMetersPerUnit(ip);
  std::vector<Text> entries;
  entries.reserve(lights.size());
  for (const LightNode& light : lights) {
    const ParamIndex& index = cache.ParamsOf(*light.object);
    const RowContext context{ip, *light.object, index, light.node, t, metresPerUnit};
    const ParamLines params = ExportRows(context, light.lightClass->rows);
    const std::u16string_view type = light.lightClass->type;
    const Text name = light.node->GetName();
    entries.push_back(LightEntry(name, type, params, light.group));

    Text logLine = u"  ";
    logLine += type;
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
