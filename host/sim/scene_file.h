// Scene files: the simulated host's scene as one UTF-8 JSON document (docs/scene-format.md).
// Reading is strict: the first thing that breaks the format ends the load with a message that
// names the file, the key path and what was expected, and no scene at all.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

struct SceneLoadResult {
  bool ok = false;
  std::string message;            // UTF-8; empty when ok
  std::unique_ptr<SimHost> host;  // the whole scene when ok, null otherwise
};

// Reads a scene file. sourceName is what messages call the document.
SceneLoadResult LoadSceneFile(const std::filesystem::path& file);
SceneLoadResult LoadSceneText(std::string_view json, std::string_view sourceName);

struct SceneWriteResult {
  bool ok = false;
  std::string message;  // UTF-8; empty when ok
  std::string text;     // the document, when ok
};

// Writes the scene in the same format, deterministically: reading the text back gives the same
// scene, and writing that again gives the same text. Anims are written in creation order (so
// objects made by the system come last, under their fresh ids) and every handle is written.
SceneWriteResult WriteSceneText(const SimHost& host);
SceneWriteResult WriteSceneFile(const SimHost& host, const std::filesystem::path& file);

// The user scripts directory a scene without "user_scripts_dir" gets: a per-user folder of the
// simulated host process. Loading such a scene creates the folder when it is missing.
Text DefaultUserScriptsDir();

}  // namespace larkspur::sim
