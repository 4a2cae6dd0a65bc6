#include "plugin/scene_preparation.h"

#include <gtest/gtest.h>

#include "tests/host/scene_test_util.h"

namespace larkspur {
namespace {

using host::Text;
using sim::SimAnim;
using sim::SimHost;
using sim::SimNode;

const Text kExplode = u"max select all\ntry(macros.run \"Group\" \"Explode\")catch()";
const Text kClear = u"clearSelection()";

Text Flatten(const Text& literal) {
  return u"try(\n  select (getNodeByName \"" + literal +
         u"\")\n  resetXForm $\n  collapseStack $\n  convertToPoly $\n)catch()";
}

SimNode& Geometry(SimHost& host, SimNode& parent, Text name, const std::string& objectId) {
  parent.children.push_back(std::make_unique<SimNode>());
  SimNode& node = *parent.children.back();
  node.name = std::move(name);
  SimAnim& box = host.NewAnim(host::super_class::kGeomObject, u"Box", {0x10, 0}, objectId);
  box.mesh.emplace();
  box.mesh->vertices = {{0, 0, 0}};
  node.object = &box;
  return node;
}

TEST(RunResetXformAndConvertToPoly, ExplodesGroupsAndFlattensEachGeometryNode) {
  const auto host = sim::testing::LoadExample("groups.json");
  ASSERT_TRUE(host);
  RunResetXformAndConvertToPoly(*host);
  EXPECT_EQ(host->scripts,
            (std::vector<Text>{kExplode, Flatten(u"Box001"), Flatten(u"Box002"), kClear}));
  Text names;
  for (const auto& child : host->Root().children) {
    names += child->name;
    if (child->object->ClassID() == host::kEditablePolyClassId) names += u"(poly)";
    names += u" ";
  }
  EXPECT_EQ(names, u"Box001(poly) Box002(poly) Camera001 Line001 Omni001 ");
  EXPECT_TRUE(host->selection.empty());
}

TEST(RunResetXformAndConvertToPoly, HostileNamesAddressExactlyTheirOwnNode) {
  // Each decoy comes first in the scene and bears the name that a literal without escaping, or
  // with only quotes and backslashes escaped, would address instead.
  const struct {
    const char* what;
    std::u16string_view name, decoy;
  } rows[] = {
      {"backslash escape", u"C:\\new", u"C:\new"},
      {"the two characters \\n", u"two\\nchars", u"two\nchars"},
      {"line feed", u"line\nfeed", u"line\\nfeed"},
      {"carriage return and tab", u"a\rb\tc", u"a\\rb\\tc"},
      {"quotes", u"Box \"A\"", u"Box "},
      {"a script of its own", u"x\") delete $* (\"", u"x"},
      {"trailing backslash", u"end\\", u"end"},
      {"non-ASCII", u"W\u00fcrfel \u2713 \U0001F9CA", u"W"},
  };
  for (const auto& row : rows) {
    SimHost host;
    SimNode& decoy = Geometry(host, host.Root(), Text(row.decoy), "decoy");
    SimNode& target = Geometry(host, host.Root(), Text(row.name), "target");
    RunResetXformAndConvertToPoly(host);
    // Flattened once each: a second flattening would build on the first poly.
    EXPECT_EQ(host.Owned(target.object)->id, "target_poly") << row.what;
    EXPECT_EQ(host.Owned(decoy.object)->id, "decoy_poly") << row.what;
  }
  SimHost host;
  Geometry(host, host.Root(), u"a\"b\\c\nd\re\tf", "box");
  RunResetXformAndConvertToPoly(host);
  ASSERT_EQ(host.scripts.size(), 3u);
  EXPECT_EQ(host.scripts[1], Flatten(u"a\\\"b\\\\c\\nd\\re\\tf"));
}

// A host whose first flattening adds a node to the scene's root.
class GrowingHost : public SimHost {
 public:
  bool ExecuteMAXScriptScript(const Text& script, bool quiet, host::ScriptResult* r) override {
    const bool ok = SimHost::ExecuteMAXScriptScript(script, quiet, r);
    if (script == Flatten(u"First")) Geometry(*this, Root(), u"Late", "late");
    return ok;
  }
};

TEST(RunResetXformAndConvertToPoly, ReadsTheChildCountAgainAfterEachChild) {
  GrowingHost host;
  Geometry(host, host.Root(), u"First", "first");
  Geometry(host, host.Root(), u"Second", "second");
  RunResetXformAndConvertToPoly(host);
  EXPECT_EQ(host.scripts, (std::vector<Text>{kExplode, Flatten(u"First"), Flatten(u"Second"),
                                             Flatten(u"Late"), kClear}));
}

// A chain of nodes, each the only child of the one before, held flat so that building and
// freeing it needs no recursion; every node is geometry.
class ChainNode : public host::Node {
 public:
  ChainNode* next = nullptr;
  host::Anim* geometry = nullptr;
  Text name;
  int NumberOfChildren() const override { return next ? 1 : 0; }
  host::Node* GetChildNode(int) const override { return next; }
  Text GetName() const override { return name; }
  void SetName(const Text&) override {}
  host::Anim* GetMtl() const override { return nullptr; }
  host::Anim* EvalWorldState(host::TimeValue) const override { return geometry; }
  host::Anim* GetObjectRef() const override { return geometry; }
  void SetObjectRef(host::Anim*) override {}
  host::Matrix3 GetObjectTM(host::TimeValue) const override { return {}; }
  host::Node* GetTarget() const override { return nullptr; }
};

class ChainHost : public SimHost {
 public:
  ChainNode* root = nullptr;
  size_t scriptCount = 0;
  Text firstFlattened;
  host::Node* GetRootNode() const override { return root; }
  bool ExecuteMAXScriptScript(const Text& script, bool, host::ScriptResult*) override {
    if (++scriptCount == 2) firstFlattened = script;
    return true;
  }
};

TEST(RunResetXformAndConvertToPoly, WalksAMillionLevelsWithoutRecursion) {
  ChainHost host;
  SimAnim& box = host.NewAnim(host::super_class::kGeomObject, u"Box");
  std::vector<ChainNode> chain(1000001);
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    chain[i].next = &chain[i + 1];
    chain[i + 1].geometry = &box;
  }
  chain.back().name = u"Deepest";
  host.root = chain.data();
  RunResetXformAndConvertToPoly(host);
  EXPECT_EQ(host.scriptCount, 1000002u);  // explosion, one per node below the root, clear
  EXPECT_EQ(host.firstFlattened, Flatten(u"Deepest"));
}

}  // namespace
}  // namespace larkspur
