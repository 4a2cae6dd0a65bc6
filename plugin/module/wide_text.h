// The system's UTF-16 text at Windows API calls: wchar_t is 16 bits there, so a cast suffices.
#pragma once

#include <cstddef>

#include "host/text.h"

namespace larkspur::module {

inline const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline Text FromWide(const wchar_t* text, size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace larkspur::module
