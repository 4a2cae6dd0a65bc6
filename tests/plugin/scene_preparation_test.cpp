#include "plugin/scene_preparation.h"

#include <gtest/gtest.h>

#include "tests/host/scene_test_util.h"

namespace larkspur {
namespace {

using host::Text;
using sim::SimHost;
using sim::SimNode;

const Text kExplode = u"max select all\ntry(macros.run \"Group\" \"Explode\")catch()";
const Text kClear = u"clearSelection()";

Text Flatten(const Text& literal) {
  return u"try(\n  select (getNodeByName \"" + literal +
         u"\")\n  resetXForm $\n  collapseStack $\n  convertToPoly $\n)catch()";
}

// A geometry node at the end of the scene whose object has the given id.
SimNode& Geometry(SimHost& host, Text name, const std::string& objectId) {
  SimNode& node = *host.Root().children.emplace_back(std::make_unique<SimNode>());
  node.name = std::move(name);
  node.object = &host.NewAnim(host::super_class::kGeomObject, u"Box", {0x10, 0}, objectId);
  host.Owned(node.object)->mesh.emplace();
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
    SimNode& decoy = Geometry(host, Text(row.decoy), "decoy");
    SimNode& target = Geometry(host, Text(row.name), "target");
    RunResetXformAndConvertToPoly(host);
    // Flattened once each: a second flattening would build on the first poly.
    EXPECT_EQ(host.Owned(target.object)->id, "target_poly") << row.what;
    EXPECT_EQ(host.Owned(decoy.object)->id, "decoy_poly") << row.what;
  }
  SimHost host;
  Geometry(host, u"a\"b\\c\nd\re\tf", "box");
  RunResetXformAndConvertToPoly(host);
  ASSERT_EQ(host.scripts.size(), 3u);
  EXPECT_EQ(host.scripts[1], Flatten(u"a\\\"b\\\\c\\nd\\re\\tf"));
}

}  // namespace
}  // namespace larkspur
