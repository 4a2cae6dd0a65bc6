// The seam between the client's logic and the platform's HTTP stack: WinHTTP in the Windows build,
// libcurl in the Linux build, one source file each, chosen by CMake.
#pragma once

#include <string>
#include <vector>

#include "transfer/http_client.h"

namespace larkspur {

// One request as it goes on the wire.
struct HttpExchange {
  UrlParts url;
  Text method;
  std::vector<Text> headers;          // header lines without their line end, in sending order
  const std::string* body = nullptr;  // null for a request without a body
};

struct TransportOutcome {
  bool answered = false;  // the answer's status line and headers arrived
  int status = 0;
  std::string body;  // at most kMaxResponseBytes; a failed read keeps what came before it
  Text failure;      // the failure text when nothing was answered
};

TransportOutcome PerformExchange(const HttpExchange& exchange, const HttpOptions& options);

// "HTTP request failed, GetLastError=" followed by the transport's error number.
Text RequestFailedText(unsigned long error);

}  // namespace larkspur
