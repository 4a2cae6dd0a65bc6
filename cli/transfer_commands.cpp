#include "cli/transfer_commands.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>

#include "transfer/service_api.h"
#include "transfer/service_url.h"

namespace larkspur {

const char kBalanceCommandHelp[] =
    "usage: larkspur balance [--service-url URL] [--ca-file FILE]\n"
    "\n"
    "Shows the balance of the account that owns the API token, as the panel's Balance field.\n"
    "\n"
    "  --service-url URL  the service to ask instead of the built-in one\n"
    "  --ca-file FILE     trust the certificate authorities of this PEM file instead of the\n"
    "                     system's (builds on WinHTTP trust the Windows store only)\n"
    "\n"
    "The token is read from the environment variable LARKSPUR_TOKEN.\n"
    "Exit status: 0 balance shown, 1 token refused or service unreachable, 2 usage error.\n";

const char kSubmitCommandHelp[] =
    "usage: larkspur submit PACKAGE --job-name NAME [--service-url URL] [--ca-file FILE]\n"
    "\n"
    "Posts the scene package file PACKAGE to the service as the job NAME (normally the name of\n"
    "the job folder that holds it). The file is left in place.\n"
    "\n"
    "  --job-name NAME    the job's name on the service\n"
    "  --service-url URL  the service to post to instead of the built-in one\n"
    "  --ca-file FILE     trust the certificate authorities of this PEM file instead of the\n"
    "                     system's (builds on WinHTTP trust the Windows store only)\n"
    "\n"
    "The token is read from the environment variable LARKSPUR_TOKEN.\n"
    "Exit status: 0 job accepted, 1 job refused or service unreachable, 2 usage error.\n";

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

struct Invocation {
  bool help = false;
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;  // name without dashes -> value
  std::string error;                           // a usage error, when not empty
};

// Options take one value, as "--name VALUE" or "--name=VALUE".
Invocation ParseInvocation(const std::vector<std::string>& args,
                           const std::vector<std::string>& known) {
  Invocation invocation;
  for (size_t i = 0; i < args.size() && invocation.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      invocation.help = true;
    } else if (arg.rfind("--", 0) == 0) {
      const size_t equals = arg.find('=');
      const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
      if (std::find(known.begin(), known.end(), name) == known.end()) {
        invocation.error = "unknown option " + arg;
      } else if (equals != std::string::npos) {
        invocation.options[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        invocation.options[name] = args[++i];
      } else {
        invocation.error = arg + " needs a value";
      }
    } else {
      invocation.operands.push_back(arg);
    }
  }
  return invocation;
}

int UsageError(const CommandContext& context, const std::string& message, const char* help) {
  context.err << "larkspur: " << message << "\n\n" << help;
  return kUsageError;
}

std::string Trimmed(const std::string& text) {
  const char* space = " \t\r\n\v\f";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// The service and the trust the shared options ask for; a usage error text when they are wrong.
struct Connection {
  Text baseUrl = kServiceBaseUrl;
  HttpOptions options;
  std::string error;
};

Connection ConnectionOf(const Invocation& invocation) {
  Connection connection;
  if (const auto url = invocation.options.find("service-url"); url != invocation.options.end()) {
    connection.baseUrl = FromUtf8(url->second);
    while (!connection.baseUrl.empty() && connection.baseUrl.back() == u'/') {
      connection.baseUrl.pop_back();
    }
    UrlParts parts;
    if (!ParseUrl(connection.baseUrl, parts) || parts.host.empty()) {
      connection.error = "--service-url needs a URL such as https://host:port, not " + url->second;
    }
  }
  if (const auto ca = invocation.options.find("ca-file"); ca != invocation.options.end()) {
    if (!HttpTransportTakesCaFile()) {
      connection.error =
          "--ca-file is not available in this build: add the authority to the Windows "
          "certificate store instead";
    } else if (!std::ifstream(ca->second).is_open()) {
      connection.error = "--ca-file: cannot read " + ca->second;
    }
    connection.options.caFile = FromUtf8(ca->second);
  }
  return connection;
}

std::string DashboardOf(const Text& baseUrl) {
  return ToUtf8(HostOfUrl(baseUrl)) + "/dashboard";
}

}  // namespace

int RunBalanceCommand(const std::vector<std::string>& args, const CommandContext& context) {
  const Invocation invocation = ParseInvocation(args, {"service-url", "ca-file"});
  if (invocation.help) {
    context.out << kBalanceCommandHelp;
    return kSuccess;
  }
  if (!invocation.error.empty()) return UsageError(context, invocation.error, kBalanceCommandHelp);
  if (!invocation.operands.empty()) {
    return UsageError(context, "unexpected argument " + invocation.operands.front(),
                      kBalanceCommandHelp);
  }
  const Connection connection = ConnectionOf(invocation);
  if (!connection.error.empty()) return UsageError(context, connection.error, kBalanceCommandHelp);
  const std::string token = Trimmed(context.token.value_or(""));
  if (token.empty()) {
    context.err << "Enter an API token.\n(larkspur reads it from the environment variable "
                   "LARKSPUR_TOKEN.)\n";
    return kUsageError;
  }

  const BalanceResult result =
      CheckBalance(connection.baseUrl, FromUtf8(token), connection.options);
  if (result.ok) {
    context.out << "Balance: " << result.balance << " credits\n";
    return kSuccess;
  }
  if (result.error == kInvalidToken || result.error == kTokenEmpty) {
    context.err << "Invalid token.\nUpdate your token at " << DashboardOf(connection.baseUrl)
                << "\n";
  } else {
    context.err << "Connection error:\n" << ToUtf8(result.error) << "\n";
  }
  return kFailure;
}

int RunSubmitCommand(const std::vector<std::string>& args, const CommandContext& context) {
  const Invocation invocation = ParseInvocation(args, {"job-name", "service-url", "ca-file"});
  if (invocation.help) {
    context.out << kSubmitCommandHelp;
    return kSuccess;
  }
  if (!invocation.error.empty()) return UsageError(context, invocation.error, kSubmitCommandHelp);
  if (invocation.operands.size() != 1) {
    return UsageError(context, "name one scene package file", kSubmitCommandHelp);
  }
  const auto jobName = invocation.options.find("job-name");
  if (jobName == invocation.options.end() || jobName->second.empty()) {
    return UsageError(context, "--job-name NAME is required", kSubmitCommandHelp);
  }
  const Connection connection = ConnectionOf(invocation);
  if (!connection.error.empty()) return UsageError(context, connection.error, kSubmitCommandHelp);
  const std::string token = Trimmed(context.token.value_or(""));
  if (token.empty()) {
    context.err << "Invalid token.\nEnter your token from " << DashboardOf(connection.baseUrl)
                << "\n(larkspur reads it from the environment variable LARKSPUR_TOKEN.)\n";
    return kUsageError;
  }

  const HttpResult result =
      SubmitJob(connection.baseUrl, FromUtf8(invocation.operands.front()), FromUtf8(token),
                FromUtf8(jobName->second), connection.options);
  if (result.ok) {
    context.out << "Job: " << jobName->second << "\n";
    return kSuccess;
  }
  if (result.text.find(u"insufficient balance") != Text::npos) {
    context.err << "Insufficient credits.\nTop up your balance at "
                << DashboardOf(connection.baseUrl) << "\n";
  } else {
    context.err << "Failed to send to server:\n" << ToUtf8(result.text) << "\n";
  }
  return kFailure;
}

namespace {

CommandContext EnvironmentContext() {
  const char* token = std::getenv("LARKSPUR_TOKEN");
  return CommandContext{token ? std::optional<std::string>(token) : std::nullopt, std::cout,
                        std::cerr};
}

}  // namespace

int RunBalanceCommand(const std::vector<std::string>& args) {
  return RunBalanceCommand(args, EnvironmentContext());
}

int RunSubmitCommand(const std::vector<std::string>& args) {
  return RunSubmitCommand(args, EnvironmentContext());
}

}  // namespace larkspur
