#include "transfer/material_names.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/text.h"
#include "tests/host/scene_test_util.h"
#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

TEST(NormalizeMtlName, KeepsSafeUnitsCollapsesRunsAndHashesLongNames) {
  const struct {
    std::u16string_view name, key;
  } cases[] = {
      {u"Red  Brick", u"Red_Brick"},
      {u"__a-b__c.__", u"_a-b_c"},
      {u"!?.", u""},
      {u"Caf\u00e9 \U0001F600", u"Caf"},
      {u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",  // 56: kept whole
       u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
      {u"Material_with_a_very_long_descriptive_name_for_the_kitchen_floor",
       u"Material_with_a_very_long_descriptive_name_for_th_847870"},
      // The hash runs over the name as given, non-ASCII units included.
      {u"D\u00e9cor \u00b7 Wohnzimmer \u2014 Eichenparkett ge\u00f6lt, matt, Landhausdielen 2024",
       u"D_cor_Wohnzimmer_Eichenparkett_ge_lt_matt_Landhau_630b11"},
      // The cut ends in "_", which goes before the hash is appended.
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa____bbbbbbbbbb",
       u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa_4209c5"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeMtlName(c.name), c.key) << ToUtf8(c.name);
}

class MaterialNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = sim::testing::LoadOrFail(sim::testing::Document(R"(
      "nodes": [{"object": "box", "material": "w2",
                 "children": [{"object": "box", "material": "w1"}]},
                {"object": "box", "material": "w3"}, {"object": "box", "material": "w1"},
                {"object": "box", "material": "red"}, {"object": "box", "material": "ok"},
                {"object": "box", "material": "mix"}, {"object": "box", "material": "unnamed"},
                {"object": "box", "material": "p2"}, {"object": "box", "material": "p1"},
                {"object": "omni", "material": "lit"}],
      "anims": {"w1": {"super": "material", "class": "S", "name": "Wood"},
        "w2": {"super": "material", "class": "S", "name": "Wood!"},
        "w3": {"super": "material", "class": "S", "name": "Wood."},
        "red": {"super": "material", "class": "S", "name": "Red Brick"},
        "ok": {"super": "material", "class": "S", "name": "Red_Ok"},
        "mix": {"super": "material", "class": "M", "name": "Mix", "sub_materials": ["b1", "b2"]},
        "b1": {"super": "material", "class": "S", "name": "Brick"},
        "b2": {"super": "material", "class": "S", "name": "Brick"},
        "unnamed": {"super": "material", "class": "Multi", "sub_materials": ["p1"]},
        "p1": {"super": "material", "class": "S", "name": "*"},
        "p2": {"super": "material", "class": "S", "name": "#"},
        "lit": {"super": "material", "class": "S", "name": "Lamp Shade"},
        "box": {"super": "geometry", "class": "Box"},
        "omni": {"super": "light", "class": "Omnilight"}})"));
    ASSERT_TRUE(host_);
  }
  Text Names() const {
    Text names;
    for (const char* id :
         {"w1", "w2", "w3", "red", "ok", "mix", "b1", "b2", "unnamed", "p1", "p2", "lit"}) {
      names += host_->FindAnim(id)->GetName() + u"|";
    }
    return names;
  }

  std::unique_ptr<sim::SimHost> host_;
};

TEST_F(MaterialNamesTest, RenamesGroupsInWalkOrderAndRestoresEveryName) {
  const Text before = Names();
  const std::vector<MtlRestoreEntry> entries = DeduplicateMaterialNames(*host_);
  // Children before their parent: w1 first. The unnamed multi-material does not lead to p1,
  // which is met later on its own node, after p2. The light's material is left alone.
  EXPECT_EQ(Names(),
            u"Wood_01|Wood_02|Wood_03|Red_Brick|Red_Ok|Mix|Brick_01|Brick_02||_02|_01|"
            u"Lamp Shade|");
  std::string renamed;
  for (const MtlRestoreEntry& entry : entries) {
    renamed += host_->Owned(entry.mtl)->id + "=" + ToUtf8(entry.previousName) + " ";
  }
  EXPECT_EQ(renamed, "w1=Wood w2=Wood! w3=Wood. red=Red Brick b1=Brick b2=Brick p2=# p1=* ");
  RestoreMaterialNames(entries);
  EXPECT_EQ(Names(), before);
}

TEST_F(MaterialNamesTest, TheRestorerPutsNamesBackOnceAlsoWhenAnExceptionUnwinds) {
  const Text before = Names();
  MaterialNameRestorer held;
  try {
    MaterialNameRestorer restorer(DeduplicateMaterialNames(*host_));
    ASSERT_EQ(restorer.Entries().size(), 8u);
    held = std::move(restorer);  // the moved-from restorer has nothing left to put back
    MaterialNameRestorer failing(std::move(held));
    throw std::runtime_error("the export failed half-way");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Names(), before);
  host_->FindAnim("w1")->SetName(u"Renamed later");
  held.Restore();  // its list moved on: nothing is put back a second time
  EXPECT_EQ(host_->FindAnim("w1")->GetName(), u"Renamed later");

  host_->FindAnim("w1")->SetName(u"Wood");
  held = MaterialNameRestorer(DeduplicateMaterialNames(*host_));
  held = MaterialNameRestorer();  // taking another list puts the held one back first
  EXPECT_EQ(Names(), before);
}

TEST(DeduplicateMaterialNames, NumbersPastNinetyNineWithThreeDigits) {
  sim::SimHost host;
  std::vector<sim::SimAnim*> materials;
  for (int i = 0; i < 100; ++i) {
    materials.push_back(&host.NewAnim(host::super_class::kMaterial, u"S"));
    materials.back()->SetName(u"M");
    sim::SimNode& node = testing::AddNode(host.Root(), u"Box");
    node.object = &testing::AddBoxObject(host);
    node.material = materials.back();
  }
  EXPECT_EQ(DeduplicateMaterialNames(host).size(), 100u);
  EXPECT_EQ((std::vector<Text>{materials[8]->name, materials[9]->name, materials[99]->name}),
            (std::vector<Text>{u"M_09", u"M_10", u"M_100"}));
}

}  // namespace
}  // namespace larkspur
