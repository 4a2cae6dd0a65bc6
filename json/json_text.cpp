#include "json/json_text.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace larkspur {

Text EscapeJsonString(std::u16string_view text) {
  Text out;
  out.reserve(text.size() + 8);
  AppendJsonEscaped(out, text);
  return out;
}

void AppendJsonEscaped(Text& out, std::u16string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char16_t c : text) {
    switch (c) {
      case u'\t':
        out += u"\\t";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'"':
        out += u"\\\"";
        break;
      case u'\\':
        out += u"\\\\";
        break;
      default:
        if (c < 0x20) {
          out += u"\\u00";
          out += static_cast<char16_t>(kHex[c >> 4]);
          out += static_cast<char16_t>(kHex[c & 0xF]);
        } else {
          out += c;
        }
    }
  }
}

void AppendJsonEscapedUtf8(std::string& out, std::u16string_view text) {
  // Runs without a unit to escape are converted as they stand; an escaped unit is ASCII, so a
  // run never splits a surrogate pair.
  size_t runStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c != u'"' && c != u'\\') continue;
    AppendUtf8(out, text.substr(runStart, i - runStart));
    const char16_t unit[1] = {c};
    Text escaped;
    AppendJsonEscaped(escaped, std::u16string_view(unit, 1));
    AppendUtf8(out, escaped);
    runStart = i + 1;
  }
  AppendUtf8(out, text.substr(runStart));
}

namespace {

// Appends the digits of a number to text of either width.
template <typename String>
void AppendFloatTo(String& out, float value) {
  if (!std::isfinite(value)) {
    out.append({'n', 'u', 'l', 'l'});
    return;
  }
  char buffer[32];
  std::to_chars_result result;
  // Whole numbers below a million print as their digits: the common case, without the general
  // conversion. Negative zero keeps its sign through the general one.
  const bool negativeZero = value == 0.0f && std::signbit(value);
  if (std::fabs(value) < 1e6f && value == std::trunc(value) && !negativeZero) {
    result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
  } else {
    result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                           std::chars_format::general, 6);
  }
  out.append(buffer, result.ptr);
}

template <typename String>
void AppendFloatsTo(String& out, std::initializer_list<float> values) {
  out += '[';
  for (const float* v = values.begin(); v != values.end(); ++v) {
    if (v != values.begin()) out += ',';
    AppendFloatTo(out, *v);
  }
  out += ']';
}

}  // namespace

void AppendJsonFloat(Text& out, float value) {
  AppendFloatTo(out, value);
}
void AppendJsonFloat(std::string& out, float value) {
  AppendFloatTo(out, value);
}
void AppendJsonFloats(Text& out, std::initializer_list<float> values) {
  AppendFloatsTo(out, values);
}
void AppendJsonFloats(std::string& out, std::initializer_list<float> values) {
  AppendFloatsTo(out, values);
}

Text FormatJsonFloat(float value) {
  Text out;
  AppendJsonFloat(out, value);
  return out;
}

Text FormatJsonBool(bool value) {
  return value ? u"true" : u"false";
}

namespace {
Text FormatJsonArray(std::initializer_list<float> values) {
  Text out;
  AppendJsonFloats(out, values);
  return out;
}
}  // namespace

Text FormatJsonColor(const Color& c) {
  return FormatJsonArray({c.r, c.g, c.b});
}
Text FormatJsonPoint3(const Point3& p) {
  return FormatJsonArray({p.x, p.y, p.z});
}
Text FormatJsonQuat(const Quat& q) {
  return FormatJsonArray({q.w, q.x, q.y, q.z});
}

bool WriteTextFile(const Text& path, std::u16string_view text) {
  return WriteUtf8File(path, ToUtf8(text));
}

Utf8FileWriter::Utf8FileWriter(const Text& path)
    : file_(std::filesystem::path(path), std::ios::binary | std::ios::trunc) {}

void Utf8FileWriter::WriteWhenFull() {
  constexpr size_t kPiece = size_t{1} << 20;
  if (text_.size() < kPiece) return;
  if (file_.is_open()) file_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

bool Utf8FileWriter::Finish() {
  if (!file_.is_open()) return false;
  file_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
  file_.close();
  return !file_.fail();
}

bool WriteUtf8File(const Text& path, std::string_view bytes) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  if (!file.is_open()) return false;
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace larkspur
