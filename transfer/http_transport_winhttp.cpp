// The exchange on WinHTTP, in synchronous mode, with its default time-outs and certificate checks.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>

#include "transfer/http_transport.h"

namespace larkspur {
namespace {

const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Closes its handle when the call ends; declared session, connection, request, so that they close
// in the reverse order on every path.
class Handle {
 public:
  explicit Handle(HINTERNET handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_) WinHttpCloseHandle(handle_);
  }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

bool HasDefaultTimeouts(const HttpOptions& options) {
  const HttpOptions defaults;
  return options.connectTimeoutMs == defaults.connectTimeoutMs &&
         options.sendTimeoutMs == defaults.sendTimeoutMs &&
         options.receiveTimeoutMs == defaults.receiveTimeoutMs;
}

int QueryStatus(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return 0;
  }
  return static_cast<int>(status);
}

std::string ReadBody(HINTERNET request) {
  std::string body;
  DWORD available = 0;
  while (body.size() < kMaxResponseBytes && WinHttpQueryDataAvailable(request, &available) &&
         available > 0) {
    const DWORD wanted =
        static_cast<DWORD>(std::min<size_t>(available, kMaxResponseBytes - body.size()));
    std::string chunk(wanted, '\0');
    DWORD read = 0;
    if (!WinHttpReadData(request, chunk.data(), wanted, &read) || read == 0) break;
    body.append(chunk, 0, read);
  }
  return body;
}

}  // namespace

bool HttpTransportTakesCaFile() {
  return false;
}

TransportOutcome PerformExchange(const HttpExchange& exchange, const HttpOptions& options) {
  TransportOutcome outcome;
  // WinHTTP takes a body's length as 32 bits: a longer body is refused, never cut short.
  if (exchange.body && exchange.body->size() > MAXDWORD) {
    outcome.failure = RequestFailedText(ERROR_INVALID_PARAMETER);
    return outcome;
  }
  const Text userAgent = kUserAgent;
  Handle session(WinHttpOpen(Wide(userAgent), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) {
    outcome.failure = u"WinHttpOpen failed";
    return outcome;
  }
  Handle connection(WinHttpConnect(session.get(), Wide(exchange.url.host), exchange.url.port, 0));
  if (!connection) {
    outcome.failure = u"WinHttpConnect failed";
    return outcome;
  }
  Handle request(WinHttpOpenRequest(
      connection.get(), Wide(exchange.method), Wide(exchange.url.path), nullptr, WINHTTP_NO_REFERER,
      WINHTTP_DEFAULT_ACCEPT_TYPES, exchange.url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) {
    outcome.failure = u"WinHttpOpenRequest failed";
    return outcome;
  }
  // Production keeps WinHTTP's own time-outs untouched; only tests shorten them. The wait for the
  // answer's headers has a time-out of its own, which follows the receive time-out here.
  if (!HasDefaultTimeouts(options)) {
    WinHttpSetTimeouts(request.get(), 0, options.connectTimeoutMs, options.sendTimeoutMs,
                       options.receiveTimeoutMs);
    DWORD responseTimeout = static_cast<DWORD>(options.receiveTimeoutMs);
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof(responseTimeout));
  }
  for (const Text& header : exchange.headers) {
    const Text line = header + u"\r\n";
    WinHttpAddRequestHeaders(request.get(), Wide(line), static_cast<DWORD>(-1),
                             WINHTTP_ADDREQ_FLAG_ADD);
  }

  const DWORD length = exchange.body ? static_cast<DWORD>(exchange.body->size()) : 0;
  void* data = exchange.body ? const_cast<char*>(exchange.body->data()) : WINHTTP_NO_REQUEST_DATA;
  const bool exchanged = WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data,
                                            length, length, 0) &&
                         WinHttpReceiveResponse(request.get(), nullptr);
  if (!exchanged) {
    outcome.failure = RequestFailedText(GetLastError());
    return outcome;
  }
  outcome.answered = true;
  outcome.status = QueryStatus(request.get());
  outcome.body = ReadBody(request.get());
  return outcome;
}

}  // namespace larkspur
