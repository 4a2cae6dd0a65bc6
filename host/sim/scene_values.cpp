#include "host/sim/scene_values.h"

#include <cmath>
#include <limits>

#include "host/sim/scene_text.h"
#include "host/text.h"

namespace larkspur::sim::scene_file {
namespace {

std::string JoinNames(const std::string_view* names, size_t count) {
  std::string list;
  for (size_t i = 0; i < count; ++i) {
    if (!list.empty()) list += ", ";
    list += names[i];
  }
  return list;
}

}  // namespace

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string Describe(const JsonValue& j) {
  auto withValue = [](const char* what, std::string shown) {
    if (shown.size() > 40) shown = shown.substr(0, 37) + "...";
    return std::string(what) + " (" + shown + ")";
  };
  switch (j.Kind()) {
    case JsonKind::kNull:
      return "null";
    case JsonKind::kBool:
      return withValue("a boolean", j.Bool() ? "true" : "false");
    case JsonKind::kString:
      return withValue("a string", QuoteJson(j.String()));
    case JsonKind::kList:
      return "a list";
    case JsonKind::kObject:
      return "an object";
    case JsonKind::kInteger:
      return withValue("a number", std::to_string(j.Integer()));
    case JsonKind::kUnsigned:
      return withValue("a number", std::to_string(j.Unsigned()));
    case JsonKind::kFloat:
      return withValue("a number", NumberText(j.Number()));
  }
  return {};
}

void Expected(const JsonValue& j, const KeyPath& path, std::string_view what) {
  Fail(path, "expected " + std::string(what) + ", found " + Describe(j));
}

void ExpectObject(const JsonValue& j, const KeyPath& path, std::string_view what) {
  if (!j.IsObject()) Expected(j, path, std::string(what) + " (an object)");
}

void ExpectList(const JsonValue& j, const KeyPath& path, std::string_view what) {
  if (!j.IsList()) Expected(j, path, std::string(what) + " (a list)");
}

void MissingKey(const KeyPath& path, std::string_view key) {
  Fail(path, "missing required key " + Quoted(key));
}

void CheckKeys(const JsonValue& j, const KeyPath& path, std::string_view what,
               const std::string_view* allowed, size_t count, const JsonValue** found) {
  for (const JsonValue& member : j) {
    size_t key = 0;
    while (key < count && !member.HasKey(allowed[key])) ++key;
    if (key == count) {
      Fail(Key(path, member.MemberKey()),
           "unknown key; " + std::string(what) + " takes only: " + JoinNames(allowed, count));
    }
    // A key the text repeats is refused once it has parsed; its first member is the one read.
    if (!found[key]) found[key] = &member;
  }
}

std::string ReadString(const JsonValue& j, const KeyPath& path) {
  if (!j.IsString()) Expected(j, path, "a string");
  return std::string(j.String());
}

Text ReadText(const JsonValue& j, const KeyPath& path) {
  if (!j.IsString()) Expected(j, path, "a string");
  return TextOf(j.String());
}

std::optional<Text> ReadNullableText(const JsonValue& j, const KeyPath& path) {
  const std::optional<std::string_view> utf8 = ReadNullableString(j, path);
  if (!utf8) return std::nullopt;
  return TextOf(*utf8);
}

std::optional<std::string_view> ReadNullableString(const JsonValue& j, const KeyPath& path) {
  if (j.IsNull()) return std::nullopt;
  if (!j.IsString()) Expected(j, path, "a string or null");
  return j.String();
}

std::string IdOf(std::string_view carried, const KeyPath& path, std::string_view what) {
  if (carried.find(kCarrierUtf8) == std::string_view::npos) return std::string(carried);
  const Text text = TextOf(carried);
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      Fail(path,
           std::string(what) + " must not hold a lone surrogate (" + EscapeUnit(text[i]) + ")");
    }
  }
  return ToUtf8(text);
}

long long ReadIntegerOtherwise(const JsonValue& j, const KeyPath& path, long long min,
                               long long max) {
  auto outOfRange = [&] {
    Expected(j, path, "an integer from " + std::to_string(min) + " to " + std::to_string(max));
  };
  if (j.IsFloat()) {
    // 1.0 and 1e2 are integers written as JSON allows.
    const double value = j.Number();
    if (std::trunc(value) != value || value < static_cast<double>(min) ||
        value > static_cast<double>(max)) {
      outOfRange();
    }
    return static_cast<long long>(value);
  }
  if (!j.IsInteger()) outOfRange();
  if (j.IsUnsigned()) {
    if (j.Unsigned() > static_cast<unsigned long long>(max)) outOfRange();
    return static_cast<long long>(j.Unsigned());
  }
  if (j.Integer() < min || j.Integer() > max) outOfRange();
  return j.Integer();
}

int32_t ReadInt32(const JsonValue& j, const KeyPath& path) {
  return static_cast<int32_t>(ReadInteger(j, path, std::numeric_limits<int32_t>::min(),
                                          std::numeric_limits<int32_t>::max()));
}

double ReadDouble(const JsonValue& j, const KeyPath& path) {
  if (!j.IsNumber() || !std::isfinite(j.Number())) Expected(j, path, "a number");
  return j.Number();
}

float ReadFloatIn(const JsonValue& j, const KeyPath& path, float min, float max) {
  const float value = ReadFloat(j, path);
  if (value < min || value > max) {
    Fail(path, "expected a number from " + std::to_string(static_cast<int>(min)) + " to " +
                   std::to_string(static_cast<int>(max)) + ", found " + Describe(j));
  }
  return value;
}

bool ReadBool(const JsonValue& j, const KeyPath& path) {
  if (!j.IsBool()) Expected(j, path, "true or false");
  return j.Bool();
}

std::array<uint32_t, 3> ReadFace(const JsonValue& j, const KeyPath& path, size_t vertexCount,
                                 std::string_view what) {
  if (!j.IsList() || j.Size() != 3) Expected(j, path, "[a, b, c]");
  if (vertexCount == 0) Fail(path, "a face needs " + std::string(what) + " to index");
  std::array<uint32_t, 3> face{};
  size_t i = 0;
  for (const JsonValue& index : j) {
    // The path is made only for an index that is not plainly in range.
    face[i] = index.IsUnsigned() && index.Unsigned() < vertexCount
                  ? static_cast<uint32_t>(index.Unsigned())
                  : static_cast<uint32_t>(ReadInteger(index, Index(path, i), 0,
                                                      static_cast<long long>(vertexCount) - 1));
    ++i;
  }
  return face;
}

}  // namespace larkspur::sim::scene_file
