// Conversions of the system's UTF-16 text at the edges, and the C-locale case folding that the
// logic uses for case-insensitive comparisons (ASCII letters only, so that every build agrees).
#pragma once

#include <string>
#include <string_view>

#include "host/types.h"

namespace larkspur {

using host::Text;

// UTF-16 to UTF-8. A well-formed surrogate pair becomes one four-byte sequence; an unpaired
// surrogate becomes U+FFFD. No byte order mark is added.
std::string ToUtf8(std::u16string_view text);
// The same, appended to out: a document converted piece by piece reads as one conversion when
// no piece ends inside a surrogate pair.
void AppendUtf8(std::string& out, std::u16string_view text);

// UTF-8 to UTF-16; every malformed sequence becomes U+FFFD.
Text FromUtf8(std::string_view bytes);

// ASCII text (literals, numbers) widened unit by unit.
Text Widen(std::string_view ascii);

// UTF-16 surrogate halves; a lone one is a half without its partner.
inline bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// towlower in the C locale: only A-Z change.
inline char16_t ToLowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
Text ToLowerAscii(std::u16string_view text);

// _wcsicmp(a, b) == 0 in the C locale.
inline bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

// Integer in decimal: optional "-", digits.
Text FormatInt(long long value);
// The same digits appended to UTF-8 text.
void AppendInt(std::string& out, long long value);

}  // namespace larkspur
