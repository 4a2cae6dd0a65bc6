// Typed readers of a scene document's values. Each checks what it reads and fails with the key
// path and what was expected, such as "expected an integer from 0 to 7, found a number (8)".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/sim/scene_document.h"
#include "host/types.h"

namespace larkspur::sim::scene_file {

std::string Quoted(std::string_view text);

// What a value is, for messages: "a number (2.5)", "a string (\"x\")", "a list", ...
std::string Describe(const JsonValue& j);
[[noreturn]] void Expected(const JsonValue& j, const KeyPath& path, std::string_view what);

void ExpectObject(const JsonValue& j, const KeyPath& path, std::string_view what);
void ExpectList(const JsonValue& j, const KeyPath& path, std::string_view what);
[[noreturn]] void MissingKey(const KeyPath& path, std::string_view key);
// The member found for key, which the object at path must have.
inline const JsonValue& Required(const JsonValue* member, const KeyPath& path,
                                 std::string_view key) {
  if (!member) MissingKey(path, key);
  return *member;
}
inline const JsonValue& Required(const JsonValue& j, const KeyPath& path, std::string_view key) {
  return Required(j.Member(key), path, key);
}

// Every key of the object j must be one of allowed; what names the object in the message. The
// members come back in the order of allowed, null for a key the object does not have, so that an
// object's keys are compared once.
void CheckKeys(const JsonValue& j, const KeyPath& path, std::string_view what,
               const std::string_view* allowed, size_t count, const JsonValue** found);
template <size_t N>
std::array<const JsonValue*, N> CheckKeys(const JsonValue& j, const KeyPath& path,
                                          std::string_view what,
                                          const std::string_view (&allowed)[N]) {
  std::array<const JsonValue*, N> found{};
  CheckKeys(j, path, what, allowed, N, found.data());
  return found;
}

std::string ReadString(const JsonValue& j, const KeyPath& path);
host::Text ReadText(const JsonValue& j, const KeyPath& path);
std::optional<host::Text> ReadNullableText(const JsonValue& j, const KeyPath& path);
// The same, still in the file's UTF-8.
std::optional<std::string_view> ReadNullableString(const JsonValue& j, const KeyPath& path);
// An id as the host holds it, UTF-8, which has no form for a lone surrogate; what names the id in
// the message ("a node id").
std::string IdOf(std::string_view carried, const KeyPath& path, std::string_view what);

// Any other value than an integer in range: a float with an integral value in range, or the error.
long long ReadIntegerOtherwise(const JsonValue& j, const KeyPath& path, long long min,
                               long long max);
inline long long ReadInteger(const JsonValue& j, const KeyPath& path, long long min,
                             long long max) {
  if (j.IsUnsigned() && max >= 0 && j.Unsigned() <= static_cast<unsigned long long>(max)) {
    return static_cast<long long>(j.Unsigned());
  }
  if (j.Kind() == JsonKind::kInteger && j.Integer() >= min && j.Integer() <= max) {
    return j.Integer();
  }
  return ReadIntegerOtherwise(j, path, min, max);
}
int32_t ReadInt32(const JsonValue& j, const KeyPath& path);
double ReadDouble(const JsonValue& j, const KeyPath& path);
// A number as the host stores it: rounded to a 32-bit float, so that a number beyond the float
// range becomes an infinity.
inline float ReadFloat(const JsonValue& j, const KeyPath& path) {
  if (!j.IsNumber()) Expected(j, path, "a number");
  return host::NarrowToFloat(j.Number());
}
float ReadFloatIn(const JsonValue& j, const KeyPath& path, float min, float max);
bool ReadBool(const JsonValue& j, const KeyPath& path);

// A list of minCount to maxCount numbers, at most four; shape names it in the message
// ("[x, y, z]").
struct FloatList {
  std::array<float, 4> values{};
  size_t size = 0;
  float operator[](size_t index) const { return values[index]; }
};
// Inline, so that the counts of each use are known where the list is read: a scene has a list of
// numbers for every vertex.
inline FloatList ReadFloatList(const JsonValue& j, const KeyPath& path, size_t minCount,
                               size_t maxCount, std::string_view shape) {
  if (!j.IsList() || j.Size() < minCount || j.Size() > maxCount) Expected(j, path, shape);
  FloatList list;
  for (const JsonValue& item : j) {
    if (!item.IsNumber()) Expected(item, Index(path, list.size), "a number");
    list.values[list.size] = host::NarrowToFloat(item.Number());
    ++list.size;
  }
  return list;
}
inline host::Point3 ReadPoint3(const JsonValue& j, const KeyPath& path) {
  const FloatList v = ReadFloatList(j, path, 3, 3, "[x, y, z]");
  return host::Point3{v[0], v[1], v[2]};
}
// Three indices below vertexCount; what names the indexed things ("vertices").
std::array<uint32_t, 3> ReadFace(const JsonValue& j, const KeyPath& path, size_t vertexCount,
                                 std::string_view what);

}  // namespace larkspur::sim::scene_file
