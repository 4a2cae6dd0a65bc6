#include "package/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

// The unit goldens show the scales a scene file can hold (zero, negative, huge, beyond a float,
// below a float); here, those it cannot.
TEST(GetMetersPerUnit, ScalesNoSceneFileHolds) {
  sim::SimHost host;
  host.metersPerUnit = -std::numeric_limits<double>::infinity();
  EXPECT_EQ(GetMetersPerUnit(host), 0.0254f);
  // Not a number is not "zero or below": it passes through and is written as null.
  host.metersPerUnit = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(GetMetersPerUnit(host)));
}

}  // namespace
}  // namespace larkspur
