// The names a scene file uses for super classes and parameter types, shared by its reader and
// writer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/types.h"

namespace larkspur::sim {

// "geometry", "material", ...; nullopt for a name the format does not know.
std::optional<host::SClassId> SuperClassByName(std::string_view name);
// The format's name of a super class, or the empty text for one without a name.
std::string_view SuperClassName(host::SClassId id);
// The names, for messages: "geometry, light, ...".
std::string SuperClassNameList();

// "TYPE_FLOAT", "TYPE_RGBA_TAB", ...; nullopt for a name the format does not know.
std::optional<host::ParamType> ParamTypeByName(std::string_view name);
// The SDK name of a parameter type, or the empty text for a type without one.
std::string ParamTypeName(host::ParamType type);

}  // namespace larkspur::sim
