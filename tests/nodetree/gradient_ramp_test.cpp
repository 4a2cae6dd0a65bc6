#include "nodetree/gradient_ramp.h"

#include <gtest/gtest.h>

#include <optional>

#include "nodetree/class_dispatch.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

// A host whose script engine gives one fixed answer, so that answers the simulated probe never
// gives (malformed records, failures, non-string results) can be tried.
class ScriptedHost : public sim::SimHost {
 public:
  bool succeeds = true;
  host::ScriptResult answer;

  bool ExecuteMAXScriptScript(const Text& script, bool, host::ScriptResult* result) override {
    scripts.push_back(script);
    if (result) *result = answer;
    return succeeds;
  }
};

TEST(GradientRampTest, KeysOnlyFromRecordsOfFourFiniteNumbers) {
  const struct {
    const char* what;
    bool succeeds;
    bool isString;
    std::u16string_view answer;
    std::optional<std::u16string_view> keys;
  } cases[] = {
      {"a short record", true, true, u"10,255,0,0|20,0,0|30.0,0,255,0",
       u"\"keys\":[{\"pos\":0.1,\"color\":[1,0,0]},{\"pos\":0.3,\"color\":[0,1,0]}]"},
      {"exponent notation", true, true, u"50.0,0,0,0|1e1,255,255,255",
       u"\"keys\":[{\"pos\":0.1,\"color\":[1,1,1]},{\"pos\":0.5,\"color\":[0,0,0]}]"},
      {"no good record", true, true, u"10,255,0,0,5|x,1,2,3|nan,0,0,0|inf,0,0,0| 1,0,0,0||",
       std::nullopt},
      {"not found", true, true, u"ERROR:NOTFOUND", std::nullopt},
      {"no container", true, true, u"ERROR:NOCONTAINER", std::nullopt},
      {"empty", true, true, u"", std::nullopt},
      {"not a string", true, false, u"10,255,0,0", std::nullopt},
      {"script error", false, true, u"10,255,0,0", std::nullopt},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    host.succeeds = c.succeeds;
    host.answer = host::ScriptResult{c.isString, Text(c.answer)};
    sim::SimAnim& ramp = testing::NewMap(host, u"Gradient Ramp", u"Ramp");
    testing::AddParam(ramp, u"amount", host::param_type::kFloat, {testing::Number(0.5)});

    std::vector<Text> expected{u"\"noise_amount\":0.5"};
    if (c.keys) expected.emplace_back(*c.keys);
    EXPECT_EQ(testing::LineTexts(
                  ExportRows(RowContext{host, ramp, ParamIndex(&ramp)}, kGradientRampRows)),
              expected)
        << c.what;
  }
}

TEST(GradientRampTest, ProbeCarriesTheNameAsAnEscapedStringLiteral) {
  ScriptedHost host;
  host.answer = host::ScriptResult{true, u"ERROR:NOTFOUND"};
  EXPECT_EQ(ProbeGradientKeys(host, u"Ramp \"A\" \\ B"), u"ERROR:NOTFOUND");
  ASSERT_EQ(host.scripts.size(), 1u);
  EXPECT_NE(host.scripts[0].find(u"LK_findGradientRamp \"Ramp \\\"A\\\" \\\\ B\"\n"), Text::npos);
}

// The probe's answer cannot change within one build: a ramp that several trees reach is probed
// once per build.
TEST(GradientRampTest, ProbedOncePerMapAndBuild) {
  ScriptedHost host;
  host.answer = host::ScriptResult{true, u"0,255,0,0"};
  sim::SimAnim& ramp = testing::NewMap(host, u"Gradient Ramp", u"Ramp");
  BuildCache build;
  const KeptTexts first = ExportNodeParams(host, build, ramp);
  EXPECT_EQ(ExportNodeParams(host, build, ramp), first);
  EXPECT_EQ(host.scripts.size(), 1u);
  BuildCache nextBuild;
  ExportNodeParams(host, nextBuild, ramp);
  EXPECT_EQ(host.scripts.size(), 2u);
}

}  // namespace
}  // namespace larkspur
