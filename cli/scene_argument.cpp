#include "cli/scene_argument.h"

#include <CLI/CLI.hpp>

#include "host/sim/scene_file.h"

namespace larkspur::cli {

void AddSceneArgument(CLI::App& command, SceneArguments& arguments) {
  AddRequiredArgument(command, "SCENE", arguments.scene,
                      "scene file to load into the simulated host");
}

void AddSceneOutOption(CLI::App& command, SceneArguments& arguments) {
  command
      .add_option("--scene-out", arguments.sceneOut,
                  "write the scene, as the command left it, to FILE")
      ->type_name("FILE");
}

std::unique_ptr<sim::SimHost> LoadScene(const SceneArguments& arguments, const Console& console) {
  sim::SceneLoadResult loaded = sim::LoadSceneFile(PathArgument(arguments.scene));
  if (!loaded.ok) console.err << loaded.message << "\n";
  return std::move(loaded.host);
}

bool WriteSceneOut(const sim::SimHost& host, const SceneArguments& arguments,
                   const Console& console) {
  if (arguments.sceneOut.empty()) return true;
  const sim::SceneWriteResult written = sim::WriteSceneFile(host, PathArgument(arguments.sceneOut));
  if (!written.ok) console.err << written.message << "\n";
  return written.ok;
}

int RunOnScene(const SceneArguments& arguments, const Console& console,
               const std::function<int(sim::SimHost& host)>& step) {
  const std::unique_ptr<sim::SimHost> host = LoadScene(arguments, console);
  if (!host) return kExitUsage;
  const int status = step(*host);
  if (!WriteSceneOut(*host, arguments, console)) return kExitFailed;
  return status;
}

CommandRun DefineSceneStepCommand(CLI::App& command, const char* footer, SceneStep step) {
  auto arguments = std::make_shared<SceneArguments>();
  command.footer(footer);
  AddSceneArgument(command, *arguments);
  AddSceneOutOption(command, *arguments);
  return [arguments, step](const Console& console) {
    return RunOnScene(*arguments, console,
                      [step, &console](sim::SimHost& host) { return step(host, console); });
  };
}

}  // namespace larkspur::cli
