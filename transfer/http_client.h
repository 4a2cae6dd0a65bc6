// A small synchronous HTTPS client, just large enough for the service's two operations. Every call
// performs one complete exchange and keeps nothing: no shared handles, no reuse, no retries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host/text.h"

namespace larkspur {

struct UrlParts {
  Text host;
  Text path;  // always begins with "/"; a query stays part of it
  uint16_t port = 443;
  bool secure = true;
};

struct HttpResult {
  bool ok = false;  // true when an answer arrived, whatever its status
  Text text;        // the answer's body decoded from UTF-8, or the failure text
  int status = 0;   // the answer's HTTP status; 0 when no answer came
};

// How long each phase of an exchange may take and whom TLS trusts. The defaults are WinHTTP's own
// and the system's trust store; only tests and the command line change them.
struct HttpOptions {
  int connectTimeoutMs = 60000;
  int sendTimeoutMs = 30000;
  int receiveTimeoutMs = 30000;
  // PEM file of the certificate authorities to trust instead of the system's. Only a transport for
  // which HttpTransportTakesCaFile() is true can honour it; WinHTTP always trusts the Windows
  // store.
  Text caFile;
};

// No answer may exhaust memory: reading stops at this many bytes and the answer is returned as if
// the read had failed there, keeping what was read.
inline constexpr size_t kMaxResponseBytes = size_t{32} << 20;

inline constexpr char16_t kUserAgent[] = u"Larkspur-C/2.0";
inline constexpr char16_t kRequestFailedText[] = u"HTTP request failed, GetLastError=";

// Splits url into parts; false, with parts untouched, only when url has no "://".
bool ParseUrl(const Text& url, UrlParts& parts);

// The UTF-8 bytes of text with every byte outside A-Z, a-z, 0-9 and "-._~" written as %XX.
Text PercentEncode(const Text& text);

// One complete exchange. Adds "Authorization: Bearer " + token, then extraHeader, then, when a
// body is given, "Content-Type: application/json; charset=utf-8".
HttpResult HttpRequest(const Text& url, const Text& method, const Text& token,
                       const std::optional<std::string>& body,
                       const std::optional<Text>& extraHeader, const HttpOptions& options = {});

// True when this build's transport can trust a CA file named in HttpOptions.
bool HttpTransportTakesCaFile();

}  // namespace larkspur
