// The larkspur command line's one way of working: every command declares its arguments on a CLI11
// app of its own and gives back the function that runs it once they are parsed; the command line
// parses, prints help and usage errors, and picks the command to run.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/text.h"

namespace CLI {
class App;
}

namespace larkspur::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;  // bad arguments or a bad scene file: nothing was written

// What a command reads and writes. The streams carry UTF-8 bytes.
struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  std::optional<std::string> token;  // LARKSPUR_TOKEN, UTF-8; nothing when it is not set
  bool inTerminal = false;           // standard input is a terminal: a user can answer
  bool outTerminal = false;          // standard output is a terminal: output can be redrawn
};

using CommandRun = std::function<int(const Console& console)>;

struct Command {
  const char* name;
  const char* summary;
  CommandRun (*define)(CLI::App& command);
};

// Every command of larkspur, in the order that the help lists them.
const std::vector<Command>& Commands();

// Runs the command line: words are the process's arguments after the program's name, UTF-8.
// Returns the exit status.
int RunCommandLine(const std::vector<std::string>& words, const Console& console);

// An argument as a path or as text. Arguments are UTF-8 on every platform; the path keeps every
// character on Windows too.
std::filesystem::path PathArgument(const std::string& word);
Text TextArgument(const std::string& word);

// A positional argument that the command cannot do without; its usage shows the name alone.
void AddRequiredArgument(CLI::App& command, const char* name, std::string& value,
                         const char* description);

}  // namespace larkspur::cli
