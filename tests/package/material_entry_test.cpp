#include "package/material_entry.h"

#include <gtest/gtest.h>

#include "nodetree/node_tree.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

// The materials golden shows a broken plain material recorded as its entry's error; a broken
// sub-material must fail its whole multi-material entry the same way, not just its slot.
TEST(MaterialEntryTest, BrokenSubMaterialFailsTheWholeEntry) {
  testing::SimHost host;
  testing::SimAnim& loop = testing::NewMaterial(host, u"CoronaLayeredMtl", u"Loop");
  loop.handle = 0;
  loop.subMtls = {&loop};
  testing::SimAnim& multi = testing::NewMaterial(host, u"Multimaterial", u"Broken");
  multi.classId = host::kMultiMaterialClassId;
  multi.subMtls = {nullptr, &loop};
  BuildCache cache;
  std::string entry;
  EXPECT_THROW(buildMaterialJson(host, cache, &multi, entry), NodeTreeError);
}

}  // namespace
}  // namespace larkspur
