#include <CLI/CLI.hpp>

#include <memory>

#include "cli/service_options.h"
#include "transfer/service_api.h"

namespace larkspur::cli {
namespace {

constexpr char kFooter[] =
    "Shows the balance of the account that owns the API token, as the panel's Balance field.\n"
    "The token is read from the environment variable LARKSPUR_TOKEN.\n"
    "Exit status: 0 balance shown, 1 token refused or service unreachable, 2 no token or bad\n"
    "arguments.";

int RunBalance(const ServiceOptions& options, const Console& console) {
  const ServiceAccess access = AccessService(options, console);
  if (access.token.empty()) {
    console.err << "Enter an API token.\n" << kTokenSource;
    return kExitUsage;
  }
  const BalanceResult result = CheckBalance(access.baseUrl, access.token, access.http);
  if (result.ok) {
    console.out << "Balance: " << std::to_string(result.balance) << " credits\n";
    return kExitOk;
  }
  if (result.error == kInvalidToken || result.error == kTokenEmpty) {
    console.err << "Invalid token.\nUpdate your token at " << access.dashboard << "\n";
  } else {
    console.err << "Connection error:\n" << ToUtf8(result.error) << "\n";
  }
  return kExitFailed;
}

}  // namespace

CommandRun DefineBalanceCommand(CLI::App& command) {
  auto options = std::make_shared<ServiceOptions>();
  command.footer(kFooter);
  AddServiceOptions(command, *options);
  return [options](const Console& console) { return RunBalance(*options, console); };
}

}  // namespace larkspur::cli
