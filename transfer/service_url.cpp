#include "transfer/service_url.h"

#include "transfer/http_client.h"

namespace larkspur {

Text HostOfUrl(const Text& url) {
  UrlParts parts;
  if (!ParseUrl(url, parts)) return url;
  return parts.host;
}

Text ServiceHostName() {
  return HostOfUrl(kServiceBaseUrl);
}

}  // namespace larkspur
