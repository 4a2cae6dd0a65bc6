// The gradient probe's answer (UTF-8, as a script returns it) read into keys: never more keys than
// records, every number finite, the keys in ascending position.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/text.h"
#include "nodetree/gradient_ramp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  const Text answer = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<GradientKey> keys = ParseGradientKeys(answer);
  size_t records = 1;
  for (const char16_t c : answer) records += c == u'|';
  if (keys.size() > records) std::abort();
  for (size_t i = 0; i < keys.size(); ++i) {
    const GradientKey& key = keys[i];
    if (!std::isfinite(key.position) || !std::isfinite(key.color.r) ||
        !std::isfinite(key.color.g) || !std::isfinite(key.color.b)) {
      std::abort();
    }
    if (i > 0 && keys[i - 1].position > key.position) std::abort();
  }
  return 0;
}
