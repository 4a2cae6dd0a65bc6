#include "transfer/material_names.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/text.h"
#include "tests/host/scene_test_util.h"

namespace larkspur {
namespace {

using sim::testing::Document;
using sim::testing::LoadOrFail;

TEST(NormalizeMtlName, KeepsSafeUnitsCollapsesRunsAndHashesLongNames) {
  const struct {
    std::u16string_view name;
    std::u16string_view key;
  } cases[] = {
      {u"Red Brick", u"Red_Brick"},
      {u"Red  Brick", u"Red_Brick"},
      {u"Wood!", u"Wood"},
      {u"__a-b__c.__", u"_a-b_c"},
      {u"!?.", u""},
      {u"", u""},
      {u"Caf\u00e9 \U0001F600", u"Caf"},
      {u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",  // 56: kept whole
       u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
      {u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",  // 57: cut and hashed
       u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx_44a75d"},
      {u"Material_with_a_very_long_descriptive_name_for_the_kitchen_floor",
       u"Material_with_a_very_long_descriptive_name_for_th_847870"},
      // The hash runs over the name as given, non-ASCII units included.
      {u"D\u00e9cor \u00b7 Wohnzimmer \u2014 Eichenparkett ge\u00f6lt, matt, Landhausdielen 2024 "
       u"(v3)",
       u"D_cor_Wohnzimmer_Eichenparkett_ge_lt_matt_Landhau_0499ab"},
      // The cut ends in "_", which goes before the hash is appended.
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa____bbbbbbbbbb",
       u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa_4209c5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizeMtlName(c.name), c.key) << ToUtf8(c.name);
  }
}

// Geometry nodes in scene order, each naming the material of its row.
std::string Scene(const std::string& nodes, const std::string& materials) {
  return Document(R"("nodes": [)" + nodes + R"(], "anims": {)" + materials +
                  R"(, "box": {"super": "geometry", "class": "Box"},
                       "omni": {"super": "light", "class": "Omnilight"}})");
}

Text Names(sim::SimHost& host, const std::vector<std::string>& ids) {
  Text names;
  for (const std::string& id : ids) names += host.FindAnim(id)->GetName() + u"|";
  return names;
}

TEST(DeduplicateMaterialNames, RenamesInWalkOrderAndRestoresEveryName) {
  const std::string materials = R"(
      "w1": {"super": "material", "class": "Std", "name": "Wood"},
      "w2": {"super": "material", "class": "Std", "name": "Wood!"},
      "w3": {"super": "material", "class": "Std", "name": "Wood."},
      "mix": {"super": "material", "class": "Multi", "name": "Mix", "sub_materials": ["b1", "b2"]},
      "b1": {"super": "material", "class": "Std", "name": "Brick"},
      "b2": {"super": "material", "class": "Std", "name": "Brick"},
      "hidden": {"super": "material", "class": "Multi", "sub_materials": ["p1"]},
      "p1": {"super": "material", "class": "Std", "name": "*"},
      "p2": {"super": "material", "class": "Std", "name": "#"},
      "lit": {"super": "material", "class": "Std", "name": "Lamp Shade"})";
  // Children come before their parent: the child's Wood is met first.
  const std::string nodes = R"(
      {"name": "parent", "object": "box", "material": "w2",
       "children": [{"name": "child", "object": "box", "material": "w1"}]},
      {"object": "box", "material": "w3"}, {"object": "box", "material": "w1"},
      {"object": "box", "material": "w1"}, {"object": "box", "material": "mix"},
      {"object": "box", "material": "hidden"}, {"object": "box", "material": "p2"},
      {"object": "box", "material": "p1"},
      {"object": "omni", "material": "lit"})";
  const auto host = LoadOrFail(Scene(nodes, materials));
  ASSERT_TRUE(host);
  const std::vector<std::string> ids = {"w1", "w2",     "w3", "mix", "b1",
                                        "b2", "hidden", "p1", "p2",  "lit"};
  const Text before = Names(*host, ids);

  const std::vector<MtlRestoreEntry> entries = DeduplicateMaterialNames(*host);
  // The unnamed multi-material does not lead to p1; p1 is reached directly later, after p2.
  EXPECT_EQ(Names(*host, ids),
            u"Wood_01|Wood_02|Wood_03|Mix|Brick_01|Brick_02||_02|_01|Lamp Shade|");
  std::vector<std::string> renamed;
  for (const MtlRestoreEntry& entry : entries) {
    renamed.push_back(host->Owned(entry.mtl)->id + "=" + ToUtf8(entry.previousName));
  }
  EXPECT_EQ(renamed, (std::vector<std::string>{"w1=Wood", "w2=Wood!", "w3=Wood.", "b1=Brick",
                                               "b2=Brick", "p2=#", "p1=*"}));

  RestoreMaterialNames(entries);
  EXPECT_EQ(Names(*host, ids), before);
}

TEST(DeduplicateMaterialNames, ALoneMaterialTakesItsKeyOnlyWhenItDiffers) {
  const struct {
    const char* name;
    std::u16string_view renamed;
    size_t entries;
  } cases[] = {
      {"Red Brick", u"Red_Brick", 1},
      {"Red_Brick", u"Red_Brick", 0},
      {"++", u"", 1},
      {"", u"", 0},
  };
  for (const auto& c : cases) {
    const auto host = LoadOrFail(Scene(
        R"({"object": "box", "material": "m"})",
        R"("m": {"super": "material", "class": "Std", "name": ")" + std::string(c.name) + R"("})"));
    ASSERT_TRUE(host);
    const std::vector<MtlRestoreEntry> entries = DeduplicateMaterialNames(*host);
    EXPECT_EQ(host->FindAnim("m")->GetName(), c.renamed) << c.name;
    EXPECT_EQ(entries.size(), c.entries) << c.name;
    RestoreMaterialNames(entries);
    EXPECT_EQ(ToUtf8(host->FindAnim("m")->GetName()), c.name);
  }
}

TEST(DeduplicateMaterialNames, NumbersPastNinetyNineWithThreeDigits) {
  std::string nodes;
  std::string materials = R"("first": {"super": "material", "class": "Std", "name": "M"})";
  for (int i = 0; i < 101; ++i) {
    nodes += R"({"object": "box", "material": "m)" + std::to_string(i) + R"("},)";
    materials +=
        R"(, "m)" + std::to_string(i) + R"(": {"super": "material", "class": "S", "name": "M"})";
  }
  const auto host =
      LoadOrFail(Scene(nodes + R"({"object": "box", "material": "first"})", materials));
  ASSERT_TRUE(host);
  const std::vector<MtlRestoreEntry> entries = DeduplicateMaterialNames(*host);
  ASSERT_EQ(entries.size(), 102u);
  EXPECT_EQ(host->FindAnim("m8")->GetName(), u"M_09");
  EXPECT_EQ(host->FindAnim("m9")->GetName(), u"M_10");
  EXPECT_EQ(host->FindAnim("m99")->GetName(), u"M_100");
  EXPECT_EQ(host->FindAnim("first")->GetName(), u"M_102");
}

class NameRestorerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = LoadOrFail(
        Scene(R"({"object": "box", "material": "a"}, {"object": "box", "material": "b"})",
              R"("a": {"super": "material", "class": "Std", "name": "Oak Floor"},
                                "b": {"super": "material", "class": "Std", "name": "Oak Floor"})"));
    ASSERT_TRUE(host_);
  }
  Text NameOf(const char* id) const { return host_->FindAnim(id)->GetName(); }

  std::unique_ptr<sim::SimHost> host_;
};

TEST_F(NameRestorerTest, AFailureHalfWayStillPutsTheNamesBack) {
  try {
    MaterialNameRestorer restorer(DeduplicateMaterialNames(*host_));
    ASSERT_EQ(NameOf("a"), u"Oak_Floor_01");
    throw std::runtime_error("the export failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(NameOf("a"), u"Oak Floor");
  EXPECT_EQ(NameOf("b"), u"Oak Floor");
}

TEST_F(NameRestorerTest, RestoresExactlyOnceAndFollowsItsList) {
  MaterialNameRestorer held;
  {
    MaterialNameRestorer first(DeduplicateMaterialNames(*host_));
    held = std::move(first);  // the moved-from restorer has nothing left to put back
  }
  EXPECT_EQ(NameOf("a"), u"Oak_Floor_01");
  ASSERT_EQ(held.Entries().size(), 2u);
  held.Restore();
  EXPECT_EQ(NameOf("b"), u"Oak Floor");
  EXPECT_TRUE(held.Entries().empty());

  // A later rename by someone else is not undone by a second restore.
  host_->FindAnim("a")->SetName(u"Renamed later");
  held.Restore();
  EXPECT_EQ(NameOf("a"), u"Renamed later");

  // Taking a new list restores the one held before.
  host_->FindAnim("a")->SetName(u"Oak Floor");
  held = MaterialNameRestorer(DeduplicateMaterialNames(*host_));
  held = MaterialNameRestorer(std::vector<MtlRestoreEntry>{{nullptr, u"ignored"}});
  EXPECT_EQ(NameOf("a"), u"Oak Floor");
}

// A material whose renames the host refuses by throwing.
class RefusingMaterial : public sim::SimAnim {
 public:
  using SimAnim::SimAnim;
  void SetName(const Text&) override { throw std::runtime_error("refused"); }
};

TEST(RestoreMaterialNames, ARefusedRenameDoesNotStopTheOthers) {
  sim::SimHost host;
  RefusingMaterial refusing(host);
  sim::SimAnim& plain = host.NewAnim(host::super_class::kMaterial, u"Std");
  plain.name = u"Changed";
  EXPECT_NO_THROW(RestoreMaterialNames({{&refusing, u"x"}, {nullptr, u"y"}, {&plain, u"Back"}}));
  EXPECT_EQ(plain.name, u"Back");
}

}  // namespace
}  // namespace larkspur
