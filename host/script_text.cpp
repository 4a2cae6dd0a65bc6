#include "host/script_text.h"

namespace larkspur {

host::Text EscapeScriptString(std::u16string_view text) {
  host::Text escaped;
  escaped.reserve(text.size() + 8);
  for (const char16_t c : text) {
    switch (c) {
      case u'\\':
        escaped += u"\\\\";
        break;
      case u'"':
        escaped += u"\\\"";
        break;
      case u'\n':
        escaped += u"\\n";
        break;
      case u'\r':
        escaped += u"\\r";
        break;
      case u'\t':
        escaped += u"\\t";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace larkspur
