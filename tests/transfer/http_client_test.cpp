#include "transfer/http_client.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/transfer/test_service.h"

namespace larkspur {
namespace {

TEST(ParseUrl, SplitsSchemeHostPortAndPath) {
  struct Case {
    Text url;
    Text host;
    Text path;
    uint16_t port;
    bool secure;
  };
  const Case cases[] = {
      {u"https://api.example.com", u"api.example.com", u"/", 443, true},
      {u"https://api.example.com/", u"api.example.com", u"/", 443, true},
      {u"https://h/a/b?x=1&y=%20", u"h", u"/a/b?x=1&y=%20", 443, true},
      {u"https://h:8443/x", u"h", u"/x", 8443, true},
      {u"http://h/x", u"h", u"/x", 80, false},
      {u"http://h:443", u"h", u"/", 443, false},
      {u"HTTPS://h/x", u"h", u"/x", 80, false},
      {u"ftp://h", u"h", u"/", 80, false},
      {u"https://h:abc/", u"h", u"/", 0, true},
      {u"https://h:/", u"h", u"/", 0, true},
      {u"https://h: \t12x/", u"h", u"/", 12, true},
      {u"https://h:+7/", u"h", u"/", 7, true},
      {u"https://h:-1/", u"h", u"/", 65535, true},
      {u"https://h:70000/", u"h", u"/", 70000 & 0xFFFF, true},
      {u"https://h:99999999999/", u"h", u"/", 0xFFFF, true},
      {u"https://h:1:2/", u"h", u"/", 1, true},
      {u"https:///p", u"", u"/p", 443, true},
      {u"x://a://b/c", u"a", u"//b/c", 0, false},
  };
  for (const Case& c : cases) {
    UrlParts parts;
    ASSERT_TRUE(ParseUrl(c.url, parts)) << ToUtf8(c.url);
    EXPECT_EQ(parts.host, c.host) << ToUtf8(c.url);
    EXPECT_EQ(parts.path, c.path) << ToUtf8(c.url);
    EXPECT_EQ(parts.port, c.port) << ToUtf8(c.url);
    EXPECT_EQ(parts.secure, c.secure) << ToUtf8(c.url);
  }
}

TEST(ParseUrl, LeavesThePartsAloneWithoutSchemeSeparator) {
  for (const Text url : {u"", u"api.example.com/x", u"https:/h/x", u"https//h"}) {
    UrlParts parts{u"kept", u"/kept", 1234, false};
    EXPECT_FALSE(ParseUrl(url, parts));
    EXPECT_EQ(parts.host, u"kept");
    EXPECT_EQ(parts.path, u"/kept");
    EXPECT_EQ(parts.port, 1234);
    EXPECT_FALSE(parts.secure);
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

// A request as the echo port received it.
struct Received {
  Text requestLine;
  std::vector<Text> headers;
  Text body;

  // Index of the first header line that begins with prefix; -1 when there is none.
  int Find(std::u16string_view prefix) const {
    for (size_t i = 0; i < headers.size(); ++i) {
      if (headers[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    }
    return -1;
  }
};

Received Parse(const Text& echoed) {
  Received received;
  const size_t headEnd = echoed.find(u"\r\n\r\n");
  if (headEnd == Text::npos) return received;
  std::vector<Text> lines;
  for (size_t start = 0; start <= headEnd;) {
    const size_t end = echoed.find(u"\r\n", start);
    lines.push_back(echoed.substr(start, end - start));
    start = end + 2;
  }
  received.requestLine = lines.front();
  received.headers.assign(lines.begin() + 1, lines.end());
  received.body = echoed.substr(headEnd + 4);
  return received;
}

class HttpRequestTest : public ServiceTest {
 protected:
  Received Echo(const Text& path, const Text& method, const Text& token,
                const std::optional<std::string>& body, const std::optional<Text>& extraHeader) {
    const HttpResult result =
        HttpRequest(service().echoUrl + path, method, token, body, extraHeader, service().options);
    EXPECT_TRUE(result.ok) << ToUtf8(result.text);
    EXPECT_EQ(result.status, 200);
    return Parse(result.text);
  }
};

TEST_F(HttpRequestTest, SendsGetWithTokenAndUserAgentButNoBodyHeaders) {
  const Received r =
      Echo(u"/api/balance?x=1&y=2", u"GET", u"secret-token", std::nullopt, std::nullopt);
  EXPECT_EQ(r.requestLine, u"GET /api/balance?x=1&y=2 HTTP/1.1");
  EXPECT_NE(r.Find(u"Authorization: Bearer secret-token"), -1);
  EXPECT_NE(r.Find(u"User-Agent: Larkspur-C/2.0"), -1);
  EXPECT_NE(r.Find(u"Host: localhost"), -1);
  EXPECT_EQ(r.Find(u"Content-Type:"), -1);
  EXPECT_EQ(r.body, u"");
}

TEST_F(HttpRequestTest, SendsPostHeadersInOrderAndTheBodyUnchanged) {
  const std::string body = "{\"name\": \"Caf\xC3\xA9\",\r\n \"n\": 1}  \n";
  const Received r =
      Echo(u"/node/api/v1/jobs", u"POST", u"tok", body, Text(u"X-Job-Name: Caf%C3%A9"));
  EXPECT_EQ(r.requestLine, u"POST /node/api/v1/jobs HTTP/1.1");
  const int authorization = r.Find(u"Authorization: Bearer tok");
  const int jobName = r.Find(u"X-Job-Name: Caf%C3%A9");
  const int contentType = r.Find(u"Content-Type: application/json; charset=utf-8");
  ASSERT_NE(authorization, -1);
  EXPECT_GT(jobName, authorization);
  EXPECT_GT(contentType, jobName);
  EXPECT_NE(r.Find(u"Content-Length: " + Widen(std::to_string(body.size()))), -1);
  EXPECT_EQ(r.body, FromUtf8(body));
}

TEST_F(HttpRequestTest, SendsEmptyTokenAndEmptyBodyAsTheyAre) {
  const Received r = Echo(u"/", u"POST", u"", std::string(), std::nullopt);
  const int authorization = r.Find(u"Authorization:");
  ASSERT_NE(authorization, -1);
  // Whether a trailing space survives is the transport's affair; nothing else may follow.
  Text value = r.headers[authorization].substr(14);
  while (!value.empty() && value.back() == u' ') value.pop_back();
  EXPECT_EQ(value, u" Bearer");
  EXPECT_NE(r.Find(u"Content-Type: application/json; charset=utf-8"), -1);
  EXPECT_NE(r.Find(u"Content-Length: 0"), -1);
  EXPECT_EQ(r.body, u"");
}

TEST_F(HttpRequestTest, ReturnsEveryAnswerWithItsStatus) {
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
  };
  for (const Case& c : cases) {
    const HttpResult result =
        HttpRequest(c.url, u"GET", c.token, std::nullopt, std::nullopt, service().options);
    EXPECT_TRUE(result.ok) << ToUtf8(c.url) << ": " << ToUtf8(result.text);
    EXPECT_EQ(result.status, c.status) << ToUtf8(c.url);
    EXPECT_EQ(result.text, c.text) << ToUtf8(c.url);
  }
}

TEST_F(HttpRequestTest, KeepsWhatWasReadWhenTheAnswerBreaksOff) {
  const HttpResult cut = HttpRequest(service().FaultUrl(u"cut") + u"/api/balance", u"GET", u"",
                                     std::nullopt, std::nullopt, service().options);
  EXPECT_TRUE(cut.ok) << ToUtf8(cut.text);
  EXPECT_EQ(cut.status, 200);
  EXPECT_EQ(cut.text, u"{\"balance\": 9, \"note\": \"the answer breaks off here");
}

TEST_F(HttpRequestTest, ReplacesMalformedUtf8) {
  const HttpResult result = HttpRequest(service().FaultUrl(u"bad-utf8") + u"/api/balance", u"GET",
                                        u"", std::nullopt, std::nullopt, service().options);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.text, u"{\"balance\": 11, \"note\": \"\uFFFD\uFFFD\uFFFD(\"}");
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
    const Text prefix = kRequestFailedText;
    ASSERT_EQ(result.text.compare(0, prefix.size(), prefix), 0) << ToUtf8(result.text);
    const Text number = result.text.substr(prefix.size());
    EXPECT_FALSE(number.empty());
    EXPECT_EQ(number.find_first_not_of(u"0123456789"), Text::npos) << ToUtf8(result.text);
    EXPECT_NE(number, u"0");
  }
}

}  // namespace
}  // namespace larkspur
