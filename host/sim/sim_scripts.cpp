#include "host/sim/sim_scripts.h"

#include <filesystem>
#include <fstream>

#include "host/text.h"

namespace larkspur::sim {

bool RunScript(SimHost&, const Text&, host::ScriptResult*) {
  return false;
}

bool WriteFbxStandIn(SimHost& host, const Text& path) {
  switch (host.fbxExport) {
    case FbxExportMode::kFails:
      return false;
    case FbxExportMode::kNoFile:
      return true;
    case FbxExportMode::kWrites:
      break;
  }
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file << "; FBX stand-in written by the simulated host\n";
  return true;
}

}  // namespace larkspur::sim
