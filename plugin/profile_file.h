// The seam between the settings file and the platform's profile files: the Windows profile
// functions in the Windows build, our own reader and writer elsewhere, one source file each,
// chosen by CMake.
#pragma once

#include <cstddef>

#include "host/text.h"

namespace larkspur {

// GetPrivateProfileStringW(section, key, "", buffer, bufferChars, path): what the buffer
// receives, at most bufferChars - 1 characters; the empty text for an absent key, section or file.
Text ReadProfileValue(const Text& path, const Text& section, const Text& key, size_t bufferChars);

// WritePrivateProfileStringW(section, key, value, path); false when nothing could be stored.
bool WriteProfileValue(const Text& path, const Text& section, const Text& key, const Text& value);

}  // namespace larkspur
