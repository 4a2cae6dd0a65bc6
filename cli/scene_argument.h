// The scene file that a command loads into the simulated host, and the file that it writes the
// scene to afterwards.
#pragma once

#include <functional>
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

// Loads SCENE, runs step on its host and writes --scene-out, whatever the step answered: the
// scene as the step left it. Returns kExitUsage for a bad scene file (step does not run), else
// the step's exit status, or kExitFailed when the scene could not be written.
int RunOnScene(const SceneArguments& arguments, const Console& console,
               const std::function<int(sim::SimHost& host)>& step);

// The run of a command whose options hold its SceneArguments as scene: RunOnScene with
// step(host, options, console).
template <typename Options>
CommandRun RunStepOnScene(std::shared_ptr<const Options> options,
                          int (*step)(sim::SimHost& host, const Options& options,
                                      const Console& console)) {
  return [options, step](const Console& console) {
    return RunOnScene(options->scene, console, [&options, step, &console](sim::SimHost& host) {
      return step(host, *options, console);
    });
  };
}

// Defines a command that takes SCENE and --scene-out and runs step through RunOnScene.
using SceneStep = int (*)(sim::SimHost& host, const Console& console);
CommandRun DefineSceneStepCommand(CLI::App& command, const char* footer, SceneStep step);

}  // namespace larkspur::cli
