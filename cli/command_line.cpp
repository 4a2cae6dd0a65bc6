#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <ostream>

#include "cli/command.h"

namespace larkspur::cli {
namespace {

constexpr char kDescription[] =
    "Runs the exporter's steps on a scene file loaded into the simulated host.";
constexpr char kFooter[] = "'larkspur COMMAND --help' explains one command.";

// CLI11 names what went wrong inside a command; before one was chosen it only says that none was.
std::string Problem(const std::vector<std::string>& words, const CLI::App& command,
                    const CLI::ParseError& error) {
  if (!command.get_parent()) {
    if (words.empty()) return "name a command";
    const bool option = words.front().rfind('-', 0) == 0;
    return std::string(option ? "unknown option '" : "unknown command '") + words.front() + "'";
  }
  std::string what = error.what();
  std::replace(what.begin(), what.end(), '\n', ' ');
  return what;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& words, const Console& console) {
  CLI::App app(kDescription, "larkspur");
  app.footer(kFooter);
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.get_formatter()->label("SUBCOMMAND", "COMMAND");

  std::map<const CLI::App*, CommandRun> runs;
  for (const Command& c : Commands()) {
    CLI::App* command = app.add_subcommand(c.name, c.summary);
    command->group("Commands");
    runs[command] = c.define(*command);
  }

  try {
    app.parse(std::vector<std::string>(words.rbegin(), words.rend()));
  } catch (const CLI::Success& help) {
    app.exit(help, console.out, console.err);
    return kExitOk;
  } catch (const CLI::ParseError& error) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    const CLI::App& command = chosen.empty() ? app : *chosen.front();
    const std::string name = command.get_parent() ? "larkspur " + command.get_name() : "larkspur";
    console.err << name << ": " << Problem(words, command, error) << " (see '" << name
                << " --help')\n";
    return kExitUsage;
  }
  return runs.at(app.get_subcommands().front())(console);
}

std::filesystem::path PathArgument(const std::string& word) {
  return std::filesystem::u8path(word);
}

Text TextArgument(const std::string& word) {
  return FromUtf8(word);
}

void AddRequiredArgument(CLI::App& command, const char* name, std::string& value,
                         const char* description) {
  command.add_option(name, value, description)->required()->type_name("");
}

}  // namespace larkspur::cli
