#include <CLI/CLI.hpp>

#include <memory>

#include "cli/console_panel.h"
#include "cli/scene_argument.h"
#include "cli/service_options.h"
#include "plugin/export_and_send.h"
#include "plugin/settings_file.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Runs Export and Send on SCENE as the panel's \"Export && Send\" button does: checks the\n"
    "token, creates the job folder in the Exchange Folder, bakes vertex colours, writes the FBX,\n"
    "the textures and the scene package, and sends the package to the service as a job.\n"
    "The token and the Exchange Folder come from the settings file (see 'larkspur settings'),\n"
    "as the panel reads them when it opens; the environment variable LARKSPUR_TOKEN and\n"
    "--exchange-folder stand in for them. The confirmation of --reset-xform is asked on a\n"
    "terminal, answered by --yes, and declined otherwise. Message boxes go to standard error.\n"
    "Exit status: 0 when the job was sent (\"Done  OK\"), 1 for every other outcome, 2 for a bad\n"
    "scene file or bad arguments (nothing is written then).";

struct ExportOptions {
  SceneArguments scene;
  std::optional<std::string> exchangeFolder;
  bool resetXform = false;
  bool yes = false;
  ServiceOptions service;
};

int RunExport(const ExportOptions& options, const Console& console) {
  const std::unique_ptr<sim::SimHost> host = LoadScene(options.scene, console);
  if (!host) return kExitUsage;
  const SettingsFile settings(*host);
  ConsoleFields fields;
  fields.token =
      console.token ? FromUtf8(*console.token) : settings.Read(kSettingsSection, kApiTokenKey, u"");
  fields.exchangeFolder = options.exchangeFolder
                              ? TextArgument(*options.exchangeFolder)
                              : settings.Read(kSettingsSection, kExchangeFolderKey, u"");
  fields.resetXform = options.resetXform;
  fields.yes = options.yes;

  const ServiceAccess access = AccessService(options.service, console);
  ConsolePanel panel(console, std::move(fields));
  ExportAndSend(panel, WorkflowContext{*host, access.baseUrl, access.http});
  const bool sent = panel.Finish();
  if (!WriteSceneOut(*host, options.scene, console)) return kExitFailed;
  return sent ? kExitOk : kExitFailed;
}

}  // namespace

CommandRun DefineExportCommand(CLI::App& command) {
  auto options = std::make_shared<ExportOptions>();
  command.footer(kFooter);
  AddSceneArgument(command, options->scene);
  command
      .add_option("--exchange-folder", options->exchangeFolder,
                  "the Exchange Folder to use instead of the stored one")
      ->type_name("DIR");
  command.add_flag("--reset-xform", options->resetXform,
                   "Reset XForm + Convert to Poly (explodes groups!) before the export");
  command.add_flag("--yes", options->yes, "answer the confirmation of --reset-xform with Yes");
  AddServiceOptions(command, options->service);
  AddSceneOutOption(command, options->scene);
  return [options](const Console& console) { return RunExport(*options, console); };
}

}  // namespace larkspur::cli
