#include "transfer/service_api.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/transfer/test_service.h"

namespace larkspur {
namespace {

TEST(ReadBalance, ReadsTheDigitsBehindTheKey) {
  struct Case {
    Text answer;
    int32_t balance;
  };
  const Case cases[] = {
      {u"{\"balance\": 250}", 250},
      {u"{\"balance\":250}", 250},
      {u"{\"balance\" : 250}", 250},
      {u"{\"balance\": 12.75}", 12},
      {u"{\"balance\": -40}", 40},
      {u"{\"balance\": \"none\"}", 0},
      {u"{\"balance\": \"7 credits\"}", 7},
      {u"{\"balance\":" + Text(25, u' ') + u"9}", 0},
      {u"{\"balance\":" + Text(18, u' ') + u"95}", 95},
      {u"{\"balance\":" + Text(19, u' ') + u"95}", 9},
      {u"{\"balance\": 1, \"balance\": 2}", 1},
      {u"{\"Balance\": 5}", 0},
      {u"\"balance\"", 0},
      {u"\"balance\"7", 0},
      {u"\"balance\"x7", 7},
      {u"{\"balance\": 2147483647}", 2147483647},
      {u"{\"balance\": 99999999999999999999}", 2147483647},
      {u"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadBalance(c.answer), c.balance) << ToUtf8(c.answer);
}

TEST(BalanceFromAnswer, RecognisesOnlyTheTwoTokenPhrases) {
  struct Case {
    Text answer;
    bool ok;
    int32_t balance;
    Text error;
  };
  const Case cases[] = {
      {u"{\"balance\": 250}", true, 250, u""},
      {u"<html>Bad gateway</html>", true, 0, u""},
      {u"{\"error\": \"invalid token\"}", false, 0, u"invalid_token"},
      {u"{\"detail\": \"token missing or invalid\"}", false, 0, u"invalid_token"},
      {u"{\"error\": \"Invalid Token\"}", true, 0, u""},
      {u"{\"balance\": 30, \"warning\": \"invalid token\"}", false, 30, u"invalid_token"},
  };
  for (const Case& c : cases) {
    const BalanceResult result = BalanceFromAnswer(c.answer);
    EXPECT_EQ(result.ok, c.ok) << ToUtf8(c.answer);
    EXPECT_EQ(result.balance, c.balance) << ToUtf8(c.answer);
    EXPECT_EQ(result.error, c.error) << ToUtf8(c.answer);
  }
}

class ServiceApiTest : public ServiceTest {};

TEST_F(ServiceApiTest, ChecksTheBalanceUnlessTheTokenIsEmpty) {
  struct Case {
    Text base;
    Text token;
    bool ok;
    int32_t balance;
    const char* error;  // a pattern of the whole error
  };
  const Case cases[] = {
      {service().httpsUrl, u"balance-2c9e", true, 250, ""},
      {service().httpsUrl, u"unknown", false, 0, "invalid_token"},
      {service().FaultUrl(u"drop"), u"balance-2c9e", false, 0,
       "HTTP request failed, GetLastError=[1-9][0-9]*"},
      // No request: one would fail with "Invalid URL: ...".
      {u"not a url", u"", false, 0, "token_empty"},
  };
  for (const Case& c : cases) {
    const BalanceResult result = CheckBalance(c.base, c.token, service().options);
    EXPECT_EQ(result.ok, c.ok) << ToUtf8(c.base) << ": " << ToUtf8(result.error);
    EXPECT_EQ(result.balance, c.balance) << ToUtf8(c.base);
    EXPECT_TRUE(std::regex_match(ToUtf8(result.error), std::regex(c.error)))
        << ToUtf8(result.error);
  }
}

// The balance of the submitting account, read through the service.
int32_t BalanceOf(const Text& token) {
  return CheckBalance(Service().httpsUrl, token, Service().options).balance;
}

TEST_F(ServiceApiTest, SubmitsThePackageBytesUnchangedAndIsCharged) {
  const std::string package = "{\r\n  \"objects\": [\"Caf\xC3\xA9\", \"\xE2\x82\xAC\"]\r\n}\n  \t";
  const std::string path = service().ScratchPath("1.json");
  ASSERT_TRUE(WriteBytes(path, package));
  const int32_t before = BalanceOf(u"submit-5d1b");

  const HttpResult result = SubmitJob(service().httpsUrl, FromUtf8(path), u"submit-5d1b",
                                      u"scene_unchanged", service().options);
  EXPECT_TRUE(result.ok) << ToUtf8(result.text);
  EXPECT_EQ(result.status, 201);
  EXPECT_EQ(ReadBytes(service().JobFile("scene_unchanged")), package);
  EXPECT_EQ(BalanceOf(u"submit-5d1b"), before - 10);
}

TEST_F(ServiceApiTest, SendsTheJobNamePercentEncoded) {
  const HttpResult echoed = PostJob(service().echoUrl + kJobsPath, u"t", "{}",
                                    u"Caf\u00e8 Job ../x-1.2_~", service().options);
  ASSERT_TRUE(echoed.ok) << ToUtf8(echoed.text);
  EXPECT_NE(echoed.text.find(u"\r\nX-Job-Name: Caf%C3%A8%20Job%20..%2Fx-1.2_~\r\n"), Text::npos)
      << ToUtf8(echoed.text);

  // The service keeps the job inside its data folder whatever the name.
  const HttpResult stored = PostJob(service().httpsUrl + kJobsPath, u"submit-5d1b", "{}",
                                    u"../../escaped job", service().options);
  EXPECT_TRUE(stored.ok) << ToUtf8(stored.text);
  EXPECT_NE(stored.text.find(u"\"job\": \"_.._escaped_job\""), Text::npos) << ToUtf8(stored.text);
  EXPECT_TRUE(ReadBytes(service().JobFile("_.._escaped_job")).has_value());
}

TEST_F(ServiceApiTest, FailsWithTheServicesWordsOrTheTransportsText) {
  struct Case {
    Text base;
    Text token;
    std::string body;
    int status;
    Text phrase;
  };
  const Case cases[] = {
      {service().httpsUrl, u"poor-8e4c", "{}", 402, u"insufficient balance"},
      {service().httpsUrl, u"unknown", "{}", 401, u"invalid token"},
      {service().httpsUrl, u"submit-5d1b", "{\"cut\": ", 400, u"not JSON"},
      {service().httpsUrl, u"submit-5d1b", "", 400, u"not JSON"},
      {service().FaultUrl(u"error"), u"submit-5d1b", "{}", 500, u"internal error"},
      {service().FaultUrl(u"drop"), u"submit-5d1b", "{}", 0, kRequestFailedText},
  };
  for (const Case& c : cases) {
    const HttpResult result =
        PostJob(c.base + kJobsPath, c.token, c.body, u"refused_job", service().options);
    EXPECT_FALSE(result.ok) << ToUtf8(c.phrase);
    EXPECT_EQ(result.status, c.status) << ToUtf8(c.phrase);
    EXPECT_NE(result.text.find(c.phrase), Text::npos) << ToUtf8(result.text);
  }
  EXPECT_FALSE(ReadBytes(service().JobFile("refused_job")).has_value());
  EXPECT_EQ(BalanceOf(u"poor-8e4c"), 5);
}

TEST_F(ServiceApiTest, ReadsNoMissingPackageAndSendsNothing) {
  const Text path = FromUtf8(service().ScratchPath("missing")) + u"/1.json";
  const HttpResult result =
      SubmitJob(service().httpsUrl, path, u"submit-5d1b", u"never_sent", service().options);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.text, u"Cannot read JSON file: " + path);
  EXPECT_EQ(result.status, 0);
  EXPECT_FALSE(ReadBytes(service().JobFile("never_sent")).has_value());
}

TEST_F(ServiceApiTest, ServiceLogNamesRequestsButNoToken) {
  ASSERT_TRUE(CheckBalance(service().httpsUrl, u"balance-2c9e", service().options).ok);
  const std::string log = service().Log();
  EXPECT_NE(log.find("GET /api/balance 200"), std::string::npos) << log;
  for (const char* token : {"balance-2c9e", "submit-5d1b", "poor-8e4c", "client-7f3a"}) {
    EXPECT_EQ(log.find(token), std::string::npos) << token;
  }
}

}  // namespace
}  // namespace larkspur
