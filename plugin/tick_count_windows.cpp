#include <windows.h>

#include "plugin/export_and_send.h"

namespace larkspur {

uint64_t SystemTickCount() {
  return GetTickCount64();
}

}  // namespace larkspur
