#include <CLI/CLI.hpp>

#include <memory>

#include "cli/scene_argument.h"
#include "package/scene_package.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Builds the scene package of SCENE at PACKAGE, with the package log beside it: PACKAGE cut\n"
    "before its last \".\", followed by .log (1.json gives 1.log). Duplicate object names are\n"
    "renamed in the scene, as the exporter does. Prints whether the package was written, its\n"
    "object count and its log line count.\n"
    "Exit status: 0 when the package was written, 1 when it could not be, 2 for a bad scene file\n"
    "or bad arguments (nothing is written then).";

struct PackageOptions {
  SceneArguments scene;
  std::string package;
};

int RunPackage(sim::SimHost& host, const PackageOptions& options, const Console& console) {
  const PackageResult result = BuildScenePackage(host, TextArgument(options.package));
  console.out << "ok: " << (result.ok ? "true" : "false") << "\n"
              << "objects: " << std::to_string(result.objectCount) << "\n"
              << "log lines: " << std::to_string(result.logLineCount) << "\n";
  return result.ok ? kExitOk : kExitFailed;
}

}  // namespace

CommandRun DefinePackageCommand(CLI::App& command) {
  auto options = std::make_shared<PackageOptions>();
  command.footer(kFooter);
  AddSceneArgument(command, options->scene);
  AddRequiredArgument(command, "PACKAGE", options->package, "scene package file to write");
  AddSceneOutOption(command, options->scene);
  return RunStepOnScene<PackageOptions>(options, RunPackage);
}

}  // namespace larkspur::cli
