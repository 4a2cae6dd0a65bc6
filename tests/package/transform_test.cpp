#include "package/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

TEST(GetMetersPerUnit, TakesTheHostScaleOrFallsBackToOneInchForNoUnit) {
  const float inf = std::numeric_limits<float>::infinity();
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
      {-std::numeric_limits<double>::infinity(), 0.0254f},
      {std::numeric_limits<double>::infinity(), inf},
      {1e300, inf},  // beyond the range of a float
  };
  for (const Case& c : cases) {
    sim::SimHost host;
    host.metersPerUnit = c.reported;
    EXPECT_EQ(GetMetersPerUnit(host), c.expected) << c.reported;
  }
  // Not a number is not "zero or below": it passes through and is written as null.
  sim::SimHost host;
  host.metersPerUnit = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(GetMetersPerUnit(host)));
}

TEST(BuildTransformJson, NonFiniteComponentsAreWrittenAsNull) {
  sim::SimHost host;
  sim::SimNode& target = testing::AddNode(host.Root(), u"Target");
  target.transform.rows[3] = host::Point3{0, std::numeric_limits<float>::quiet_NaN(), 1};
  sim::SimNode& light = testing::AddNode(host.Root(), u"Light");
  light.transform.rows[3] = host::Point3{std::numeric_limits<float>::infinity(), 0, 1};
  light.target = &target;
  EXPECT_EQ(BuildTransformJson(host, light, 0, 1.0f, true),
            u"\"transform\":{\"position\":[null,0,1],\"quat\":[1,0,0,0],\"scale\":[1,1,1]},"
            u"\"target_transform\":{\"position\":[0,null,1]}");
}

}  // namespace
}  // namespace larkspur
