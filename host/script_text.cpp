#include "host/script_text.h"

namespace larkspur {
namespace {

struct ScriptEscape {
  char16_t unit;
  std::u16string_view escape;
};

constexpr ScriptEscape kScriptEscapes[] = {
    {u'\\', u"\\\\"},  // backslash
    {u'"', u"\\\""},   // double quote
    {u'\n', u"\\n"},   // line feed
    {u'\r', u"\\r"},   // carriage return
    {u'\t', u"\\t"},   // tab
};

}  // namespace

host::Text EscapeScriptString(std::u16string_view text) {
  host::Text escaped;
  escaped.reserve(text.size() + 8);
  for (const char16_t c : text) {
    const ScriptEscape* found = nullptr;
    for (const ScriptEscape& e : kScriptEscapes) {
      if (e.unit == c) found = &e;
    }
    if (found) {
      escaped += found->escape;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace larkspur
