#include <CLI/CLI.hpp>

#include <memory>

#include "cli/service_options.h"
#include "transfer/service_api.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Posts the scene package file PACKAGE to the service as the job NAME (normally the name of\n"
    "the job folder that holds it). The file is left in place.\n"
    "The token is read from the environment variable LARKSPUR_TOKEN.\n"
    "Exit status: 0 job accepted, 1 job refused or service unreachable, 2 no token or bad\n"
    "arguments.";

struct SubmitOptions {
  std::string package;
  std::string jobName;
  ServiceOptions service;
};

std::string CheckJobName(const std::string& name) {
  return name.empty() ? "needs a name" : "";
}

int RunSubmit(const SubmitOptions& options, const Console& console) {
  const ServiceAccess access = AccessService(options.service, console);
  if (access.token.empty()) {
    console.err << "Invalid token.\nEnter your token from " << access.dashboard << "\n"
                << kTokenSource;
    return kExitUsage;
  }
  const HttpResult result = SubmitJob(access.baseUrl, TextArgument(options.package), access.token,
                                      TextArgument(options.jobName), access.http);
  if (result.ok) {
    console.out << "Job: " << options.jobName << "\n";
    return kExitOk;
  }
  if (result.text.find(u"insufficient balance") != Text::npos) {
    console.err << "Insufficient credits.\nTop up your balance at " << access.dashboard << "\n";
  } else {
    console.err << "Failed to send to server:\n" << ToUtf8(result.text) << "\n";
  }
  return kExitFailed;
}

}  // namespace

CommandRun DefineSubmitCommand(CLI::App& command) {
  auto options = std::make_shared<SubmitOptions>();
  command.footer(kFooter);
  AddRequiredArgument(command, "PACKAGE", options->package, "scene package file to send");
  command.add_option("--job-name", options->jobName, "the job's name on the service")
      ->required()
      ->type_name("NAME")
      ->check(CheckJobName);
  AddServiceOptions(command, options->service);
  return [options](const Console& console) { return RunSubmit(*options, console); };
}

}  // namespace larkspur::cli
