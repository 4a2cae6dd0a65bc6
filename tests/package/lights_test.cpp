#include "package/lights.h"

#include <gtest/gtest.h>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;
namespace sc = host::super_class;

using testing::Number;
using testing::Rgb;
using testing::String;

// Adds a parameter to the anim's last block.
void AddParam(sim::SimAnim& anim, const Text& name, host::ParamType type, sim::SimValue value) {
  if (anim.blocks.empty()) testing::AddBlock(anim);
  testing::AddParam(*anim.blocks.back(), name, type, std::move(value));
}

const Text kIdentityTransform =
    u"\"transform\":{\"position\":[0,0,0],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}";

class LightsTest : public ::testing::Test {
 protected:
  LightsTest() { host_.metersPerUnit = 1.0; }

  sim::SimAnim& Light(Text className) { return host_.NewAnim(sc::kLight, std::move(className)); }

  sim::SimNode& AddNode(sim::SimNode& parent, Text name, host::Anim* object) {
    sim::SimNode& node = testing::AddNode(parent, std::move(name));
    node.object = object;
    return node;
  }
  sim::SimNode& AddNode(Text name, host::Anim* object) {
    return AddNode(host_.Root(), std::move(name), object);
  }

  sim::SimHost host_;
  std::vector<Text> log_;
};

TEST_F(LightsTest, SceneWithoutCoronaLightsWritesNothingButTheSummary) {
  AddNode(u"Box", &host_.NewAnim(sc::kGeomObject, u"Box"));
  AddNode(u"Lower", &Light(u"coronalight"));
  AddNode(u"Longer", &Light(u"CoronaLightX"));
  AddNode(u"Other", &Light(u"Omnilight"));
  AddNode(u"Empty", nullptr);
  EXPECT_EQ(CollectLightsJson(host_, log_), u"");
  EXPECT_EQ(log_, std::vector<Text>{u"Lights exported: 0 (instance groups: 0)"});
}

TEST_F(LightsTest, InstancesShareAGroupNumberedByFirstAppearance) {
  sim::SimAnim& shared = Light(u"CoronaLight");
  AddParam(shared, u"on", pt::kBool, Number(1));
  sim::SimAnim& sun = Light(u"CoronaSun");
  AddNode(u"Light A", &shared);
  AddNode(u"Light \"B\"", &shared);
  AddNode(u"Sun", &sun);

  EXPECT_EQ(CollectLightsJson(host_, log_),
            u",\n"
            u"  \"lights\": [\n"
            u"  {\n"
            u"    \"light_name\": \"Light A\",\n"
            u"    \"light_type\": \"CoronaLight\",\n"
            u"    \"on\":true,\n" +
                kIdentityTransform +
                u",\n"
                u"    \"instance_group\": 1\n"
                u"  },\n"
                u"  {\n"
                u"    \"light_name\": \"Light \\\"B\\\"\",\n"
                u"    \"light_type\": \"CoronaLight\",\n"
                u"    \"on\":true,\n" +
                kIdentityTransform +
                u",\n"
                u"    \"instance_group\": 1\n"
                u"  },\n"
                u"  {\n"
                u"    \"light_name\": \"Sun\",\n"
                u"    \"light_type\": \"CoronaSun\",\n"
                u"    " +
                kIdentityTransform +
                u",\n"
                u"    \"instance_group\": 2\n"
                u"  }\n"
                u"  ]");
  EXPECT_EQ(log_, (std::vector<Text>{u"  CoronaLight exported: Light A (group 1)",
                                     u"  CoronaLight exported: Light \"B\" (group 1)",
                                     u"  CoronaSun exported: Sun (group 2)",
                                     u"Lights exported: 3 (instance groups: 2)"}));
}

TEST_F(LightsTest, LightsFollowTheSceneWalkChildrenFirst) {
  sim::SimNode& parent = AddNode(u"Parent", &Light(u"CoronaSun"));
  AddNode(parent, u"Child", &Light(u"CoronaLight"));
  AddNode(u"Sibling", &Light(u"CoronaLight"));
  CollectLightsJson(host_, log_);
  EXPECT_EQ(log_, (std::vector<Text>{u"  CoronaLight exported: Child (group 1)",
                                     u"  CoronaSun exported: Parent (group 2)",
                                     u"  CoronaLight exported: Sibling (group 3)",
                                     u"Lights exported: 3 (instance groups: 3)"}));
}

TEST_F(LightsTest, CoronaLightRowsInTableOrder) {
  host_.metersPerUnit = 0.01;
  sim::SimAnim& light = Light(u"CoronaLight");
  // Stored in an order of their own, partly in a second block, one name in other case.
  AddParam(light, u"occludeOtherLights", pt::kBool, Number(0));
  AddParam(light, u"shadowcatcherIlluminator", pt::kBool, Number(1));
  AddParam(light, u"iesOn", pt::kBool, Number(1));
  AddParam(light, u"iesFile", pt::kFilename, String(u"C:\\ies\\a \"b\".ies"));
  AddParam(light, u"visibleRefr", pt::kBool, Number(0));
  AddParam(light, u"visibleRefl", pt::kBool, Number(1));
  AddParam(light, u"visibleDirectly", pt::kBool, Number(1));
  AddParam(light, u"twosidedEmission", pt::kBool, Number(0));
  AddParam(light, u"targeted", pt::kBool, Number(0));
  testing::AddBlock(light);
  AddParam(light, u"directionality", pt::kPcntFrac, Number(0.25));
  AddParam(light, u"blackbodyTemp", pt::kFloat, Number(6500));
  AddParam(light, u"colorMode", pt::kInt, Number(1));
  AddParam(light, u"color", pt::kFrgba, Rgb(1, 0.5f, 0));
  AddParam(light, u"INTENSITYUNITS", pt::kInt, Number(2));
  AddParam(light, u"intensity", pt::kFloat, Number(30));
  AddParam(light, u"height", pt::kWorld, Number(50));
  AddParam(light, u"width", pt::kWorld, Number(100));
  AddParam(light, u"shape", pt::kInt, Number(0));
  AddParam(light, u"on", pt::kBool, Number(1));
  const sim::SimNode& node = AddNode(u"Area", &light);

  EXPECT_EQ(ExportCoronaLightParams(host_, node, 0),
            (std::vector<Text>{u"\"on\":true",
                               u"\"shape\":0",
                               u"\"width\":1",
                               u"\"height\":0.5",
                               u"\"intensity\":30",
                               u"\"intensity_units\":2",
                               u"\"color\":[1,0.5,0]",
                               u"\"color_mode\":1",
                               u"\"temperature\":6500",
                               u"\"directionality\":0.25",
                               u"\"targeted\":false",
                               u"\"twosided_emission\":false",
                               u"\"visible_directly\":true",
                               u"\"visible_refl\":true",
                               u"\"visible_refr\":false",
                               u"\"ies_file\":\"C:\\\\ies\\\\a \\\"b\\\".ies\"",
                               u"\"ies_on\":true",
                               u"\"shadowcatcher_illuminator\":true",
                               u"\"occlude_other_lights\":false",
                               kIdentityTransform}));
}

TEST_F(LightsTest, CoronaSunRowsInTableOrder) {
  host_.metersPerUnit = 0.001;
  sim::SimAnim& sun = Light(u"CoronaSun");
  AddParam(sun, u"shadowsFromClouds", pt::kBool, Number(1));
  AddParam(sun, u"visibleRefr", pt::kBool, Number(1));
  AddParam(sun, u"visibleRefl", pt::kBool, Number(0));
  AddParam(sun, u"visibleDirectly", pt::kBool, Number(1));
  AddParam(sun, u"targetDistance", pt::kWorld, Number(2500));
  AddParam(sun, u"targeted", pt::kBool, Number(0));
  AddParam(sun, u"sizeMultiplier", pt::kFloat, Number(1.5));
  AddParam(sun, u"blackbodyTemperature", pt::kFloat, Number(5800));
  AddParam(sun, u"colorMode", pt::kInt, Number(0));
  AddParam(sun, u"colorDirect", pt::kRgba, Rgb(1, 0.9f, 0.8f));
  AddParam(sun, u"intensity", pt::kFloat, Number(1));
  AddParam(sun, u"on", pt::kBool, Number(1));
  // Names the sun table does not read.
  AddParam(sun, u"color", pt::kRgba, Rgb(0, 0, 1));
  AddParam(sun, u"width", pt::kWorld, Number(10));
  const sim::SimNode& node = AddNode(u"Sun", &sun);

  EXPECT_EQ(ExportCoronaSunParams(host_, node, 0),
            (std::vector<Text>{
                u"\"on\":true", u"\"intensity\":1", u"\"color\":[1,0.9,0.8]", u"\"color_mode\":0",
                u"\"temperature\":5800", u"\"size_multiplier\":1.5", u"\"targeted\":false",
                u"\"target_distance\":2.5", u"\"visible_directly\":true", u"\"visible_refl\":false",
                u"\"visible_refr\":true", u"\"shadows_from_clouds\":true", kIdentityTransform}));
}

TEST_F(LightsTest, LengthsAndIesFileOnlyInTheirOwnKind) {
  sim::SimAnim& light = Light(u"CoronaLight");
  AddParam(light, u"width", pt::kInt, Number(100));
  AddParam(light, u"height", pt::kBool, Number(1));
  AddParam(light, u"iesFile", pt::kFilename, String(Text()));
  const sim::SimNode& node = AddNode(u"Area", &light);

  sim::SimAnim& nullIes = Light(u"CoronaLight");
  AddParam(nullIes, u"iesFile", pt::kFilename, String(std::nullopt));
  const sim::SimNode& nullIesNode = AddNode(u"Null", &nullIes);

  sim::SimAnim& numberIes = Light(u"CoronaLight");
  AddParam(numberIes, u"iesFile", pt::kInt, Number(3));
  const sim::SimNode& numberIesNode = AddNode(u"Number", &numberIes);

  sim::SimAnim& sun = Light(u"CoronaSun");
  AddParam(sun, u"targetDistance", pt::kInt, Number(100));
  const sim::SimNode& sunNode = AddNode(u"Sun", &sun);

  const std::vector<Text> transformOnly{kIdentityTransform};
  EXPECT_EQ(ExportCoronaLightParams(host_, node, 0), transformOnly);
  EXPECT_EQ(ExportCoronaLightParams(host_, nullIesNode, 0), transformOnly);
  EXPECT_EQ(ExportCoronaLightParams(host_, numberIesNode, 0), transformOnly);
  EXPECT_EQ(ExportCoronaSunParams(host_, sunNode, 0), transformOnly);
}

TEST_F(LightsTest, UnitScaleOfZeroMeansInches) {
  host_.metersPerUnit = 0.0;
  sim::SimAnim& light = Light(u"CoronaLight");
  AddParam(light, u"width", pt::kWorld, Number(100));
  sim::SimNode& node = AddNode(u"Area", &light);
  node.transform.rows[3] = host::Point3{10, 0, 0};
  EXPECT_EQ(ExportCoronaLightParams(host_, node, 0),
            (std::vector<Text>{u"\"width\":2.54",
                               u"\"transform\":{\"position\":[0.254,0,0],\"quat\":[1,0,0,0],"
                               u"\"scale\":[1,1,1]}"}));
}

TEST_F(LightsTest, OnlyABooleanTargetedParameterWritesTheTarget) {
  sim::SimNode& target = AddNode(u"Area.Target", &host_.NewAnim(sc::kGeomObject, u"Target"));
  target.transform.rows[3] = host::Point3{0, 0, -3};

  struct Case {
    host::ParamType type;
    double targeted;
    bool writesTarget;
  };
  const Case cases[] = {
      {pt::kBool, 1, true},
      {pt::kBool, 0, false},
      {pt::kInt, 1, false},
  };
  for (const Case& c : cases) {
    for (const char16_t* className : {u"CoronaLight", u"CoronaSun"}) {
      sim::SimAnim& light = Light(className);
      AddParam(light, u"targeted", c.type, Number(c.targeted));
      sim::SimNode& node = AddNode(u"Area", &light);
      node.target = &target;
      const std::vector<Text> params = Text(className) == u"CoronaLight"
                                           ? ExportCoronaLightParams(host_, node, 0)
                                           : ExportCoronaSunParams(host_, node, 0);
      const Text targetedLine = c.type == pt::kBool
                                    ? (c.targeted ? u"\"targeted\":true" : u"\"targeted\":false")
                                    : u"\"targeted\":1";
      const Text transform =
          kIdentityTransform +
          (c.writesTarget ? u",\"target_transform\":{\"position\":[0,0,-3]}" : u"");
      EXPECT_EQ(params, (std::vector<Text>{targetedLine, transform})) << ToUtf8(className);
    }
  }
}

TEST_F(LightsTest, NodeThatEvaluatesToNothingHasNoParameters) {
  const sim::SimNode& node = AddNode(u"Empty", nullptr);
  EXPECT_TRUE(ExportCoronaLightParams(host_, node, 0).empty());
  EXPECT_TRUE(ExportCoronaSunParams(host_, node, 0).empty());
}

}  // namespace
}  // namespace larkspur
