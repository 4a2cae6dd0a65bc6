#include "plugin/settings_file.h"

#include <filesystem>
#include <utility>

#include "plugin/profile_file.h"

namespace larkspur {
namespace {

// The Windows profile functions read into a caller's buffer; ours holds 1024 characters, so a
// longer value comes back cut to 1023.
constexpr size_t kReadBufferChars = 1024;

bool EndsInSeparator(const Text& directory) {
  return !directory.empty() && (directory.back() == u'\\' || directory.back() == u'/');
}

}  // namespace

Text GetSettingsPath(const host::Interface& host) {
  Text path = host.GetDir(host::kUserScriptsDirId);
  if (!path.empty() && !EndsInSeparator(path)) {
    path += static_cast<char16_t>(std::filesystem::path::preferred_separator);
  }
  return path + kSettingsFileName;
}

SettingsFile::SettingsFile(const host::Interface& host) : path_(GetSettingsPath(host)) {}

SettingsFile::SettingsFile(Text path) : path_(std::move(path)) {}

Text SettingsFile::Read(const Text& section, const Text& key, const Text& defaultValue) const {
  Text value = ReadProfileValue(path_, section, key, kReadBufferChars);
  return value.empty() ? defaultValue : value;
}

void SettingsFile::Write(const Text& section, const Text& key, const Text& value) const {
  WriteProfileValue(path_, section, key, value);
}

}  // namespace larkspur
