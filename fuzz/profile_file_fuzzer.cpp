// The settings file on any file content: a value written reads back as itself, cut to 1023
// characters, whenever its section, key and value fit on their lines unchanged, and a value read
// under another section or key before the write reads the same after it.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "host/text.h"
#include "plugin/settings_file.h"

namespace {

using larkspur::Text;

constexpr size_t kMaxValueChars = 1023;

// White space as profile files see it: tab to carriage return, ^Z and space.
bool IsProfileSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

// A name as the file matches it: up to its first NUL, without surrounding white space.
std::u16string_view MatchedName(std::u16string_view name) {
  name = name.substr(0, name.find(u'\0'));
  while (!name.empty() && IsProfileSpace(name.front())) name.remove_prefix(1);
  while (!name.empty() && IsProfileSpace(name.back())) name.remove_suffix(1);
  return name;
}

bool HasLineBreakOrNul(std::u16string_view text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

// A section, key and value that the written line holds as they are: no line break or NUL
// anywhere, no "=" in the key nor a "[" that would make its line a section header, and a value
// without surrounding white space or a pair of quotes around it.
bool WritesPlainly(std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) {
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
    return false;
  }
  const std::u16string_view keyName = MatchedName(key);
  if (keyName.find(u'=') != std::u16string_view::npos || keyName.substr(0, 1) == u"[") {
    return false;
  }
  if (value.empty()) return true;
  const bool quoted =
      value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0];
  return !quoted && !IsProfileSpace(value.front()) && !IsProfileSpace(value.back());
}

// One settings file per fuzzing process, so that parallel runs do not share it.
std::filesystem::path SettingsPath() {
  return std::filesystem::temp_directory_path() /
         ("larkspur-fuzz-" + std::to_string(getpid()) + ".ini");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  FuzzedDataProvider input(data, size);
  const Text section = FromUtf8(input.ConsumeRandomLengthString(64));
  const Text key = FromUtf8(input.ConsumeRandomLengthString(64));
  const Text value = FromUtf8(input.ConsumeRandomLengthString(2 * kMaxValueChars));
  const Text otherSection = FromUtf8(input.ConsumeRandomLengthString(64));
  const Text otherKey = FromUtf8(input.ConsumeRandomLengthString(64));
  const std::string content = input.ConsumeRemainingBytesAsString();

  static const std::filesystem::path path = SettingsPath();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  const SettingsFile settings(path.u16string());
  const Text otherBefore = settings.Read(otherSection, otherKey, Text());
  settings.Write(section, key, value);
  const bool sameEntry = EqualsIgnoreCase(MatchedName(section), MatchedName(otherSection)) &&
                         EqualsIgnoreCase(MatchedName(key), MatchedName(otherKey));
  const bool holds = !WritesPlainly(section, key, value) ||
                     (settings.Read(section, key, Text()) == value.substr(0, kMaxValueChars) &&
                      (sameEntry || settings.Read(otherSection, otherKey, Text()) == otherBefore));
  std::filesystem::remove(path);
  if (!holds) std::abort();
  return 0;
}
