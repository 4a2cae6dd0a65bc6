#include <windows.h>

#include "host/file_path.h"

namespace larkspur {

// The standard library's copy with overwrite_existing refuses an existing target on this
// platform: the system's own copy replaces it.
bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace larkspur
