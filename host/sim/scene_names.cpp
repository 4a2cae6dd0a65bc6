#include "host/sim/scene_names.h"

#include "host/sim/short_text.h"

namespace larkspur::sim {
namespace {

struct SuperClassEntry {
  std::string_view name;
  host::SClassId id;
};

constexpr SuperClassEntry kSuperClasses[] = {
    {"geometry", host::super_class::kGeomObject}, {"light", host::super_class::kLight},
    {"camera", host::super_class::kCamera},       {"shape", host::super_class::kShape},
    {"helper", host::super_class::kHelper},       {"derived", host::super_class::kDerivedObject},
    {"modifier", host::super_class::kModifier},   {"material", host::super_class::kMaterial},
    {"texmap", host::super_class::kTexmap},
};

struct ParamTypeEntry {
  std::string_view name;
  host::ParamType type;
};

// Element types with a name in the format; each also has a "_TAB" form.
constexpr ParamTypeEntry kParamTypes[] = {
    {"TYPE_FLOAT", host::param_type::kFloat},
    {"TYPE_INT", host::param_type::kInt},
    {"TYPE_RGBA", host::param_type::kRgba},
    {"TYPE_POINT3", host::param_type::kPoint3},
    {"TYPE_BOOL", host::param_type::kBool},
    {"TYPE_ANGLE", host::param_type::kAngle},
    {"TYPE_PCNT_FRAC", host::param_type::kPcntFrac},
    {"TYPE_WORLD", host::param_type::kWorld},
    {"TYPE_STRING", host::param_type::kString},
    {"TYPE_FILENAME", host::param_type::kFilename},
    {"TYPE_MTL", host::param_type::kMtl},
    {"TYPE_TEXMAP", host::param_type::kTexmap},
    {"TYPE_REFTARG", host::param_type::kRefTarg},
    {"TYPE_INDEX", host::param_type::kIndex},
    {"TYPE_FRGBA", host::param_type::kFrgba},
};

constexpr std::string_view kTabSuffix = "_TAB";

}  // namespace

std::optional<host::SClassId> SuperClassByName(std::string_view name) {
  for (const SuperClassEntry& entry : kSuperClasses) {
    if (entry.name == name) return entry.id;
  }
  return std::nullopt;
}

std::string_view SuperClassName(host::SClassId id) {
  for (const SuperClassEntry& entry : kSuperClasses) {
    if (entry.id == id) return entry.name;
  }
  return {};
}

std::string SuperClassNameList() {
  std::string list;
  for (const SuperClassEntry& entry : kSuperClasses) {
    if (!list.empty()) list += ", ";
    list += entry.name;
  }
  return list;
}

std::optional<host::ParamType> ParamTypeByName(std::string_view name) {
  host::ParamType tab = 0;
  if (name.size() > kTabSuffix.size() &&
      SameText(name.substr(name.size() - kTabSuffix.size()), kTabSuffix)) {
    name.remove_suffix(kTabSuffix.size());
    tab = host::param_type::kTab;
  }
  for (const ParamTypeEntry& entry : kParamTypes) {
    if (SameText(name, entry.name)) return entry.type + tab;
  }
  return std::nullopt;
}

std::string ParamTypeName(host::ParamType type) {
  const bool table = type >= host::param_type::kTab;
  const host::ParamType element = table ? type - host::param_type::kTab : type;
  for (const ParamTypeEntry& entry : kParamTypes) {
    if (entry.type == element) return std::string(entry.name) + (table ? "_TAB" : "");
  }
  return {};
}

}  // namespace larkspur::sim
