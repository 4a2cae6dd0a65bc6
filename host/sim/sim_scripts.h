// The host's side of the system's scripts, in the simulated host.
#pragma once

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

// Runs one of the system's own scripts against the scene; any other script fails.
bool RunScript(SimHost& host, const Text& script, host::ScriptResult* result);

}  // namespace larkspur::sim
