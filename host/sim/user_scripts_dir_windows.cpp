#include <cstdlib>
#include <filesystem>

#include "host/sim/scene_file.h"

namespace larkspur::sim {

Text DefaultUserScriptsDir() {
  std::filesystem::path base;
  if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local) {
    base = local;
  } else {
    std::error_code error;
    base = std::filesystem::temp_directory_path(error);
  }
  return (base / L"Larkspur Sim" / L"scripts").u16string();
}

}  // namespace larkspur::sim
