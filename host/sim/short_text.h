// Equality of the short texts a scene file is made of (keys, type names, parameter names),
// compared in place: a call to the C library's memcmp costs more than most such comparisons.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace larkspur::sim {

template <typename Word>
Word LoadWord(const char* bytes) {
  Word word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Whether a and b, of size bytes, from sizeof(Word) to twice as many, are equal: their first and
// their last sizeof(Word) bytes, which overlap in a text shorter than two words.
template <typename Word>
bool SameWordEnds(const char* a, const char* b, size_t size) {
  return LoadWord<Word>(a) == LoadWord<Word>(b) &&
         LoadWord<Word>(a + size - sizeof(Word)) == LoadWord<Word>(b + size - sizeof(Word));
}

// Whether text equals known, a text the code names (often a literal, whose size the compiler
// then knows).
inline bool SameText(std::string_view text, std::string_view known) {
  const size_t size = known.size();
  if (text.size() != size) return false;
  const char* a = text.data();
  const char* b = known.data();
  // Keys mostly have 4 to 8 bytes, other names up to 16.
  if (size - 4 <= 4) return SameWordEnds<uint32_t>(a, b, size);
  if (size - 9 <= 7) return SameWordEnds<uint64_t>(a, b, size);
  if (size > 16) return std::memcmp(a, b, size) == 0;
  for (size_t i = 0; i < size; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace larkspur::sim
