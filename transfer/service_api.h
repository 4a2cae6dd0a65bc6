// The web service's two operations: the balance of the account that owns a token, and the
// submission of one job. Both block until the exchange ends and keep nothing between calls.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/http_client.h"

namespace larkspur {

inline constexpr char16_t kBalancePath[] = u"/api/balance";
inline constexpr char16_t kJobsPath[] = u"/node/api/v1/jobs";
inline constexpr char16_t kTokenEmpty[] = u"token_empty";
inline constexpr char16_t kInvalidToken[] = u"invalid_token";

struct BalanceResult {
  bool ok = false;
  int32_t balance = 0;  // credits; 0 when the answer names none
  Text error;           // empty when ok; "token_empty", "invalid_token" or a transport failure text
};

// The number behind the first "balance" key of an answer: the digits found among the 20
// characters that follow the character right behind the key, non-digits before them skipped. A
// number beyond the 32-bit range reads as the largest one.
int32_t ReadBalance(const Text& answer);

// The balance check's verdict on an answer that arrived, whatever its status.
BalanceResult BalanceFromAnswer(const Text& answer);

BalanceResult CheckBalance(const Text& baseUrl, const Text& token, const HttpOptions& options = {});

// Posts the package file's bytes unchanged as the job named jobName.
HttpResult SubmitJob(const Text& baseUrl, const Text& packagePath, const Text& token,
                     const Text& jobName, const HttpOptions& options = {});

// An answer with a status of 400 or more is a refusal: ok false, with the answer's body as the
// text, so that the service's own words ("insufficient balance") reach the caller.
HttpResult PostJob(const Text& url, const Text& token, const std::string& body, const Text& jobName,
                   const HttpOptions& options = {});

}  // namespace larkspur
