#include "host/file_path.h"

#include <string>
#include <system_error>

#include "host/text.h"

namespace larkspur {

std::filesystem::path NativePath(std::u16string_view path) {
  using Unit = std::filesystem::path::value_type;
  if constexpr (sizeof(Unit) == sizeof(char16_t)) {
    // Wide paths are UTF-16 already: handing the units over unchanged keeps every name, lone
    // surrogates included, exactly as the host gave it.
    return std::filesystem::path(std::basic_string<Unit>(path.begin(), path.end()));
  } else {
    return std::filesystem::path(ToUtf8(path));
  }
}

namespace {

// A template, so that only the branch of this platform's path type is compiled: FromUtf8 takes no
// wide text.
template <typename Native>
Text NativeText(const Native& native) {
  if constexpr (sizeof(typename Native::value_type) == sizeof(char16_t)) {
    return Text(native.begin(), native.end());  // UTF-16 already
  } else {
    return FromUtf8(native);
  }
}

}  // namespace

Text PathText(const std::filesystem::path& path) {
  return NativeText(path.native());
}

std::filesystem::path JoinPath(const std::filesystem::path& folder, std::u16string_view name) {
  std::filesystem::path joined = folder;
  joined += std::filesystem::path::preferred_separator;
  joined += NativePath(name).native();
  return joined;
}

bool PathExists(std::u16string_view path) {
  if (path.empty()) return false;
  std::error_code error;
  try {
    return std::filesystem::exists(NativePath(path), error);
  } catch (const std::exception&) {
    return false;  // a path too long or malformed for the platform to build
  }
}

std::u16string_view FileNamePart(std::u16string_view path) {
  const size_t separator = path.find_last_of(u"\\/");
  return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace larkspur
