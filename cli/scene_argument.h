// The scene file that a command loads into the simulated host, and the file that it writes the
// scene to afterwards.
#pragma once

#include <memory>
#include <string>

#include "cli/command.h"
#include "host/sim/sim_scene.h"

namespace larkspur::cli {

struct SceneArguments {
  std::string scene;     // SCENE
  std::string sceneOut;  // --scene-out FILE; empty when not given
};

// SCENE, the command's first positional argument.
void AddSceneArgument(CLI::App& command, SceneArguments& arguments);
void AddSceneOutOption(CLI::App& command, SceneArguments& arguments);

// The scene of SCENE in a simulated host of its own; null, with the reader's message on stderr,
// when the file is not a scene file. The command then ends with kExitUsage and writes nothing.
std::unique_ptr<sim::SimHost> LoadScene(const SceneArguments& arguments, const Console& console);

// Writes the scene to --scene-out when it was given; false, with the message on stderr, when
// that failed.
bool WriteSceneOut(const sim::SimHost& host, const SceneArguments& arguments,
                   const Console& console);

}  // namespace larkspur::cli
