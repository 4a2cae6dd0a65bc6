// The fast event source of scene documents: RapidJSON's reader, parsing a copy of the text in
// place. It gives up on anything but a plain valid text, so that the complete source
// (scene_json_events.cpp) reports every syntax error in its own words and reads the rare valid
// texts this one does not take: numbers beyond the double range written as zero or with many
// digits, a number too small for a double, a text with a zero byte, or nesting deeper than
// kMaxDepth.
#if defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#define RAPIDJSON_SSE2  // whitespace and plain string runs are scanned 16 bytes at a time
#endif
#include <rapidjson/reader.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <system_error>

#include "host/sim/scene_document.h"
#include "host/sim/scene_text.h"

namespace larkspur::sim::scene_file {
namespace {

// The reader scans 16 bytes at a time from 16-byte boundaries up to the end of the text.
static_assert(kInPlacePadding >= 32);
// The reader recurses once per level of nesting, so deeper texts are left to the complete source,
// which does not; a scene nests a few levels, and two per level of nodes.
constexpr int kMaxDepth = 512;
// Numbers come as their text, converted here as the complete source converts them. Strings are
// checked as UTF-8 here, where most of them are plain ASCII.
constexpr unsigned kParseFlags =
    rapidjson::kParseInsituFlag | rapidjson::kParseNumbersAsStringsFlag;

// Well-formed UTF-8 as the complete source accepts it: no overlong forms, no surrogates, nothing
// beyond U+10FFFF.
bool IsUtf8(std::string_view text) {
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = at + text.size();
  while (at != end) {
    if (end - at >= 8) {
      uint64_t word;
      std::memcpy(&word, at, 8);
      if ((word & 0x8080808080808080) == 0) {
        at += 8;
        continue;
      }
    }
    const unsigned lead = *at;
    if (lead < 0x80) {
      ++at;
      continue;
    }
    // The length of the sequence, and the range of its second byte.
    size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - at) < length || at[1] < low || at[1] > high) return false;
    for (size_t i = 2; i < length; ++i) {
      if ((at[i] & 0xC0) != 0x80) return false;
    }
    at += length;
  }
  return true;
}

class EventSource : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, EventSource> {
 public:
  using SizeType = rapidjson::SizeType;

  // Strings of an ASCII text without \u escapes are ASCII: only other texts have theirs checked.
  EventSource(DocumentBuilder& builder, bool checkStrings)
      : builder_(builder), checkStrings_(checkStrings) {}

  // Numbers in any other form than their text: not asked for.
  bool Default() { return false; }

  bool Null() {
    builder_.Null();
    return true;
  }
  bool Bool(bool value) {
    builder_.Boolean(value);
    return true;
  }
  // A number without fraction or exponent is an integer when it fits 64 bits: signed when written
  // with a minus (so "-0" is the integer 0), unsigned otherwise; any other number is a double,
  // refused beyond the double range.
  bool RawNumber(const char* text, SizeType length, bool) {
    const char* end = text + length;
    if (ReadShortInteger(text, end)) return true;
    bool integral = true;
    for (const char* c = text; c != end && integral; ++c) {
      integral = *c != '.' && *c != 'e' && *c != 'E';
    }
    if (integral && *text == '-') {
      int64_t value = 0;
      if (std::from_chars(text, end, value).ec == std::errc()) {
        builder_.Integer(value);
        return true;
      }
    } else if (integral) {
      uint64_t value = 0;
      if (std::from_chars(text, end, value).ec == std::errc()) {
        builder_.Unsigned(value);
        return true;
      }
    }
    // from_chars also refuses a number too small for a double, which the complete source reads.
    double value = 0;
    const std::from_chars_result read = std::from_chars(text, end, value);
    if (read.ec != std::errc() || read.ptr != end || !std::isfinite(value)) return false;
    builder_.Float(value);
    return true;
  }
  // Most numbers are integers of a few digits: up to 19 digits always fit 64 bits.
  bool ReadShortInteger(const char* text, const char* end) {
    const bool negative = *text == '-';
    const char* digit = negative ? text + 1 : text;
    if (end - digit > 19) return false;
    uint64_t value = 0;
    for (; digit != end; ++digit) {
      const unsigned d = static_cast<unsigned char>(*digit) - unsigned{'0'};
      if (d > 9) return false;
      value = value * 10 + d;
    }
    if (!negative) {
      builder_.Unsigned(value);
    } else if (value <= uint64_t{1} << 63) {
      builder_.Integer(static_cast<int64_t>(uint64_t{0} - value));
    } else {
      return false;
    }
    return true;
  }
  // Decoded in place: an escape of a lone low surrogate decodes to a surrogate, not UTF-8.
  bool String(const char* text, SizeType length, bool) {
    if (checkStrings_ && !IsUtf8({text, length})) return false;
    builder_.String({text, length});
    return true;
  }
  bool StartObject() {
    builder_.BeginObject();
    return ++depth_ <= kMaxDepth;
  }
  bool Key(const char* text, SizeType length, bool) {
    if (checkStrings_ && !IsUtf8({text, length})) return false;
    builder_.Key({text, length});
    return true;
  }
  bool EndObject(SizeType) {
    builder_.EndObject();
    --depth_;
    return true;
  }
  bool StartArray() {
    builder_.BeginList();
    return ++depth_ <= kMaxDepth;
  }
  bool EndArray(SizeType) {
    builder_.EndList();
    --depth_;
    return true;
  }

 private:
  DocumentBuilder& builder_;
  bool checkStrings_;
  int depth_ = 0;
};

// The text without a leading byte order mark, or nothing for a text with a zero byte, which the
// reader takes for the end of the text.
std::optional<std::string_view> Parsable(std::string_view json, const TextFeatures& features) {
  if (features.zeroByte) return std::nullopt;
  return WithoutByteOrderMark(json);
}

// Parses json's bytes at inPlace, a writable copy followed by zero padding (or json itself).
bool ParseAt(char* inPlace, const TextFeatures& features, DocumentBuilder& builder) {
  EventSource source(builder, features.escapedUnit || features.nonAscii);
  rapidjson::InsituStringStream stream(inPlace);
  rapidjson::Reader reader;
  return !reader.Parse<kParseFlags>(stream, source).IsError();
}

}  // namespace

bool ParseJsonFast(std::string_view json, const TextFeatures& features, DocumentBuilder& builder) {
  const std::optional<std::string_view> text = Parsable(json, features);
  return text && ParseAt(builder.ParseInPlace(*text, kInPlacePadding), features, builder);
}

bool ParseJsonFast(LargeBuffer bytes, size_t size, const TextFeatures& features,
                   DocumentBuilder& builder) {
  const std::optional<std::string_view> text = Parsable({bytes.data(), size}, features);
  if (!text) return false;
  const size_t start = static_cast<size_t>(text->data() - bytes.data());
  return ParseAt(builder.ParseInPlace(std::move(bytes)) + start, features, builder);
}

}  // namespace larkspur::sim::scene_file
