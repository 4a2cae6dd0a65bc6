#include "cli/scene_argument.h"
#include "plugin/scene_preparation.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Flattens SCENE as the exporter's scene preparation does: explodes every group, then gives\n"
    "each geometry node a reset transform, a collapsed stack and an editable-poly object, by the\n"
    "host's scripts. Running the command is the user's yes: nothing asks for a confirmation.\n"
    "Prints each script the host ran, in order, separated by a line holding only --.\n"
    "Exit status: 0 done, 1 when the scene could not be written, 2 for a bad scene file or bad\n"
    "arguments (nothing is written then).";

int RunPrepare(sim::SimHost& host, const Console& console) {
  const size_t run = host.scripts.size();
  RunResetXformAndConvertToPoly(host);
  for (size_t i = run; i < host.scripts.size(); ++i)
    console.out << (i > run ? "--\n" : "") << ToUtf8(host.scripts[i]) << "\n";
  return kExitOk;
}

}  // namespace

CommandRun DefinePrepareCommand(CLI::App& command) {
  return DefineSceneStepCommand(command, kFooter, RunPrepare);
}

}  // namespace larkspur::cli
