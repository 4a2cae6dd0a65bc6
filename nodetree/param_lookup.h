// Reading host parameters by internal name, case-insensitively, across every parameter block of
// an object, and turning a read into a parameter line.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

enum class ParamKind : int32_t {
  None = 0,
  Float = 1,
  Int = 2,
  Bool = 3,
  String = 4,
  Color = 5,
  Point3 = 6
};

// One parameter value read by name. Only the slot named by kind is meaningful; the others are zero.
struct ParamValue {
  ParamKind kind = ParamKind::None;
  float floatValue = 0.0f;
  int32_t intValue = 0;
  bool boolValue = false;
  Text stringValue;
  host::Color colorValue;
  host::Point3 pointValue;
};

// The scalar read: the first definition of that name whose type has a kind.
ParamValue FindParamValue(const host::Interface& ip, const host::Anim* target,
                          std::u16string_view name);
// The value of a material, texture-map or reference-target parameter; null when absent or empty.
host::Anim* FindParamRef(const host::Interface& ip, const host::Anim* target,
                         std::u16string_view name);
// The element count of a table parameter, or -1. The first definition of that name decides.
int32_t FindParamTabCount(const host::Anim* target, std::u16string_view name);
// Element index of a table parameter. The first definition of that name decides.
ParamValue FindParamTabValue(const host::Interface& ip, const host::Anim* target,
                             std::u16string_view name, int index);

// The parameter line of a value already in JSON text: "key":value.
Text RawLine(std::u16string_view key, std::u16string_view value);
// The parameter line of a value: "key":value, with the value in the text form of its kind.
Text ParamLine(std::u16string_view key, const ParamValue& value);
// The parameter line of a float value ("key":number).
Text FloatLine(std::u16string_view key, float value);

// Appends the parameter line of paramName under key; nothing when the parameter is absent.
void AddParamLine(std::vector<Text>& lines, const host::Interface& ip, const host::Anim* target,
                  std::u16string_view paramName, std::u16string_view key);

}  // namespace larkspur
