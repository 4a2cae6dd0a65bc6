#include "cli/command.h"

namespace larkspur::cli {

CommandRun DefineExportCommand(CLI::App& command);
CommandRun DefineSettingsCommand(CLI::App& command);
CommandRun DefinePackageCommand(CLI::App& command);
CommandRun DefineBalanceCommand(CLI::App& command);
CommandRun DefineSubmitCommand(CLI::App& command);

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"export", "export a scene file and send it to the service as a job", DefineExportCommand},
      {"settings", "show and store the panel's settings", DefineSettingsCommand},
      {"package", "build the scene package of a scene file", DefinePackageCommand},
      {"balance", "check the API token and show the account's balance", DefineBalanceCommand},
      {"submit", "send a scene package to the service as a job", DefineSubmitCommand},
  };
  return commands;
}

}  // namespace larkspur::cli
