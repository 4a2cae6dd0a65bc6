// The balance check's reading of any answer body (UTF-8, as it arrives). The balance is never
// negative, is 0 without a "balance" key, and the verdict refuses exactly the answers that name
// an invalid token.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/text.h"
#include "transfer/service_api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  const Text answer = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const BalanceResult result = BalanceFromAnswer(answer);
  if (result.balance < 0 || result.balance != ReadBalance(answer)) std::abort();
  if (answer.find(u"\"balance\"") == Text::npos && result.balance != 0) std::abort();
  const bool refused = answer.find(u"invalid token") != Text::npos ||
                       answer.find(u"missing or invalid") != Text::npos;
  if (result.ok == refused || result.error != (refused ? Text(kInvalidToken) : Text())) {
    std::abort();
  }
  return 0;
}
