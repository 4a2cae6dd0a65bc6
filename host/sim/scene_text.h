// Text in scene files: JSON string escapes, and lone surrogates, which the system's UTF-16 text may
// hold but UTF-8 cannot, carried through the JSON parser and written back as escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/types.h"

namespace larkspur::sim::scene_file {

// The JSON escapes of UTF-8 text, without quotes: \" \\ \n \r \t \b \f, and \u00xx for the other
// control characters.
std::string EscapeJson(std::string_view utf8);
std::string QuoteJson(std::string_view utf8);

// Text in JSON quotes, a lone surrogate written as its escape so that the scene reads back the
// same.
std::string QuoteText(std::u16string_view text);

// The escape \uxxxx of one code unit.
std::string EscapeUnit(char16_t unit);

// The JSON parser refuses an escape of a lone surrogate. Such an escape is carried through the
// parser as the noncharacter U+FDD0 followed by U+E000 + (surrogate - U+D800), and a U+FDD0 of the
// file itself as two U+FDD0, so that no text of the file can be taken for a carried surrogate.
inline constexpr std::string_view kCarrierUtf8 = "\xEF\xB7\x90";

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
inline std::string_view WithoutByteOrderMark(std::string_view json) {
  return json.substr(0, kByteOrderMark.size()) == kByteOrderMark
             ? json.substr(kByteOrderMark.size())
             : json;
}

// What decides how a document's bytes are read, found in one pass over them: a large document
// would otherwise be read from memory once per question before it is parsed. A leading byte order
// mark is not part of the document.
struct TextFeatures {
  bool escapedUnit = false;  // the bytes "\u", which may begin the escape of a surrogate
  bool nonAscii = false;     // a byte of 0x80 or above: UTF-8 to check, or a U+FDD0
  bool zeroByte = false;     // which the parser reading in place would take for the end
};
TextFeatures FeaturesOf(std::string_view json);

// The document with lone surrogate escapes and U+FDD0 in its strings carried; nothing when it has
// neither.
std::optional<std::string> CarryLoneSurrogates(std::string_view json, const TextFeatures& features);
inline std::optional<std::string> CarryLoneSurrogates(std::string_view json) {
  return CarryLoneSurrogates(json, FeaturesOf(json));
}

// Whether every byte is below 0x80, checked eight at a time.
bool IsAscii(std::string_view text);

// A string of the parsed document as the system's text, with its carried surrogates restored.
host::Text TextOf(std::string_view utf8);

}  // namespace larkspur::sim::scene_file
