#include <chrono>

#include "plugin/export_and_send.h"

namespace larkspur {

uint64_t SystemTickCount() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

}  // namespace larkspur
