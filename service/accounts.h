// The stand-in's accounts: one line per token in the token file, "TOKEN BALANCE JOB_COST", with
// "#" starting a comment line. Balances live in memory for the lifetime of the service.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace larkspur::service {

struct Account {
  long long balance = 0;
  long long jobCost = 0;
};

enum class ChargeOutcome { kUnknownToken, kInsufficientBalance, kCharged };

struct Charge {
  ChargeOutcome outcome = ChargeOutcome::kUnknownToken;
  Account account;  // after the charge when charged, as it stood otherwise
};

class Accounts {
 public:
  // Replaces the accounts with those of the file; false with a message when it cannot be read or
  // a line is malformed.
  bool Load(const std::string& path, std::string& error);
  std::optional<Account> Find(const std::string& token) const;
  // Takes the job's cost from the balance when the balance covers it.
  Charge ChargeJob(const std::string& token);
  // Gives a charged job's cost back, for a job that could not be kept.
  void Refund(const std::string& token);

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Account> accounts_;
};

// The token of an "Authorization: Bearer TOKEN" header value; empty when there is none.
std::string BearerToken(const std::string& authorization);

}  // namespace larkspur::service
