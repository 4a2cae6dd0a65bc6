#include "host/text.h"

#include <charconv>
#include <cstring>

namespace larkspur {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point of a surrogate pair starting at i, or U+FFFD for an unpaired half; advances i
// past a pair's first half.
char32_t SurrogateCodePoint(std::u16string_view text, size_t& i) {
  const char16_t c = text[i];
  if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
    ++i;
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i] - 0xDC00);
  }
  return kReplacement;
}

bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

char* PutUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

void AppendUtf16(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// Code units are tested and copied a block at a time, each four units read as one word: a word
// is all ASCII when no unit has a bit above the seventh, and PackFour takes each unit's low byte
// in the units' order whatever the byte order of the machine (the units keep their order of
// significance in the word either way).
constexpr size_t kWordUnits = 4;
constexpr size_t kBlockUnits = 4 * kWordUnits;  // written out word by word below
constexpr uint64_t kNonAsciiBits = 0xFF80FF80FF80FF80ull;

uint64_t LoadFour(const char16_t* units) {
  uint64_t word;
  std::memcpy(&word, units, sizeof word);
  return word;
}

uint32_t PackFour(uint64_t word) {
  return static_cast<uint32_t>((word & 0xFF) | ((word >> 8) & 0xFF00) | ((word >> 16) & 0xFF0000) |
                               ((word >> 24) & 0xFF000000));
}

void CopyFourAscii(char* out, const char16_t* units) {
  const uint32_t bytes = PackFour(LoadFour(units));
  std::memcpy(out, &bytes, sizeof bytes);
}

// Whether the block of units from i is whole and all ASCII.
bool IsAsciiBlock(const char16_t* units, size_t n, size_t i) {
  if (n - i < kBlockUnits) return false;
  const char16_t* block = units + i;
  const uint64_t any =
      LoadFour(block) | LoadFour(block + 4) | LoadFour(block + 8) | LoadFour(block + 12);
  return (any & kNonAsciiBits) == 0;
}

}  // namespace

// One pass with room for one byte per unit, the size of ASCII, grown when a unit needs more;
// a block of ASCII units at a time where it can: whole packages pass through here.
void AppendUtf8(std::string& out, std::u16string_view text) {
  const char16_t* units = text.data();
  const size_t n = text.size();
  size_t at = out.size();
  out.resize(at + n);
  for (size_t i = 0; i < n; ++i) {
    if (IsAsciiBlock(units, n, i)) {
      char* next = &out[at];
      CopyFourAscii(next, units + i);
      CopyFourAscii(next + 4, units + i + 4);
      CopyFourAscii(next + 8, units + i + 8);
      CopyFourAscii(next + 12, units + i + 12);
      at += kBlockUnits;
      i += kBlockUnits - 1;
      continue;
    }
    // Room for four bytes and one for each unit after this one; when short, room for the rest
    // of the text at three bytes a unit (a pair takes four for two), so that it grows once.
    if (out.size() < at + 4 + (n - i - 1)) out.resize(at + 4 + 3 * (n - i));
    const char16_t c = units[i];
    at = static_cast<size_t>(PutUtf8(&out[at], IsSurrogate(c) ? SurrogateCodePoint(text, i) : c) -
                             out.data());
  }
  out.resize(at);
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(out, text);
  return out;
}

Text FromUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    }
    // A malformed sequence is replaced as far as its longest valid prefix reaches.
    size_t consumed = 1;
    bool valid = length > 0;
    for (int k = 1; valid && k < length; ++k) {
      if (i + k >= bytes.size()) {
        valid = false;
        break;
      }
      unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (next & 0x3F);
      consumed = k + 1;
      // Reject overlong, surrogate and out-of-range forms as soon as the second byte shows them.
      if (k == 1 && ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next > 0x9F) ||
                     (lead == 0xF0 && next < 0x90) || (lead == 0xF4 && next > 0x8F))) {
        valid = false;
        consumed = 1;
      }
    }
    if (valid && cp >= minimum) {
      AppendUtf16(out, cp);
      i += length;
    } else {
      out += static_cast<char16_t>(kReplacement);
      i += consumed;
    }
  }
  return out;
}

Text Widen(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

Text ToLowerAscii(std::u16string_view text) {
  Text out(text);
  for (char16_t& c : out) c = ToLowerAscii(c);
  return out;
}

Text FormatInt(long long value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Widen(std::string_view(buffer, result.ptr - buffer));
}

void AppendInt(std::string& out, long long value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace larkspur
