// How a command reaches the web service: --service-url and --ca-file, and the API token, which
// comes from the environment variable LARKSPUR_TOKEN only, never from the command line, where
// other users of the machine could read it.
#pragma once

#include <string>

#include "cli/command.h"
#include "transfer/http_client.h"

namespace larkspur::cli {

inline constexpr char kTokenSource[] =
    "(larkspur reads it from the environment variable LARKSPUR_TOKEN.)\n";

struct ServiceOptions {
  std::string url;     // --service-url URL; empty for the built-in service
  std::string caFile;  // --ca-file FILE; empty for the system's trust
};

// Both options check their value while the command line is parsed: a URL without a host, or a
// CA file that cannot be read (or that this build's transport cannot take), is a usage error.
void AddServiceOptions(CLI::App& command, ServiceOptions& options);

struct ServiceAccess {
  Text baseUrl;           // without a trailing "/"
  HttpOptions http;       // the CA file, when one was given
  Text token;             // trimmed as the panel trims its token field; empty when none was given
  std::string dashboard;  // "<service host>/dashboard", which the panel's texts name
};

ServiceAccess AccessService(const ServiceOptions& options, const Console& console);

}  // namespace larkspur::cli
