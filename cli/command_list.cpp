#include "cli/command.h"

namespace larkspur::cli {

CommandRun DefineExportCommand(CLI::App& command);
CommandRun DefineSettingsCommand(CLI::App& command);
CommandRun DefinePackageCommand(CLI::App& command);
CommandRun DefineBalanceCommand(CLI::App& command);
CommandRun DefineSubmitCommand(CLI::App& command);
CommandRun DefineNamesCommand(CLI::App& command);
CommandRun DefineBakeCommand(CLI::App& command);
CommandRun DefineTexturesCommand(CLI::App& command);
CommandRun DefineFbxCommand(CLI::App& command);
CommandRun DefinePrepareCommand(CLI::App& command);

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"export", "export a scene file and send it to the service as a job", DefineExportCommand},
      {"settings", "show and store the panel's settings", DefineSettingsCommand},
      {"package", "build the scene package of a scene file", DefinePackageCommand},
      {"balance", "check the API token and show the account's balance", DefineBalanceCommand},
      {"submit", "send a scene package to the service as a job", DefineSubmitCommand},
      {"names", "make the material names unique and list the renames", DefineNamesCommand},
      {"bake", "bake the multi-map choices into vertex colours", DefineBakeCommand},
      {"textures", "copy the scene's texture files into a job folder", DefineTexturesCommand},
      {"fbx", "write the scene's geometry as an FBX file", DefineFbxCommand},
      {"prepare", "explode groups and flatten every geometry node", DefinePrepareCommand},
  };
  return commands;
}

}  // namespace larkspur::cli
