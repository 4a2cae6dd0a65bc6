// URL splitting and percent-encoding on any UTF-16 text. A text with "://" splits into a host
// without ":" or "/" and a path that begins with "/"; any other text leaves the parts alone. The
// encoding holds only unreserved characters and %XX of the other bytes, and decodes to the text's
// UTF-8 bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_text.h"
#include "host/text.h"
#include "transfer/http_client.h"

namespace {

bool IsUnreserved(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'-' || c == u'.' || c == u'_' || c == u'~';
}

// The value of an upper-case hexadecimal digit; -1 for anything else.
int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The bytes of an encoding; aborts on anything but unreserved characters and %XX of a byte that
// is not one.
std::string PercentDecodeStrict(const larkspur::Text& encoded) {
  std::string bytes;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (IsUnreserved(encoded[i])) {
      bytes += static_cast<char>(encoded[i]);
      continue;
    }
    if (encoded[i] != u'%' || encoded.size() - i < 3) std::abort();
    const int high = HexValue(encoded[i + 1]);
    const int low = HexValue(encoded[i + 2]);
    if (high < 0 || low < 0 || IsUnreserved(static_cast<char16_t>(high * 16 + low))) std::abort();
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  const Text text = fuzz::UnitsOf(data, size);

  const UrlParts untouched{u"untouched", u"/untouched", 1, false};
  UrlParts parts = untouched;
  const bool parsed = ParseUrl(text, parts);
  if (parsed != (text.find(u"://") != Text::npos)) std::abort();
  if (parsed) {
    if (parts.host.find_first_of(u":/") != Text::npos || parts.path.empty() ||
        parts.path[0] != u'/') {
      std::abort();
    }
  } else if (parts.host != untouched.host || parts.path != untouched.path ||
             parts.port != untouched.port || parts.secure != untouched.secure) {
    std::abort();
  }

  if (PercentDecodeStrict(PercentEncode(text)) != ToUtf8(text)) std::abort();
  return 0;
}
