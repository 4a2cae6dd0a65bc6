// Where the web service lives. The origin is chosen when the system is built (the CMake cache
// variable LARKSPUR_SERVICE_URL); no setting changes it.
#pragma once

#include "host/text.h"

namespace larkspur {

// One https origin without a trailing slash.
extern const char16_t kServiceBaseUrl[];

// The host of url as the panel names it in its texts ("<host>/dashboard").
Text HostOfUrl(const Text& url);

// The host of the service base URL.
Text ServiceHostName();

}  // namespace larkspur
