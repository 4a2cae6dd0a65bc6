#include "json/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace larkspur {
namespace {

TEST(EscapeJsonString, EscapesEachCodeUnitAsTheTableSays) {
  struct Case {
    Text in;
    Text out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"plain", u"plain"},
      {u"a\"b\\c", u"a\\\"b\\\\c"},
      {u"\t\n\r", u"\\t\\n\\r"},
      {Text(1, u'\x01'), u"\\u0001"},
      {Text(1, u'\x1f'), u"\\u001f"},
      {Text(1, u'\b'), u"\\u0008"},
      {Text(1, u'\f'), u"\\u000c"},
      {Text(1, u'\0'), u"\\u0000"},
      {u"/\x7f\u00e9", u"/\x7f\u00e9"},
      {Text(1, char16_t(0xD800)), Text(1, char16_t(0xD800))},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeJsonString(c.in), c.out) << ToUtf8(c.out);
}

TEST(FormatJsonFloat, SixSignificantDigitsInTheShorterNotation) {
  struct Case {
    float in;
    const char16_t* out;
  };
  const Case cases[] = {
      {1.0f, u"1"},
      {2.0f, u"2"},
      {0.5f, u"0.5"},
      {0.1f, u"0.1"},
      {100000.0f, u"100000"},
      {1234567.0f, u"1.23457e+06"},
      {0.0000001f, u"1e-07"},
      {3.14159265f, u"3.14159"},
      {-0.0f, u"-0"},
      {-2.5f, u"-2.5"},
      {0.75f, u"0.75"},
      {1e-5f, u"1e-05"},
      {0.0001f, u"0.0001"},
      {999999.5f, u"1e+06"},
      {999999.0f, u"999999"},
      {-999999.0f, u"-999999"},
      {1e6f, u"1e+06"},
      {-1e6f, u"-1e+06"},
      {std::numeric_limits<float>::infinity(), u"null"},
      {-std::numeric_limits<float>::infinity(), u"null"},
      {std::numeric_limits<float>::quiet_NaN(), u"null"},
      {std::numeric_limits<float>::max(), u"3.40282e+38"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatJsonFloat(c.in), c.out) << c.in;
}

TEST(FormatJsonArrays, ComponentsInOrderWithNonFiniteAsNull) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(FormatJsonColor({1.0f, 0.5f, 0.0f}), u"[1,0.5,0]");
  EXPECT_EQ(FormatJsonColor({inf, 0.0f, 0.0f}), u"[null,0,0]");
  EXPECT_EQ(FormatJsonPoint3({0.0f, 0.0f, 1.0f}), u"[0,0,1]");
  EXPECT_EQ(FormatJsonQuat({0.0f, 0.0f, 0.0f, 1.0f}), u"[1,0,0,0]");
  EXPECT_EQ(FormatJsonQuat({0.1f, 0.2f, 0.3f, 0.9f}), u"[0.9,0.1,0.2,0.3]");
  EXPECT_EQ(FormatJsonBool(true), u"true");
  EXPECT_EQ(FormatJsonBool(false), u"false");
}

// Packages are converted a block of ASCII units at a time, into room for one byte per unit that
// grows when a unit needs more: a block's edges and a text that must grow are where it goes wrong.
TEST(AppendUtf8, BlocksOfAsciiAndTheUnitsBetweenThem) {
  const Text a15(15, u'a');
  const std::string b15(15, 'a');
  const struct {
    Text in;
    std::string out;
  } cases[] = {
      {a15 + u"\U0001F600" + a15 + u"a", b15 + "\xF0\x9F\x98\x80" + b15 + "a"},
      {Text(1, char16_t(0xDC00)) + a15 + u"a" + Text(1, char16_t(0xD800)),
       "\xEF\xBF\xBD" + b15 + "a\xEF\xBF\xBD"},
      {u"ŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁ", "ŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁ"},  // each unit's low byte is ASCII
      {u"€€€€€€€€€€€€€€€€€€€€", "€€€€€€€€€€€€€€€€€€€€"},
  };
  for (const auto& c : cases) {
    std::string appended = "{";
    AppendUtf8(appended, c.in);
    EXPECT_EQ(appended, "{" + c.out) << c.out;
  }
}

}  // namespace
}  // namespace larkspur
