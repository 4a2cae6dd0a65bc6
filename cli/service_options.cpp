#include "cli/service_options.h"

#include <CLI/CLI.hpp>

#include <fstream>

#include "plugin/panel_text.h"
#include "transfer/service_url.h"

namespace larkspur::cli {
namespace {

Text WithoutTrailingSlashes(Text url) {
  while (!url.empty() && url.back() == u'/') url.pop_back();
  return url;
}

std::string CheckServiceUrl(const std::string& option) {
  UrlParts parts;
  if (ParseUrl(WithoutTrailingSlashes(TextArgument(option)), parts) && !parts.host.empty()) {
    return {};
  }
  return "needs a URL such as https://host:port, not '" + option + "'";
}

std::string CheckCaFile(const std::string& option) {
  if (!HttpTransportTakesCaFile()) {
    return "is not available in this build: add the authority to the Windows certificate store "
           "instead";
  }
  if (!std::ifstream(PathArgument(option)).is_open()) return "cannot read '" + option + "'";
  return {};
}

}  // namespace

void AddServiceOptions(CLI::App& command, ServiceOptions& options) {
  command
      .add_option("--service-url", options.url, "the service to use instead of the built-in one")
      ->type_name("URL")
      ->check(CheckServiceUrl);
  command
      .add_option("--ca-file", options.caFile,
                  "trust the authorities in this PEM file (Linux build only)")
      ->type_name("FILE")
      ->check(CheckCaFile);
}

ServiceAccess AccessService(const ServiceOptions& options, const Console& console) {
  ServiceAccess access;
  access.baseUrl = options.url.empty() ? Text(kServiceBaseUrl)
                                       : WithoutTrailingSlashes(TextArgument(options.url));
  access.http.caFile = TextArgument(options.caFile);
  access.token = TrimWhitespace(TextArgument(console.token.value_or("")));
  access.dashboard = ToUtf8(DashboardAddress(access.baseUrl));
  return access;
}

}  // namespace larkspur::cli
