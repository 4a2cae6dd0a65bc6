#include "host/text.h"

#include <gtest/gtest.h>

namespace larkspur {
namespace {

TEST(ToUtf8, EncodesPairsAndReplacesUnpairedSurrogates) {
  struct Case {
    Text in;
    std::string out;
  };
  const Case cases[] = {
      {u"", ""},
      {u"abc", "abc"},
      {u"\u00e9", "\xC3\xA9"},
      {u"\u20ac", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {Text(1, char16_t(0xD800)), "\xEF\xBF\xBD"},
      {Text(1, char16_t(0xDC00)) + u"x", "\xEF\xBF\xBDx"},
      {Text{char16_t(0xDC00), char16_t(0xD800)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(c.in), c.out);
}

TEST(FromUtf8, DecodesAndReplacesMalformedInput) {
  struct Case {
    std::string in;
    Text out;
  };
  const Case cases[] = {
      {"", u""},
      {"Caf\xC3\xA9", u"Caf\u00e9"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xFF", u"\uFFFD"},
      {"a\xC3", u"a\uFFFD"},
      {"\xE2\x82x", u"\uFFFDx"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(FromUtf8(c.in), c.out) << c.in;
}

TEST(CaseFolding, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsIgnoreCase(u"DIFFUSECOLOR", u"diffuseColor"));
  EXPECT_FALSE(EqualsIgnoreCase(u"diffuse", u"diffuseColor"));
  EXPECT_FALSE(EqualsIgnoreCase(u"\u00c9", u"\u00e9"));
  EXPECT_EQ(ToLowerAscii(u"CoronaMtl \u00c9"), u"coronamtl \u00c9");
  EXPECT_EQ(FormatInt(-3), u"-3");
  EXPECT_EQ(FormatInt(0), u"0");
}

}  // namespace
}  // namespace larkspur
