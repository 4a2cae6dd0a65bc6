// The scene-file loader on any bytes, then the package build of every scene it accepts: a bad
// file ends in a message and no scene, and whatever loads exports as one valid JSON document.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "host/sim/scene_file.h"
#include "package/scene_package.h"

namespace {

// One package file per fuzzing process, so that parallel runs do not share it.
std::filesystem::path PackagePath() {
  return std::filesystem::temp_directory_path() /
         ("larkspur-fuzz-" + std::to_string(getpid()) + ".package.json");
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  static const std::filesystem::path package = PackagePath();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const sim::SceneLoadResult scene = sim::LoadSceneText(text, "fuzz.scene.json");
  if (scene.ok != (scene.host != nullptr) || scene.ok != scene.message.empty()) std::abort();
  if (!scene.ok) return 0;

  const PackageResult result = BuildScenePackage(*scene.host, package.u16string());
  if (!result.ok || !nlohmann::json::accept(ReadFile(package))) std::abort();
  std::filesystem::remove(package);
  std::filesystem::remove(std::filesystem::path(PackageLogPath(package.u16string())));
  return 0;
}
