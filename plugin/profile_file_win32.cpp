// The profile functions of Windows itself.
#include <windows.h>

#include <vector>

#include "plugin/profile_file.h"

namespace larkspur {
namespace {

const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

Text ReadProfileValue(const Text& path, const Text& section, const Text& key, size_t bufferChars) {
  std::vector<wchar_t> buffer(bufferChars);
  const DWORD count = GetPrivateProfileStringW(Wide(section), Wide(key), L"", buffer.data(),
                                               static_cast<DWORD>(bufferChars), Wide(path));
  return Text(reinterpret_cast<const char16_t*>(buffer.data()), count);
}

bool WriteProfileValue(const Text& path, const Text& section, const Text& key, const Text& value) {
  return WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), Wide(path)) != FALSE;
}

}  // namespace larkspur
