#include "service/accounts.h"

#include <fstream>
#include <sstream>

namespace larkspur::service {

bool Accounts::Load(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file.is_open()) {
    error = "cannot read the token file " + path;
    return false;
  }
  std::unordered_map<std::string, Account> loaded;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    std::istringstream fields(line);
    std::string token;
    if (!(fields >> token) || token[0] == '#') continue;
    Account account;
    std::string rest;
    if (!(fields >> account.balance >> account.jobCost) || (fields >> rest)) {
      error = path + ":" + std::to_string(number) + ": expected TOKEN BALANCE JOB_COST";
      return false;
    }
    loaded[token] = account;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  accounts_ = std::move(loaded);
  return true;
}

std::optional<Account> Accounts::Find(const std::string& token) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = accounts_.find(token);
  if (found == accounts_.end()) return std::nullopt;
  return found->second;
}

Charge Accounts::ChargeJob(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = accounts_.find(token);
  if (found == accounts_.end()) return Charge{};
  Account& account = found->second;
  if (account.balance < account.jobCost) {
    return Charge{ChargeOutcome::kInsufficientBalance, account};
  }
  account.balance -= account.jobCost;
  return Charge{ChargeOutcome::kCharged, account};
}

void Accounts::Refund(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = accounts_.find(token);
  if (found != accounts_.end()) found->second.balance += found->second.jobCost;
}

std::string BearerToken(const std::string& authorization) {
  static const std::string kScheme = "Bearer ";
  if (authorization.compare(0, kScheme.size(), kScheme) != 0) return {};
  return authorization.substr(kScheme.size());
}

}  // namespace larkspur::service
