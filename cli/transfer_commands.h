// The command line's face of the service transfer: "larkspur balance" and "larkspur submit".
// Each prints what the panel would show and returns the process's exit code: 0 on success, 1
// when the service refused or could not be reached, 2 for a usage error. The token comes from the
// environment variable LARKSPUR_TOKEN, never from the command line, where other users could read
// it.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

extern const char kBalanceCommandHelp[];
extern const char kSubmitCommandHelp[];

struct CommandContext {
  std::optional<std::string> token;  // UTF-8; nothing when LARKSPUR_TOKEN is not set
  std::ostream& out;                 // what the panel shows on success
  std::ostream& err;                 // messages of failures and usage errors
};

// args are the words after the command's name, UTF-8.
int RunBalanceCommand(const std::vector<std::string>& args, const CommandContext& context);
int RunSubmitCommand(const std::vector<std::string>& args, const CommandContext& context);

// The same with the token of the environment, standard output and standard error.
int RunBalanceCommand(const std::vector<std::string>& args);
int RunSubmitCommand(const std::vector<std::string>& args);

}  // namespace larkspur
