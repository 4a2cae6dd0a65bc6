#include "package/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

using host::Point3;
using host::Quat;

TEST(GetMetersPerUnit, TakesTheHostScaleOrFallsBackToOneInch) {
  struct Case {
    double reported;
    float expected;
  };
  const Case cases[] = {
      {0.01, 0.01f},
      {1.0, 1.0f},
      {0.3048, 0.3048f},
      {0.0, 0.0254f},
      {-2.0, 0.0254f},
      {std::numeric_limits<double>::quiet_NaN(), 0.0254f},
      {std::numeric_limits<double>::infinity(), 0.0254f},
  };
  for (const Case& c : cases) {
    sim::SimHost host;
    host.metersPerUnit = c.reported;
    EXPECT_EQ(GetMetersPerUnit(host), c.expected) << c.reported;
  }
}

class TransformTest : public ::testing::Test {
 protected:
  sim::SimNode& AddNode(const Point3& position, const Quat& rotation = {},
                        const Point3& scale = {1, 1, 1}) {
    sim::SimNode& node = testing::AddNode(host_.Root(), u"Light");
    node.transform = sim::ComposeMatrix(position, rotation, scale);
    return node;
  }

  sim::SimHost host_;
};

TEST_F(TransformTest, WritesPositionInMetresRotationScalarFirstAndUnitlessScale) {
  const float halfSqrt2 = std::sqrt(0.5f);
  struct Case {
    Point3 position;
    Quat rotation;
    Point3 scale;
    float unitScale;
    const char16_t* expected;
  };
  const Case cases[] = {
      {{0, 0, 0},
       {},
       {1, 1, 1},
       1.0f,
       u"\"transform\":{\"position\":[0,0,0],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}"},
      {{100, 0, 50},
       {},
       {1, 1, 1},
       0.01f,
       u"\"transform\":{\"position\":[1,0,0.5],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}"},
      {{100, -10, 0},
       {},
       {1, 1, 1},
       0.0254f,
       u"\"transform\":{\"position\":[2.54,-0.254,0],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}"},
      {{0, 0, 0},
       {0, 0, halfSqrt2, halfSqrt2},
       {1, 1, 1},
       1.0f,
       u"\"transform\":{\"position\":[0,0,0],\"quat\":[0.707107,0,0,0.707107],"
       u"\"scale\":[1,1,1]}"},
      {{300, 0, 0},
       {},
       {2, 2, 2},
       0.01f,
       u"\"transform\":{\"position\":[3,0,0],\"quat\":[1,0,0,0],\"scale\":[2,2,2]}"},
      {{std::numeric_limits<float>::infinity(), 0, 0},
       {},
       {1, 1, 1},
       1.0f,
       u"\"transform\":{\"position\":[null,0,0],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}"},
  };
  for (const Case& c : cases) {
    const sim::SimNode& node = AddNode(c.position, c.rotation, c.scale);
    EXPECT_EQ(BuildTransformJson(host_, node, 0, c.unitScale, false), c.expected)
        << ToUtf8(c.expected);
  }
}

TEST_F(TransformTest, TargetRecordOnlyForATargetedNodeWithATarget) {
  sim::SimNode& target = AddNode({0, 200, -100});
  sim::SimNode& withTarget = AddNode({100, 0, 0});
  withTarget.target = &target;
  const sim::SimNode& withoutTarget = AddNode({100, 0, 0});

  const Text base = u"\"transform\":{\"position\":[1,0,0],\"quat\":[1,0,0,0],\"scale\":[1,1,1]}";
  EXPECT_EQ(BuildTransformJson(host_, withTarget, 0, 0.01f, true),
            base + u",\"target_transform\":{\"position\":[0,2,-1]}");
  EXPECT_EQ(BuildTransformJson(host_, withTarget, 0, 0.01f, false), base);
  EXPECT_EQ(BuildTransformJson(host_, withoutTarget, 0, 0.01f, true), base);
}

}  // namespace
}  // namespace larkspur
