#include "transfer/http_client.h"

#include <algorithm>

#include "transfer/http_transport.h"

namespace larkspur {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool IsSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// _wtoi: leading white space, an optional sign, then digits up to the first non-digit; no digits
// give 0, and a value beyond int saturates as the C library's conversion does.
int IntFromText(std::u16string_view text) {
  constexpr int64_t kLimit = int64_t{1} << 31;
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = std::min(value * 10 + (text[i] - u'0'), kLimit);
  }
  if (negative) return static_cast<int>(-value);
  return static_cast<int>(std::min(value, kLimit - 1));
}

}  // namespace

bool ParseUrl(const Text& url, UrlParts& parts) {
  const size_t schemeEnd = url.find(u"://");
  if (schemeEnd == Text::npos) return false;
  parts.secure = url.compare(0, schemeEnd, u"https") == 0;
  parts.port = parts.secure ? 443 : 80;
  const size_t authority = schemeEnd + 3;
  const size_t slash = url.find(u'/', authority);
  if (slash == Text::npos) {
    parts.host = url.substr(authority);
    parts.path = u"/";
  } else {
    parts.host = url.substr(authority, slash - authority);
    parts.path = url.substr(slash);
  }
  const size_t colon = parts.host.find(u':');
  if (colon != Text::npos) {
    parts.port =
        static_cast<uint16_t>(IntFromText(std::u16string_view(parts.host).substr(colon + 1)));
    parts.host.resize(colon);
  }
  return true;
}

Text PercentEncode(const Text& text) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  Text out;
  for (const char byte : ToUtf8(text)) {
    const auto c = static_cast<unsigned char>(byte);
    if (IsUnreserved(c)) {
      out += static_cast<char16_t>(c);
    } else {
      out += u'%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

Text RequestFailedText(unsigned long error) {
  return Text(kRequestFailedText) + Widen(std::to_string(error));
}

HttpResult HttpRequest(const Text& url, const Text& method, const Text& token,
                       const std::optional<std::string>& body,
                       const std::optional<Text>& extraHeader, const HttpOptions& options) {
  HttpExchange exchange;
  if (!ParseUrl(url, exchange.url)) return HttpResult{false, u"Invalid URL: " + url, 0};
  exchange.method = method;
  exchange.headers.push_back(u"Authorization: Bearer " + token);
  if (extraHeader) exchange.headers.push_back(*extraHeader);
  if (body) {
    exchange.headers.push_back(u"Content-Type: application/json; charset=utf-8");
    exchange.body = &*body;
  }

  const TransportOutcome outcome = PerformExchange(exchange, options);
  if (!outcome.answered) return HttpResult{false, outcome.failure, 0};
  return HttpResult{true, FromUtf8(outcome.body), outcome.status};
}

}  // namespace larkspur
