// The system's UTF-16 paths as file-system paths, and the file-system questions the steps ask.
// None of these throws: a path the file system cannot take simply does not exist.
#pragma once

#include <filesystem>
#include <string_view>

#include "host/types.h"

namespace larkspur {

// The path in the platform's own form: the UTF-16 units as they are where paths are wide, UTF-8
// elsewhere (a lone surrogate becomes U+FFFD, as the text conversions do).
std::filesystem::path NativePath(std::u16string_view path);

// The reverse of NativePath: a file-system path as the system's UTF-16 text.
host::Text PathText(const std::filesystem::path& path);

// folder, the platform's separator, then name, joined as text like the host's own path texts: a
// name the platform would read as rooted (a drive, a leading separator) stays below the folder
// instead of replacing it, as it would with operator/.
std::filesystem::path JoinPath(const std::filesystem::path& folder, std::u16string_view name);

// GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES: a file or a folder is there.
bool PathExists(std::u16string_view path);

// CopyFileW(from, to, FALSE): copies a file, replacing one at to. False when it could not.
bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

// The part of a path after its last backslash or forward slash; the whole path without one.
std::u16string_view FileNamePart(std::u16string_view path);

}  // namespace larkspur
