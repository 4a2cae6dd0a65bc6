// The scene package: every geometry object with a material, its material as node trees, its
// material ids and displacement, then the scene's lights; written as one JSON file with a log.
#pragma once

#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

struct PackageResult {
  bool ok = false;
  int32_t objectCount = 0;   // object entries written; 0 when ok is false
  int32_t logLineCount = 0;  // lines of the package log, also when ok is false
};

// Builds the package, renaming duplicate object names in the scene first, writes it to
// packagePath and its log beside it (the path with its extension replaced by ".log").
PackageResult BuildScenePackage(host::Interface& ip, const Text& packagePath);

// The 1-based material ids the node's faces carry, ascending, without repeats.
std::vector<int32_t> CollectMaterialIds(const host::Node& node, host::TimeValue t);

// The log file's path: packagePath cut before its last "." (whole when it has none) + ".log".
Text PackageLogPath(const Text& packagePath);

}  // namespace larkspur
