// Where the stand-in keeps the jobs it accepted: one file per job in its data folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larkspur::service {

// %XX sequences become their byte; a "%" not followed by two hexadecimal digits stays as it is.
std::string PercentDecode(std::string_view text);

// A file name stem that cannot leave the data folder: ASCII letters, digits, "-", "_" and "."
// kept, every other byte "_", leading dots removed, at most 100 bytes; "job" when nothing is left.
std::string SafeJobName(std::string_view name);

// Writes body as NAME.json in folder, or NAME-2.json, NAME-3.json ... when the name is taken;
// never replaces a file. Returns the stem used, or nothing when no file could be written.
std::optional<std::string> StoreJob(const std::string& folder, const std::string& name,
                                    const std::string& body);

}  // namespace larkspur::service
