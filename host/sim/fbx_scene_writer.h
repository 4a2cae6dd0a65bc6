// The simulated host's FBX exporter: what the real host's exporter does for ExportToFile with a
// ".fbx" path, the whole scene as it stands written as a binary FBX file (docs/scene-format.md
// lists what the file holds).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/sim/fbx_records.h"
#include "host/sim/sim_scene.h"

namespace larkspur::sim {

struct FbxSceneResult {
  bool ok = false;
  std::string message;  // what in the scene cannot be written, when not ok
  std::vector<FbxRecord> records;
};

// The file's records for the scene at the host's time.
FbxSceneResult BuildFbxScene(const SimHost& host);

struct FbxWriteResult {
  bool ok = false;
  std::string message;
};

// Builds, encodes and writes the file; nothing is written when the scene cannot be encoded.
FbxWriteResult WriteFbxFile(const SimHost& host, const std::filesystem::path& path);

// ExportToFile: only a ".fbx" extension (in any case) has an exporter; then the scene's
// fbx_export mode decides between writing the file, failing, and answering true without a file.
bool RunFbxExporter(const SimHost& host, const Text& path);

}  // namespace larkspur::sim
