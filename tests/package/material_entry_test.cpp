#include "package/material_entry.h"

#include <gtest/gtest.h>

#include "nodetree/node_tree.h"
#include "tests/nodetree/sim_materials.h"

namespace larkspur {
namespace {

using testing::NewMaterial;
using testing::SimAnim;
using testing::SimHost;

SimAnim& NewMultiMaterial(SimHost& host, Text name) {
  SimAnim& multi = NewMaterial(host, u"Multimaterial", std::move(name));
  multi.classId = host::kMultiMaterialClassId;
  return multi;
}

TEST(MaterialEntryTest, NullMaterial) {
  SimHost host;
  EXPECT_EQ(buildMaterialJson(host, nullptr), u"null");
}

TEST(MaterialEntryTest, TreeErrorsPassToTheCaller) {
  SimHost host;
  SimAnim& multi = NewMultiMaterial(host, u"Broken");
  SimAnim& loop = NewMaterial(host, u"CoronaLayeredMtl", u"Loop");
  loop.handle = 0;
  loop.subMtls = {&loop};
  multi.subMtls = {nullptr, &loop};
  EXPECT_THROW(buildMaterialJson(host, &multi), NodeTreeError);
  EXPECT_THROW(buildMaterialJson(host, &loop), NodeTreeError);
}

}  // namespace
}  // namespace larkspur
