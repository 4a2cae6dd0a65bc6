#include <CLI/CLI.hpp>

#include <istream>
#include <memory>

#include "cli/command.h"
#include "host/sim/scene_file.h"
#include "plugin/panel_text.h"
#include "plugin/settings_file.h"
#include "transfer/service_url.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Shows the settings file of the simulated host's user scripts folder and its three values\n"
    "(the token masked but for its last four characters), and stores values as the panel does:\n"
    "--token-stdin reads the token from one line of standard input and stores it trimmed, as\n"
    "\"Save\" does (a token is never taken from the command line); --exchange-folder stores the\n"
    "folder as given; --export-displacement stores the option.\n"
    "Exit status: 0 when every value given was stored, 1 when one was not, 2 for bad arguments.";

struct SettingsOptions {
  bool tokenFromInput = false;
  std::optional<std::string> exchangeFolder;
  std::optional<std::string> exportDisplacement;
};

std::string Masked(const Text& token) {
  if (token.empty()) return "(none)";
  const size_t shown = token.size() > 4 ? 4 : 0;
  return std::string(token.size() - shown, '*') + ToUtf8(token.substr(token.size() - shown));
}

std::string Shown(const Text& value) {
  return value.empty() ? "(none)" : ToUtf8(value);
}

// Writes the value as the panel does; false, with a message, when it cannot be read back.
bool Store(const SettingsFile& settings, const Text& key, const Text& value,
           const Console& console) {
  settings.Write(kSettingsSection, key, value);
  if (settings.Read(kSettingsSection, key, u"") == value) return true;
  console.err << "could not store " << ToUtf8(key) << " in " << ToUtf8(settings.Path()) << "\n";
  return false;
}

int RunSettings(const SettingsOptions& options, const Console& console) {
  // The simulated host as it starts, without a scene: its user scripts folder is the default.
  const sim::SceneLoadResult empty =
      sim::LoadSceneText(R"({"format": "larkspur-scene", "version": 1})", "settings");
  const SettingsFile settings(*empty.host);
  bool stored = true;
  if (options.tokenFromInput) {
    if (console.inTerminal) console.err << "API token: " << std::flush;
    std::string line;
    std::getline(console.in, line);
    const Text token = TrimWhitespace(FromUtf8(line));
    stored = Store(settings, kApiTokenKey, token, console) && stored;
    console.out << ToUtf8(TokenSavedText(token, kServiceBaseUrl)) << "\n";
  }
  if (options.exchangeFolder) {
    stored = Store(settings, kExchangeFolderKey, TextArgument(*options.exchangeFolder), console) &&
             stored;
  }
  if (options.exportDisplacement) {
    stored = Store(settings, kExportDisplacementKey, TextArgument(*options.exportDisplacement),
                   console) &&
             stored;
  }
  console.out << "Settings file: " << ToUtf8(settings.Path()) << "\n"
              << "apiToken: " << Masked(settings.Read(kSettingsSection, kApiTokenKey, u"")) << "\n"
              << "exchangeFolder: "
              << Shown(settings.Read(kSettingsSection, kExchangeFolderKey, u"")) << "\n"
              << "exportDisplacement: "
              << ToUtf8(settings.Read(kSettingsSection, kExportDisplacementKey, u"false")) << "\n";
  return stored ? kExitOk : kExitFailed;
}

}  // namespace

CommandRun DefineSettingsCommand(CLI::App& command) {
  auto options = std::make_shared<SettingsOptions>();
  command.footer(kFooter);
  command.add_flag("--token-stdin", options->tokenFromInput,
                   "store the API token read from one line of standard input");
  command.add_option("--exchange-folder", options->exchangeFolder, "store the Exchange Folder")
      ->type_name("DIR");
  command
      .add_option("--export-displacement", options->exportDisplacement,
                  "store the Export Displacement option")
      ->type_name("true|false")
      ->check(CLI::IsMember({"true", "false"}).description(""));
  return [options](const Console& console) { return RunSettings(*options, console); };
}

}  // namespace larkspur::cli
