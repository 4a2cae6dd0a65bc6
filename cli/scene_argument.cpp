#include "cli/scene_argument.h"

#include <CLI/CLI.hpp>

#include "host/sim/scene_file.h"

namespace larkspur::cli {

void AddSceneArgument(CLI::App& command, SceneArguments& arguments) {
  command.add_option("SCENE", arguments.scene, "scene file to load into the simulated host")
      ->required()
      ->type_name("");
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

}  // namespace larkspur::cli
