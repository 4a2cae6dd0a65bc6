// The panel's persistent values: one profile file in the host's user scripts directory, read and
// written one value at a time.
#pragma once

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

inline constexpr char16_t kSettingsFileName[] = u"LarkspurBridge.ini";
inline constexpr char16_t kSettingsSection[] = u"Settings";
inline constexpr char16_t kApiTokenKey[] = u"apiToken";
inline constexpr char16_t kExchangeFolderKey[] = u"exchangeFolder";
inline constexpr char16_t kExportDisplacementKey[] = u"exportDisplacement";

// The settings file's full path: the host's user scripts directory, a separator unless the
// directory text already ends in one, and the file name. An empty directory gives the bare name.
Text GetSettingsPath(const host::Interface& host);

// One settings file, fixed by its path when made. Make a fresh one for each group of reads or
// for each write; nothing is cached between calls.
class SettingsFile {
 public:
  explicit SettingsFile(const host::Interface& host);
  explicit SettingsFile(Text path);

  const Text& Path() const { return path_; }

  // The stored value, at most 1023 characters; defaultValue when the value is absent or empty.
  Text Read(const Text& section, const Text& key, const Text& defaultValue) const;
  // Stores the value; a file that cannot be written leaves the value unstored, without a word.
  void Write(const Text& section, const Text& key, const Text& value) const;

 private:
  Text path_;
};

}  // namespace larkspur
