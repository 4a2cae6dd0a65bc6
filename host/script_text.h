// Text placed inside the host's scripts. Every name taken from the scene goes through here, so
// that no name can end its string literal early or change what the script addresses.
#pragma once

#include <string_view>

#include "host/types.h"

namespace larkspur {

// The text as the body of a double-quoted script string literal: backslash, double quote, line
// feed, carriage return and tab become \\, \", \n, \r and \t; everything else stays as it is.
host::Text EscapeScriptString(std::u16string_view text);

}  // namespace larkspur
