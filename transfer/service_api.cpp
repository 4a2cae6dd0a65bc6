#include "transfer/service_api.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

namespace larkspur {
namespace {

constexpr size_t kBalanceWindow = 20;

std::optional<std::string> ReadFileBytes(const Text& path) {
  try {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
  } catch (const std::exception&) {
    // A path that the platform cannot represent, or no memory for the file.
    return std::nullopt;
  }
}

}  // namespace

int32_t ReadBalance(const Text& answer) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  const size_t key = answer.find(u"\"balance\"");
  if (key == Text::npos) return 0;
  const size_t first = key + 10;
  const size_t end = std::min(answer.size(), first + kBalanceWindow);
  int64_t value = 0;
  bool anyDigit = false;
  for (size_t i = first; i < end; ++i) {
    const char16_t c = answer[i];
    if (c >= u'0' && c <= u'9') {
      value = std::min(value * 10 + (c - u'0'), kMax);
      anyDigit = true;
    } else if (anyDigit) {
      break;
    }
  }
  return static_cast<int32_t>(value);
}

BalanceResult BalanceFromAnswer(const Text& answer) {
  const int32_t balance = ReadBalance(answer);
  if (answer.find(u"invalid token") != Text::npos ||
      answer.find(u"missing or invalid") != Text::npos) {
    return BalanceResult{false, balance, kInvalidToken};
  }
  return BalanceResult{true, balance, {}};
}

BalanceResult CheckBalance(const Text& baseUrl, const Text& token, const HttpOptions& options) {
  if (token.empty()) return BalanceResult{false, 0, kTokenEmpty};
  const HttpResult answer =
      HttpRequest(baseUrl + kBalancePath, u"GET", token, std::nullopt, std::nullopt, options);
  if (!answer.ok) return BalanceResult{false, 0, answer.text};
  return BalanceFromAnswer(answer.text);
}

HttpResult SubmitJob(const Text& baseUrl, const Text& packagePath, const Text& token,
                     const Text& jobName, const HttpOptions& options) {
  const std::optional<std::string> body = ReadFileBytes(packagePath);
  if (!body) return HttpResult{false, u"Cannot read JSON file: " + packagePath, 0};
  return PostJob(baseUrl + kJobsPath, token, *body, jobName, options);
}

HttpResult PostJob(const Text& url, const Text& token, const std::string& body, const Text& jobName,
                   const HttpOptions& options) {
  HttpResult result =
      HttpRequest(url, u"POST", token, body, u"X-Job-Name: " + PercentEncode(jobName), options);
  if (result.ok && result.status >= 400) result.ok = false;
  return result;
}

}  // namespace larkspur
