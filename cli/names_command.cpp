#include "cli/scene_argument.h"
#include "transfer/material_names.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Makes the material names of SCENE unique and safe, as the exporter does before the FBX\n"
    "export, and prints one line per renamed material: its anim id in the scene file, a tab, its\n"
    "name before, a tab, its name after. The exporter gives the materials their names back once\n"
    "the package is built; this command does not, so --scene-out writes the names that the FBX\n"
    "file and the package carry.\n"
    "Exit status: 0 done, 1 when the scene could not be written, 2 for a bad scene file or bad\n"
    "arguments (nothing is written then).";

int RunNames(sim::SimHost& host, const Console& console) {
  for (const MtlRestoreEntry& entry : DeduplicateMaterialNames(host)) {
    const sim::SimAnim* material = host.Owned(entry.mtl);
    console.out << (material ? material->id : std::string()) << "\t" << ToUtf8(entry.previousName)
                << "\t" << ToUtf8(entry.mtl->GetName()) << "\n";
  }
  return kExitOk;
}

}  // namespace

CommandRun DefineNamesCommand(CLI::App& command) {
  return DefineSceneStepCommand(command, kFooter, RunNames);
}

}  // namespace larkspur::cli
