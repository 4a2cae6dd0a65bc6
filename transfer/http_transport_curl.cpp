// The exchange on libcurl, shaped to put the same request on the wire as the WinHTTP transport and
// to answer with the same results. Where WinHTTP reports GetLastError, this transport reports the
// CURLcode of the exchange: for instance 7 (could not connect), 28 (timed out), 52 (no answer at
// all) or 60 (certificate not trusted). Redirects are not followed: a 3xx answer is returned as it
// came, where WinHTTP would follow it, so that the bearer token never travels further than the URL
// that the caller named.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "transfer/http_transport.h"

namespace larkspur {
namespace {

using Clock = std::chrono::steady_clock;

struct Reception {
  std::string body;
  int blockStatus = 0;
  bool headersDone = false;  // a final (non-1xx) status line and its headers have arrived

  // WinHTTP bounds each send and each receive once connected; here the same bounds apply to the
  // time in which no byte moves, sending while the body is not all sent, receiving after.
  std::chrono::milliseconds sendLimit{0};
  std::chrono::milliseconds receiveLimit{0};
  bool connected = false;
  curl_off_t bytesMoved = -1;
  Clock::time_point lastMove;
  bool stalled = false;

  void Moved() { lastMove = Clock::now(); }
};

int OnConnected(void* user, char*, char*, int, int) {
  auto& reception = *static_cast<Reception*>(user);
  reception.connected = true;
  reception.Moved();
  return CURL_PREREQFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t toSend, curl_off_t sent) {
  auto& reception = *static_cast<Reception*>(user);
  if (!reception.connected) return 0;
  if (received + sent != reception.bytesMoved) {
    reception.bytesMoved = received + sent;
    reception.Moved();
    return 0;
  }
  const auto limit = sent < toSend ? reception.sendLimit : reception.receiveLimit;
  reception.stalled = Clock::now() - reception.lastMove > limit;
  return reception.stalled ? 1 : 0;
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& reception = *static_cast<Reception*>(user);
  reception.Moved();
  const std::string_view line(data, size * count);
  if (line.substr(0, 5) == "HTTP/") {
    // The status is the three digits behind the first space.
    const size_t space = line.find(' ');
    const std::string_view digits =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1, 3);
    reception.blockStatus = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') break;
      reception.blockStatus = reception.blockStatus * 10 + (c - '0');
    }
  } else if (line == "\r\n" || line == "\n") {
    reception.headersDone = reception.blockStatus >= 200;
  }
  return size * count;
}

// Keeps at most kMaxResponseBytes; a shorter count than offered makes libcurl end the transfer,
// which counts as a failed read.
size_t OnBodyBytes(char* data, size_t size, size_t count, void* user) {
  auto& reception = *static_cast<Reception*>(user);
  const size_t offered = size * count;
  const size_t taken = std::min(offered, kMaxResponseBytes - reception.body.size());
  // No exception may cross libcurl's C frames; without memory the read fails like any other.
  try {
    reception.body.append(data, taken);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return taken;
}

// WinHTTP escapes spaces, control characters and non-ASCII bytes of the path itself; libcurl
// refuses them.
std::string EscapedPath(const Text& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char byte : ToUtf8(path)) {
    const auto c = static_cast<unsigned char>(byte);
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += byte;
    }
  }
  return out;
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

}  // namespace

bool HttpTransportTakesCaFile() {
  return true;
}

TransportOutcome PerformExchange(const HttpExchange& exchange, const HttpOptions& options) {
  TransportOutcome outcome;
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) {
    outcome.failure = RequestFailedText(CURLE_FAILED_INIT);
    return outcome;
  }
  CURL* handle = curl.get();

  // Port 0 is WinHTTP's "default port of the scheme".
  const UrlParts& url = exchange.url;
  const uint16_t port = url.port != 0 ? url.port : (url.secure ? 443 : 80);
  const std::string address = std::string(url.secure ? "https://" : "http://") + ToUtf8(url.host) +
                              ":" + std::to_string(port) + EscapedPath(url.path);
  curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
  curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  const std::string method = ToUtf8(exchange.method);
  curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method.c_str());
  const std::string userAgent = ToUtf8(kUserAgent);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent.c_str());

  // libcurl's own Accept and Expect headers are removed: WinHTTP sends neither.
  std::vector<std::string> lines{"Accept:", "Expect:"};
  for (const Text& header : exchange.headers) lines.push_back(ToUtf8(header));
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  for (const std::string& line : lines) {
    curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
    if (!grown) {
      outcome.failure = RequestFailedText(CURLE_OUT_OF_MEMORY);
      return outcome;
    }
    headers.release();
    headers.reset(grown);
  }
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  if (exchange.body) {
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(exchange.body->size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, exchange.body->data());
  }

  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = ToUtf8(options.caFile);
  if (!caFile.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, caFile.c_str());

  Reception reception;
  reception.sendLimit = std::chrono::milliseconds(options.sendTimeoutMs);
  reception.receiveLimit = std::chrono::milliseconds(options.receiveTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
  curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, &reception);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &reception);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &reception);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBodyBytes);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reception);

  const CURLcode performed = curl_easy_perform(handle);
  const CURLcode result = reception.stalled ? CURLE_OPERATION_TIMEDOUT : performed;
  if (result != CURLE_OK && !reception.headersDone) {
    outcome.failure = RequestFailedText(static_cast<unsigned long>(result));
    return outcome;
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  outcome.answered = true;
  outcome.status = static_cast<int>(status);
  outcome.body = std::move(reception.body);
  return outcome;
}

}  // namespace larkspur
