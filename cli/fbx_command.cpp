#include <CLI/CLI.hpp>

#include <memory>

#include "cli/scene_argument.h"
#include "plugin/fbx_export.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Writes the geometry of SCENE to FBX_PATH through the simulated host's FBX exporter, as the\n"
    "exporter's FBX step does, and checks that the file is there. Prints nothing on success; on\n"
    "failure prints the step's error text on standard error. The scene's \"fbx_export\" setting\n"
    "says what the host's exporter does; a path not ending in .fbx has no exporter.\n"
    "Exit status: 0 file written, 1 export failed, 2 for a bad scene file or bad arguments\n"
    "(nothing is written then).";

struct FbxOptions {
  SceneArguments scene;
  std::string fbxPath;
};

int RunFbx(sim::SimHost& host, const FbxOptions& options, const Console& console) {
  Text errorText;
  if (ExportFbx(host, TextArgument(options.fbxPath), errorText)) return kExitOk;
  console.err << ToUtf8(errorText) << "\n";
  return kExitFailed;
}

}  // namespace

CommandRun DefineFbxCommand(CLI::App& command) {
  auto options = std::make_shared<FbxOptions>();
  command.footer(kFooter);
  AddSceneArgument(command, options->scene);
  AddRequiredArgument(command, "FBX_PATH", options->fbxPath, "FBX file to write");
  return RunStepOnScene<FbxOptions>(options, RunFbx);
}

}  // namespace larkspur::cli
