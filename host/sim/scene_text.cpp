#include "host/sim/scene_text.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/text.h"

namespace larkspur::sim::scene_file {
namespace {

constexpr char16_t kCarrier = 0xFDD0;
constexpr char16_t kCarriedBase = 0xE000;
constexpr char kHex[] = "0123456789abcdef";

// The code unit of the escape \uXXXX at json[at], if there is one.
std::optional<char16_t> EscapedUnit(std::string_view json, size_t at) {
  if (at > json.size() || json.size() - at < 6 || json[at] != '\\' || json[at + 1] != 'u') {
    return std::nullopt;
  }
  unsigned value = 0;
  for (size_t i = at + 2; i < at + 6; ++i) {
    const char c = json[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<char16_t>(value);
}

}  // namespace

std::string EscapeJson(std::string_view utf8) {
  std::string out;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string QuoteJson(std::string_view utf8) {
  return "\"" + EscapeJson(utf8) + "\"";
}

std::string EscapeUnit(char16_t unit) {
  return {'\\',
          'u',
          kHex[unit >> 12],
          kHex[(unit >> 8) & 0xF],
          kHex[(unit >> 4) & 0xF],
          kHex[unit & 0xF]};
}

std::string QuoteText(std::u16string_view text) {
  std::string out = "\"";
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      out += EscapeJson(ToUtf8(text.substr(start, i - start)));
      out += EscapeUnit(unit);
      start = i + 1;
    }
  }
  return out + EscapeJson(ToUtf8(text.substr(start))) + "\"";
}

std::optional<std::string> CarryLoneSurrogates(std::string_view json,
                                               const TextFeatures& features) {
  // Only a \u escape or the carrier is ever carried: most texts have neither.
  if (!features.escapedUnit &&
      (!features.nonAscii || json.find(kCarrierUtf8) == std::string_view::npos)) {
    return std::nullopt;
  }
  std::string carried;
  size_t copied = 0;  // json up to here is in carried
  auto copyThrough = [&](size_t end) {
    carried.append(json.substr(copied, end - copied));
    copied = end;
  };
  bool inString = false;
  for (size_t i = 0; i < json.size(); ++i) {
    if (!inString) {
      inString = json[i] == '"';
    } else if (json[i] == '"') {
      inString = false;
    } else if (json.compare(i, kCarrierUtf8.size(), kCarrierUtf8) == 0) {
      copyThrough(i + kCarrierUtf8.size());
      carried += EscapeUnit(kCarrier);
      i += kCarrierUtf8.size() - 1;
    } else if (json[i] == '\\') {
      const std::optional<char16_t> unit = EscapedUnit(json, i);
      if (!unit) {
        ++i;  // \\, \" and the like: the escaped character is no escape of its own
      } else if (IsHighSurrogate(*unit) && EscapedUnit(json, i + 6) &&
                 IsLowSurrogate(*EscapedUnit(json, i + 6))) {
        i += 11;
      } else if (IsHighSurrogate(*unit) || IsLowSurrogate(*unit)) {
        copyThrough(i);
        carried += EscapeUnit(kCarrier) +
                   EscapeUnit(static_cast<char16_t>(kCarriedBase + (*unit - 0xD800)));
        copied = i + 6;
        i += 5;
      } else {
        if (*unit == kCarrier) {
          copyThrough(i + 6);
          carried += EscapeUnit(kCarrier);
        }
        i += 5;
      }
    }
  }
  if (copied == 0) return std::nullopt;
  copyThrough(json.size());
  return carried;
}

bool IsAscii(std::string_view text) {
  uint64_t high = 0;
  size_t i = 0;
  for (; text.size() - i >= 8; i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    high |= word;
  }
  for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
  return (high & 0x8080808080808080) == 0;
}

namespace {

// The bytes of json from at on.
void NoteBytes(std::string_view json, size_t at, TextFeatures& features) {
  for (size_t i = at; i < json.size(); ++i) {
    const auto byte = static_cast<unsigned char>(json[i]);
    if (byte == '\\' && i + 1 < json.size() && json[i + 1] == 'u') features.escapedUnit = true;
    features.zeroByte |= byte == 0;
    features.nonAscii |= byte >= 0x80;
  }
}

#if defined(__SSE2__)
// Bit i is set where byte i of the 64 at `at` is the byte in every lane of value.
uint64_t PositionsOf(const __m128i* at, __m128i value) {
  uint64_t positions = 0;
  for (int part = 0; part < 4; ++part) {
    const auto lanes =
        static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(at + part), value)));
    positions |= uint64_t{lanes} << (16 * part);
  }
  return positions;
}
#endif

}  // namespace

TextFeatures FeaturesOf(std::string_view json) {
  json = WithoutByteOrderMark(json);
  TextFeatures features;
  size_t i = 0;
#if defined(__SSE2__)
  // 64 bytes at a time; the positions of backslashes and zero bytes only in a block that has one.
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i zero = _mm_setzero_si128();
  __m128i highs = zero;
  for (; json.size() - i >= 64; i += 64) {
    const auto* at = reinterpret_cast<const __m128i*>(json.data() + i);
    __m128i special = zero;
    for (int part = 0; part < 4; ++part) {
      const __m128i bytes = _mm_loadu_si128(at + part);
      highs = _mm_or_si128(highs, bytes);
      special = _mm_or_si128(
          special, _mm_or_si128(_mm_cmpeq_epi8(bytes, backslash), _mm_cmpeq_epi8(bytes, zero)));
    }
    if (_mm_movemask_epi8(special) == 0) continue;
    features.zeroByte |= PositionsOf(at, zero) != 0;
    const uint64_t backslashes = PositionsOf(at, backslash);
    if (backslashes == 0 || features.escapedUnit) continue;
    const uint64_t us = PositionsOf(at, _mm_set1_epi8('u'));
    const bool lastThenU = (backslashes >> 63) != 0 && i + 64 < json.size() && json[i + 64] == 'u';
    features.escapedUnit = (backslashes & (us >> 1)) != 0 || lastThenU;
  }
  features.nonAscii = _mm_movemask_epi8(highs) != 0;
#endif
  NoteBytes(json, i, features);
  return features;
}

host::Text TextOf(std::string_view utf8) {
  // ASCII, as most names are, is its own UTF-16 and carries nothing.
  if (IsAscii(utf8)) return host::Text(utf8.begin(), utf8.end());
  host::Text text = FromUtf8(utf8);
  if (text.find(kCarrier) == host::Text::npos) return text;
  host::Text restored;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kCarrier && i + 1 < text.size()) {
      const char16_t carried = text[++i];
      restored +=
          carried == kCarrier ? kCarrier : static_cast<char16_t>(carried - kCarriedBase + 0xD800);
    } else {
      restored += text[i];
    }
  }
  return restored;
}

}  // namespace larkspur::sim::scene_file
