// The name of one export's job folder, which is also the job's name on the service: the scene
// file's base name, "_" and eight base-36 characters of the tick count.
#pragma once

#include <cstdint>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

// The tick count's lowest eight base-36 digits (a to z, then 0 to 9), least significant first.
Text MakeJobId(uint64_t tickCount);

// The scene file's name without its folder and its last extension, every character other than
// an ASCII letter, digit or "_" replaced by "_"; "untitled" when nothing is left.
Text MakeJobBaseName(const host::Interface& ip);

// MakeJobBaseName() + "_" + MakeJobId(tickCount).
Text MakeJobFolderName(const host::Interface& ip, uint64_t tickCount);

}  // namespace larkspur
