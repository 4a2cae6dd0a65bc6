#include <cstdlib>
#include <filesystem>

#include "host/sim/scene_file.h"
#include "host/text.h"

namespace larkspur::sim {

Text DefaultUserScriptsDir() {
  // The per-user data folder of the XDG base directory rules.
  std::filesystem::path base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    std::error_code error;
    base = std::filesystem::temp_directory_path(error);
  }
  return FromUtf8((base / "larkspur-sim" / "scripts").string());
}

}  // namespace larkspur::sim
