// Scene documents are read by a fast parser that gives up on anything unusual, and then by a
// complete one. Every text must give the document, or the message, that the complete parser alone
// gives.
#include "host/sim/scene_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/sim/scene_text.h"

namespace larkspur::sim::scene_file {
namespace {

// Every value with its kind, exact number and bytes, and key.
std::string Dump(const JsonValue& value) {
  std::string out = value.MemberKey().empty() ? "" : "<" + std::string(value.MemberKey()) + ">";
  char number[64];
  switch (value.Kind()) {
    case JsonKind::kNull:
      return out + "null";
    case JsonKind::kBool:
      return out + (value.Bool() ? "true" : "false");
    case JsonKind::kInteger:
      return out + "i" + std::to_string(value.Integer());
    case JsonKind::kUnsigned:
      return out + "u" + std::to_string(value.Unsigned());
    case JsonKind::kFloat:
      std::snprintf(number, sizeof number, "f%a", value.Number());
      return out + number;
    case JsonKind::kString:
      return out + "\"" + std::string(value.String()) + "\"";
    case JsonKind::kList:
    case JsonKind::kObject:
      out += value.IsList() ? "[" : "{";
      for (const JsonValue& item : value) out += Dump(item) + ",";
      return out + (value.IsList() ? "]" : "}");
  }
  return out;
}

template <typename Read>
std::string Outcome(Read read) {
  try {
    return Dump(read().Root());
  } catch (const FormatError& error) {
    return "error at '" + error.path + "': " + error.what;
  }
}

std::string Loaded(const std::string& json) {
  return Outcome([&] { return ReadDocument(json); });
}

std::string CompleteOnly(const std::string& json) {
  return Outcome([&] {
    const std::optional<std::string> carried = CarryLoneSurrogates(json);
    DocumentBuilder builder;
    ParseJson(carried ? *carried : json, builder);
    return builder.Finish();
  });
}

bool FastTakesAsIs(const std::string& json) {
  DocumentBuilder builder;
  return ParseJsonFast(json, FeaturesOf(json), builder);
}

bool FastTakes(const std::string& json) {
  const std::optional<std::string> carried = CarryLoneSurrogates(json);
  return FastTakesAsIs(carried ? *carried : json);
}

TEST(SceneDocument, EveryTextReadsAsTheCompleteParserReadsIt) {
  const std::string manyDigits = "1" + std::string(400, '0');
  const std::string manyKeys = R"("k0": 0, "k1": 1, "k2": 2, "k3": 3, "k4": 4, "k5": 5, "k6": 6,
                                  "k7": 7, "k8": 8, "k9": 9)";
  const struct {
    std::string json;
    bool fast;  // whether the fast parser takes it
  } cases[] = {
      // Integers fit 64 bits signed with a minus, unsigned without; all else is a double.
      {"[-0, 0, -1, 18446744073709551615, -9223372036854775808]", true},
      {"[18446744073709551616, -9223372036854775809, 123456789012345678901234567890]", true},
      {"[1.0, 1e2, 1E-2, -0.0, 0.1, 2.5e+3, 4.9e-324, 2.2250738585072011e-308]", true},
      {"[1.7976931348623157e308, 0.30000000000000004, 3.141592653589793238462643383]", true},
      // Valid numbers beyond what the fast parser takes, and numbers beyond a double.
      {"[1e-400]", false},
      {"[0e400]", false},
      {"[" + manyDigits + "e-400]", false},
      {"[1e400]", false},
      {"[10e308]", false},
      {"[" + manyDigits + "]", false},
      // Strings: escapes, UTF-8, carried lone surrogates, keys.
      {R"(["", "a\"b\\c\/d\b\f\n\r\t", "\u0000x", "\u00e9\u20AC\ud834\udd1e"])", true},
      {"[\"\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xEF\xBF\xBF\"]", true},
      {R"(["\ud800", "a\udc00b", "\ud800\ud800", "\\ud800", "\ufdd0"])", true},
      {R"({"a": {"b": [1, {"c": null}]}, "": true, "k\u00e9": false, "\ud800": []})", true},
      {"\xEF\xBB\xBF \t\r\n{ \"a\" : [ 1 , 2 ] }\n", true},
      {"{" + manyKeys + "}", true},
      // Not JSON, or not UTF-8.
      {"", false},
      {"{", false},
      {"[1,]", false},
      {"[01]", false},
      {"[1.]", false},
      {"[.5]", false},
      {"[+1]", false},
      {"[1e]", false},
      {"[-]", false},
      {"[NaN]", false},
      {R"(["\x"])", false},
      {R"(["\u12"])", false},
      {"[\"a\tb\"]", false},
      {"[\"\xC0\x80\"]", false},
      {"[\"\xED\xA0\x80\"]", false},
      {"[\"\xF4\x90\x80\x80\"]", false},
      {"[\"\xE2\x82\"]", false},
      {"[\"\xE2\x82", false},
      {"[\xC3\xA9]", false},
      {"[1] x", false},
      {std::string("[1]\0", 4), false},
      {std::string("[\"a\0\"]", 6), false},
      {"[true false]", false},
      {"\xEF\xBB{}", false},
      {"{\"a\" 1}", false},
      {"{1: 2}", false},
      // Repeated keys: refused once the whole text has parsed, the first one in the text named.
      {R"([{"a": 1, "b": {"c": 1, "c": 2}, "a": 2}])", true},
      {"{" + manyKeys + R"(, "k3": 0, "k9": 1})", true},
      {R"({"a": 1, "a": 2)", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Loaded(c.json), CompleteOnly(c.json)) << c.json;
    EXPECT_EQ(FastTakes(c.json), c.fast) << c.json;
  }
}

// Keys alike in length, first and last byte are told apart by their bytes, before and after an
// object has many keys.
TEST(SceneDocument, RepeatedKeysAreFoundAmongKeysAlike) {
  const struct {
    std::string json;
    std::string outcome;
  } cases[] = {
      {R"({"kab": 1, "kxb": 2, "k": 3, "kb": 4})", "{<kab>u1,<kxb>u2,<k>u3,<kb>u4,}"},
      {R"({"abcdefgh": 1, "abcdxfgh": 2, "abcdefgh7": 3, "abcdzfgh7": 4})",
       "{<abcdefgh>u1,<abcdxfgh>u2,<abcdefgh7>u3,<abcdzfgh7>u4,}"},
      {R"({"kab": 1, "kxb": 2, "kab": 3})", "error at 'kab': the key appears twice in one object"},
      {R"({"a": {"name": 1, "nome": 2, "type": 3, "nome": 4}})",
       "error at 'a.nome': the key appears twice in one object"},
      {R"({"": 1, "x": 2, "": 3})", "error at '': the key appears twice in one object"},
      {R"({"k0": 0, "k1": 1, "k2": 2, "k3": 3, "k4": 4, "k5": 5, "k6": 6, "k7": 7, "kx": 8,
           "k1": 9})",
       "error at 'k1': the key appears twice in one object"},
  };
  for (const auto& c : cases) EXPECT_EQ(Loaded(c.json), c.outcome) << c.json;
}

// Each feature is found wherever it lies, in a block of 64 bytes, across two, or in the tail, and
// a leading byte order mark is none of them.
TEST(SceneDocument, TextFeaturesAreFoundAnywhere) {
  const struct {
    std::string bytes;
    TextFeatures features;
  } placed[] = {
      {"\\u", {true, false, false}},
      {"\\\\", {false, false, false}},
      {"\\\\u", {true, false, false}},
      {"\\ u", {false, false, false}},
      {std::string(1, '\0'), {false, false, true}},
      {"\xC3\xA9", {false, true, false}},
      {"u\\", {false, false, false}},
  };
  for (const auto& p : placed) {
    for (size_t at = 0; at + p.bytes.size() <= 200; ++at) {
      std::string text(200, 'a');
      text.replace(at, p.bytes.size(), p.bytes);
      for (const std::string& json : {text, std::string(kByteOrderMark) + text}) {
        const TextFeatures found = FeaturesOf(json);
        EXPECT_EQ(found.escapedUnit, p.features.escapedUnit) << p.bytes << " at " << at;
        EXPECT_EQ(found.nonAscii, p.features.nonAscii) << p.bytes << " at " << at;
        EXPECT_EQ(found.zeroByte, p.features.zeroByte) << p.bytes << " at " << at;
      }
    }
  }
}

TEST(SceneDocument, TheFastParserGivesUpWhereTheCompleteOneRefuses) {
  // Lone surrogates are carried before parsing; uncarried, the complete parser refuses them.
  EXPECT_FALSE(FastTakesAsIs(R"(["\udc00"])"));
  EXPECT_FALSE(FastTakesAsIs(R"(["\ud800"])"));
  EXPECT_FALSE(FastTakesAsIs(R"({"\udc00": 1})"));
}

// The fast parser recurses: deep texts are the complete parser's, which does not.
TEST(SceneDocument, DeepNestingIsReadWithoutRecursion) {
  EXPECT_TRUE(FastTakes(std::string(512, '[') + std::string(512, ']')));
  EXPECT_FALSE(FastTakes(std::string(513, '[') + std::string(513, ']')));
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_EQ(ReadDocument(deep).Root().Size(), 1u);
  EXPECT_NE(Loaded(std::string(200000, '[')).find("not valid JSON"), std::string::npos);
}

// Records each member it takes, and each restart.
class RecordingSink final : public MemberSink {
 public:
  void Take(std::string_view key, const JsonValue& value) override {
    taken += (key == value.MemberKey() ? Dump(value) : "a wrong key") + ";";
  }
  void Restart() override { taken += "restart;"; }
  std::string taken;
};

// The members of the streamed object reach the sink whole and in order, the document keeps the
// object empty, and its keys, and those of many-keyed objects in members dropped before, are
// checked for repeats as in a document read whole.
TEST(SceneDocument, StreamedMembersGoToTheSinkOneByOne) {
  const std::string manyKeys = R"({"k0": 0, "k1": 1, "k2": 2, "k3": 3, "k4": 4, "k5": 5,
                                   "k6": 6, "k7": 7, "k8": 8})";
  const std::string deep = std::string(600, '[') + std::string(600, ']');
  const struct {
    std::string json;
    std::string taken;
    std::string document;
  } cases[] = {
      {R"({"a": 1, "s": {"x": [1, {"y": 2}], "z": "t"}, "b": {"s": {"n": 1}}})",
       R"(<x>[u1,{<y>u2,},];<z>"t";)", R"({<a>u1,<s>{},<b>{<s>{<n>u1,},},})"},
      {R"({"s": [{"x": 1}], "t": {"s": 1}})", "", R"({<s>[{<x>u1,},],<t>{<s>u1,},})"},
      {R"([{"s": {"x": 1}}])", "", R"([{<s>{<x>u1,},},])"},
      {R"({"s": {"p": )" + manyKeys + R"(, "q": )" + manyKeys + "}}",
       "<p>{<k0>u0,<k1>u1,<k2>u2,<k3>u3,<k4>u4,<k5>u5,<k6>u6,<k7>u7,<k8>u8,};"
       "<q>{<k0>u0,<k1>u1,<k2>u2,<k3>u3,<k4>u4,<k5>u5,<k6>u6,<k7>u7,<k8>u8,};",
       R"({<s>{},})"},
      {R"({"s": {"x": 1, "y": 2, "x": 3}})", "<x>u1;<y>u2;<x>u3;",
       "error at 's.x': the key appears twice in one object"},
      // The fast parser gives up on deep nesting; the complete one starts again.
      {R"({"s": {"x": 1, "d": )" + deep + "}}",
       "<x>u1;restart;<x>u1;<d>" + Dump(ReadDocument(deep).Root()) + ";", R"({<s>{},})"},
  };
  for (const auto& c : cases) {
    RecordingSink sink;
    EXPECT_EQ(Outcome([&] { return ReadDocument(c.json, "s", &sink); }), c.document) << c.json;
    EXPECT_EQ(sink.taken, c.taken) << c.json;
  }
}

}  // namespace
}  // namespace larkspur::sim::scene_file
