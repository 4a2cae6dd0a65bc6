// The host's side of the system's scripts, in the simulated host.
#pragma once

#include <optional>
#include <string_view>

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

// Runs one of the system's own scripts against the scene; any other script fails.
bool RunScript(SimHost& host, const Text& script, host::ScriptResult* result);

// The node name a flattening script addresses, read as the host reads its string literal; nothing
// when the script is not one or does not parse.
std::optional<Text> FlattenScriptNodeName(std::u16string_view script);

}  // namespace larkspur::sim
