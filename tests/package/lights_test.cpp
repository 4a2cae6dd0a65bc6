#include "package/lights.h"

#include <gtest/gtest.h>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

// The scene goldens show the light entries; a node that evaluates to nothing never reaches the
// parameter exporters through the scene walk, so it is checked here.
TEST(ExportLightParams, NodeThatEvaluatesToNothingHasNoParameters) {
  sim::SimHost host;
  const sim::SimNode& node = testing::AddNode(host.Root(), u"Empty");
  EXPECT_TRUE(ExportCoronaLightParams(host, node, 0).empty());
  EXPECT_TRUE(ExportCoronaSunParams(host, node, 0).empty());
}

}  // namespace
}  // namespace larkspur
