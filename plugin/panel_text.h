// Texts and text rules that the panel and the workflow share.
#pragma once

#include <string_view>

#include "host/text.h"

namespace larkspur {

// The title of the panel's message boxes.
inline constexpr char16_t kPanelTitle[] = u"Larkspur Exporter";

// text without its leading and trailing spaces, tabs, CRs and LFs; inner characters untouched.
Text TrimWhitespace(std::u16string_view text);

// "<service host>/dashboard", the address the panel's texts send the user to.
Text DashboardAddress(const Text& serviceBaseUrl);

// What "Save" says after storing the (trimmed) token.
Text TokenSavedText(const Text& token, const Text& serviceBaseUrl);

}  // namespace larkspur
