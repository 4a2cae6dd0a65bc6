#include "plugin/panel_text.h"

#include "transfer/service_url.h"

namespace larkspur {

Text TrimWhitespace(std::u16string_view text) {
  constexpr std::u16string_view kWhitespace = u" \t\r\n";
  const size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::u16string_view::npos) return {};
  return Text(text.substr(first, text.find_last_not_of(kWhitespace) - first + 1));
}

Text DashboardAddress(const Text& serviceBaseUrl) {
  return HostOfUrl(serviceBaseUrl) + u"/dashboard";
}

Text TokenSavedText(const Text& token, const Text& serviceBaseUrl) {
  if (!token.empty()) return u"Token saved.";
  return u"Token is empty \u2014 enter a token from " + DashboardAddress(serviceBaseUrl);
}

}  // namespace larkspur
