#include "transfer/http_client.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "tests/transfer/test_service.h"

namespace larkspur {
namespace {

TEST(ParseUrl, SplitsSchemeHostPortAndPathOrLeavesThePartsAlone) {
  struct Case {
    Text url;
    bool ok;
    Text host;
    Text path;
    uint16_t port;
    bool secure;
  };
  const Case cases[] = {
      {u"https://api.example.com", true, u"api.example.com", u"/", 443, true},
      {u"https://h/a/b?x=1&y=%20", true, u"h", u"/a/b?x=1&y=%20", 443, true},
      {u"https://h:8443/x", true, u"h", u"/x", 8443, true},
      {u"http://h/x", true, u"h", u"/x", 80, false},
      {u"http://h:443", true, u"h", u"/", 443, false},
      {u"HTTPS://h/x", true, u"h", u"/x", 80, false},
      // The port reads as _wtoi reads it.
      {u"https://h:abc/", true, u"h", u"/", 0, true},
      {u"https://h: \t12x/", true, u"h", u"/", 12, true},
      {u"https://h:+7/", true, u"h", u"/", 7, true},
      {u"https://h:-1/", true, u"h", u"/", 65535, true},
      {u"https://h:70000/", true, u"h", u"/", 70000 & 0xFFFF, true},
      {u"https://h:99999999999/", true, u"h", u"/", 0xFFFF, true},
      {u"https://h:1:2/", true, u"h", u"/", 1, true},
      {u"https:///p", true, u"", u"/p", 443, true},
      {u"x://a://b/c", true, u"a", u"//b/c", 0, false},
      // Without "://" the parts keep what they held.
      {u"", false, u"kept", u"/kept", 1234, false},
      {u"api.example.com/x", false, u"kept", u"/kept", 1234, false},
      {u"https:/h/x", false, u"kept", u"/kept", 1234, false},
  };
  for (const Case& c : cases) {
    UrlParts parts{u"kept", u"/kept", 1234, false};
    EXPECT_EQ(ParseUrl(c.url, parts), c.ok) << ToUtf8(c.url);
    EXPECT_EQ(parts.host, c.host) << ToUtf8(c.url);
    EXPECT_EQ(parts.path, c.path) << ToUtf8(c.url);
    EXPECT_EQ(parts.port, c.port) << ToUtf8(c.url);
    EXPECT_EQ(parts.secure, c.secure) << ToUtf8(c.url);
  }
}

TEST(PercentEncode, KeepsUnreservedAsciiAndEncodesEveryOtherUtf8Byte) {
  struct Case {
    Text in;
    Text out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"AZaz09-._~", u"AZaz09-._~"},
      {u"a b", u"a%20b"},
      {u"/%+?&=#", u"%2F%25%2B%3F%26%3D%23"},
      {u"Caf\u00e8 Job", u"Caf%C3%A8%20Job"},
      {u"\U0001F600", u"%F0%9F%98%80"},
      {Text(1, char16_t(0xD800)), u"%EF%BF%BD"},
      {Text(u"a\0b", 3), u"a%00b"},
      {u"\r\n", u"%0D%0A"},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out) << ToUtf8(c.in);
}

TEST(HttpRequest, RefusesUrlWithoutSchemeSeparatorBeforeAnyNetworkCall) {
  const HttpResult result = HttpRequest(u"localhost/api", u"GET", u"t", std::nullopt, std::nullopt);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.text, u"Invalid URL: localhost/api");
  EXPECT_EQ(result.status, 0);
}

// The header lines of a request as the echo port received it, trailing spaces cut (whether the
// space of an empty "Bearer " survives is the transport's affair).
std::vector<Text> HeaderLines(const Text& head) {
  std::vector<Text> lines;
  for (size_t start = 0; start < head.size();) {
    const size_t end = std::min(head.find(u"\r\n", start), head.size());
    Text line = head.substr(start, end - start);
    while (!line.empty() && line.back() == u' ') line.pop_back();
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// Index of the first line that begins with prefix; -1 when there is none.
int Find(const std::vector<Text>& lines, std::u16string_view prefix) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  }
  return -1;
}

class HttpRequestTest : public ServiceTest {};

// The client adds the token first, then the extra header, then the body's type; the transport
// adds Host, User-Agent and, with a body, its length.
TEST_F(HttpRequestTest, PutsTheRequestOnTheWireAsGiven) {
  struct Case {
    Text method;
    Text path;
    Text token;
    std::optional<std::string> body;
    std::optional<Text> extraHeader;
  };
  const Case cases[] = {
      {u"GET", u"/api/balance?x=1&y=2", u"secret-token", std::nullopt, std::nullopt},
      {u"POST", u"/node/api/v1/jobs", u"tok", "{\"name\": \"Caf\xC3\xA9\",\r\n \"n\": 1}  \n",
       u"X-Job-Name: Caf%C3%A9"},
      {u"POST", u"/", u"", std::string(), std::nullopt},
  };
  for (const Case& c : cases) {
    const HttpResult result = HttpRequest(service().echoUrl + c.path, c.method, c.token, c.body,
                                          c.extraHeader, service().options);
    ASSERT_TRUE(result.ok) << ToUtf8(result.text);
    const size_t headEnd = result.text.find(u"\r\n\r\n");
    ASSERT_NE(headEnd, Text::npos) << ToUtf8(result.text);
    const std::vector<Text> lines = HeaderLines(result.text.substr(0, headEnd));
    EXPECT_EQ(lines.front(), c.method + u" " + c.path + u" HTTP/1.1");
    EXPECT_NE(Find(lines, u"Host: localhost"), -1);
    EXPECT_NE(Find(lines, u"User-Agent: Larkspur-C/2.0"), -1);

    std::vector<Text> added{u"Authorization: Bearer" + (c.token.empty() ? u"" : u" " + c.token)};
    if (c.extraHeader) added.push_back(*c.extraHeader);
    if (c.body) added.push_back(u"Content-Type: application/json; charset=utf-8");
    int previous = 0;
    for (const Text& header : added) {
      const int at = Find(lines, header);
      EXPECT_GT(at, previous) << ToUtf8(header);
      EXPECT_EQ(at == -1 ? Text() : lines[at], header);
      previous = at;
    }
    if (c.body) {
      EXPECT_NE(Find(lines, u"Content-Length: " + Widen(std::to_string(c.body->size()))), -1);
    } else {
      EXPECT_EQ(Find(lines, u"Content-Type:"), -1);
    }
    EXPECT_EQ(result.text.substr(headEnd + 4), FromUtf8(c.body.value_or("")));
  }
}

TEST_F(HttpRequestTest, ReturnsEveryAnswerAsItCameWithItsStatus) {
  struct Case {
    Text url;
    Text token;
    int status;
    Text text;
  };
  const Case cases[] = {
      {service().httpsUrl + u"/api/balance", u"client-7f3a", 200, u"{\"balance\": 250}"},
      {service().httpUrl + u"/api/balance", u"client-7f3a", 200, u"{\"balance\": 250}"},
      {service().httpsUrl + u"/api/balance", u"unknown", 401, u"{\"error\": \"invalid token\"}"},
      {service().httpsUrl + u"/no/such/path", u"client-7f3a", 404, u""},
      {service().FaultUrl(u"error") + u"/api/balance", u"", 500,
       u"{\"error\": \"internal error\"}"},
      // An answer that breaks off keeps what was read; bytes that are not UTF-8 become U+FFFD.
      {service().FaultUrl(u"cut") + u"/api/balance", u"", 200,
       u"{\"balance\": 9, \"note\": \"the answer breaks off here"},
      {service().FaultUrl(u"bad-utf8") + u"/api/balance", u"", 200,
       u"{\"balance\": 11, \"note\": \"\uFFFD\uFFFD\uFFFD(\"}"},
  };
  for (const Case& c : cases) {
    const HttpResult result =
        HttpRequest(c.url, u"GET", c.token, std::nullopt, std::nullopt, service().options);
    EXPECT_TRUE(result.ok) << ToUtf8(c.url) << ": " << ToUtf8(result.text);
    EXPECT_EQ(result.status, c.status) << ToUtf8(c.url);
    EXPECT_EQ(result.text, c.text) << ToUtf8(c.url);
  }
}

TEST_F(HttpRequestTest, StopsReadingAHugeAnswerAtTheBound) {
  const HttpResult result = HttpRequest(service().FaultUrl(u"huge") + u"/api/balance", u"GET", u"",
                                        std::nullopt, std::nullopt, service().options);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.text.size(), kMaxResponseBytes);
  EXPECT_EQ(result.text.compare(0, 27, u"{\"balance\": 5, \"padding\": \""), 0);
  EXPECT_EQ(result.text.back(), u'x');
}

TEST_F(HttpRequestTest, ReportsEveryExchangeWithoutAnswerAsRequestFailure) {
  const std::regex kRequestFailed("HTTP request failed, GetLastError=[1-9][0-9]*");
  HttpOptions impatient = service().options;
  impatient.receiveTimeoutMs = 1000;
  struct Case {
    Text url;
    HttpOptions options;
  };
  const Case cases[] = {
      {service().FaultUrl(u"drop") + u"/api/balance", service().options},
      {service().FaultUrl(u"slow") + u"/api/balance", impatient},
      {service().untrustedUrl + u"/api/balance", service().options},
      {u"https://localhost:1/api/balance", service().options},
  };
  for (const Case& c : cases) {
    const HttpResult result =
        HttpRequest(c.url, u"GET", u"client-7f3a", std::nullopt, std::nullopt, c.options);
    EXPECT_FALSE(result.ok) << ToUtf8(c.url);
    EXPECT_EQ(result.status, 0) << ToUtf8(c.url);
    EXPECT_TRUE(std::regex_match(ToUtf8(result.text), kRequestFailed)) << ToUtf8(result.text);
  }
}

}  // namespace
}  // namespace larkspur
