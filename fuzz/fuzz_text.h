// Fuzz inputs as the system's UTF-16 text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/types.h"

namespace larkspur::fuzz {

// Every two bytes one code unit, little-endian, so that any text can be reached, unpaired
// surrogates and NULs included. An odd last byte is dropped.
inline host::Text UnitsOf(const uint8_t* data, size_t size) {
  host::Text text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  return text;
}

}  // namespace larkspur::fuzz
