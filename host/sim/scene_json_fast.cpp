// The fast event source of scene documents: RapidJSON's reader, parsing in place. It gives up on
// anything but a plain valid text, so that the complete source (scene_json_events.cpp) reports every
// syntax error in its own words and reads the rare valid texts this one does not take: numbers
// beyond the double range written as zero or with many digits, or a text with a zero byte.
#include <rapidjson/reader.h>

#include <charconv>
#include <cmath>
#include <system_error>

#include "host/sim/scene_document.h"

namespace larkspur::sim::scene_file {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Strings are decoded in place and checked as UTF-8; nesting does not use the call stack; numbers
// come as their text, converted here as the complete source converts them.
constexpr unsigned kParseFlags = rapidjson::kParseInsituFlag | rapidjson::kParseValidateEncodingFlag |
                                 rapidjson::kParseIterativeFlag |
                                 rapidjson::kParseNumbersAsStringsFlag;

class EventSource : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, EventSource> {
 public:
  using SizeType = rapidjson::SizeType;

  explicit EventSource(DocumentBuilder& builder) : builder_(builder) {}

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
  bool String(const char* text, SizeType length, bool) {
    builder_.String({text, length});
    return true;
  }
  bool StartObject() {
    builder_.BeginObject();
    return true;
  }
  bool Key(const char* text, SizeType length, bool) {
    builder_.Key({text, length});
    return true;
  }
  bool EndObject(SizeType) {
    builder_.EndObject();
    return true;
  }
  bool StartArray() {
    builder_.BeginList();
    return true;
  }
  bool EndArray(SizeType) {
    builder_.EndList();
    return true;
  }

 private:
  DocumentBuilder& builder_;
};

}  // namespace

bool ParseJsonFast(std::string_view json, DocumentBuilder& builder) {
  if (json.substr(0, kByteOrderMark.size()) == kByteOrderMark) json.remove_prefix(3);
  // The reader takes a zero byte for the end of the text.
  if (json.find('\0') != std::string_view::npos) return false;
  rapidjson::InsituStringStream stream(builder.ParseInPlace(json));
  EventSource source(builder);
  rapidjson::Reader reader;
  return !reader.Parse<kParseFlags>(stream, source).IsError();
}

}  // namespace larkspur::sim::scene_file
