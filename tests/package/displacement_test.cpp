#include "package/displacement.h"

#include <gtest/gtest.h>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

namespace pt = host::param_type;
namespace sc = host::super_class;

// Adds a scalar parameter to the anim's one block.
void AddParam(sim::SimAnim& anim, const Text& name, host::ParamType type, double number) {
  if (anim.blocks.empty()) testing::AddBlock(anim);
  testing::AddParam(*anim.blocks.back(), name, type, testing::Number(number));
}

class DisplacementTest : public ::testing::Test {
 protected:
  sim::SimAnim& Modifier(Text className) { return host_.NewAnim(sc::kModifier, className); }

  // A derived object over base, carrying the modifiers in stack order (index 0 outermost).
  sim::SimAnim& Derived(host::Anim* below, std::vector<host::Anim*> modifiers) {
    sim::SimAnim& derived = host_.NewAnim(sc::kDerivedObject, u"Derived Object");
    derived.objRef = below;
    derived.modifiers = std::move(modifiers);
    return derived;
  }

  sim::SimAnim& Base() { return host_.NewAnim(sc::kGeomObject, u"Box"); }

  Text Export(host::Anim* object) {
    sim::SimNode node;
    node.object = object;
    return BuildDisplacementJson(host_, &node);
  }

  sim::SimHost host_;
};

TEST_F(DisplacementTest, NoModifierStackIsNull) {
  EXPECT_EQ(BuildDisplacementJson(host_, nullptr), u"null");
  EXPECT_EQ(Export(nullptr), u"null");
  EXPECT_EQ(Export(&Base()), u"null");
  EXPECT_EQ(Export(&Derived(&Base(), {&Modifier(u"Bend"), nullptr})), u"null");
  EXPECT_EQ(Export(&Derived(nullptr, {&Modifier(u"Bend")})), u"null");
}

TEST_F(DisplacementTest, ModifierMatchedByClassNameInAnyCase) {
  struct Case {
    const char16_t* className;
    bool matches;
  };
  const Case cases[] = {
      {u"CoronaDisplacementMod", true}, {u"CORONA_DISPLACEMENT", true},
      {u"MyCoronaDisplacement2", true}, {u"coronadisplacement", true},
      {u"Corona Displacement", false},  {u"Displace", false},
      {u"CoronaDisplace", false},       {u"Corona-Displacement", false},
  };
  for (const Case& c : cases) {
    const Text result = Export(&Derived(&Base(), {&Modifier(c.className)}));
    EXPECT_EQ(result, c.matches ? u"{\"displacement_found\":true}" : u"null")
        << ToUtf8(c.className);
  }
}

TEST_F(DisplacementTest, WritesFoundParametersCompactly) {
  sim::SimAnim& modifier = Modifier(u"CoronaDisplacementMod");
  AddParam(modifier, u"amount", pt::kWorld, 2.5);
  AddParam(modifier, u"enabled", pt::kBool, 1);
  EXPECT_EQ(Export(&Derived(&Base(), {&modifier})),
            u"{\"displacement_max\":2.5,\"displacement_enabled\":true}");
}

TEST_F(DisplacementTest, EveryRowInTableOrderWhateverTheStoredOrder) {
  sim::SimAnim& modifier = Modifier(u"CoronaDisplacementMod");
  AddParam(modifier, u"ENABLED", pt::kBool, 0);
  AddParam(modifier, u"displacementType", pt::kInt, 2);
  AddParam(modifier, u"pixelSize", pt::kFloat, 1);
  AddParam(modifier, u"screenSize", pt::kFloat, 2);
  AddParam(modifier, u"waterLevel", pt::kFloat, -0.5);
  AddParam(modifier, u"displacementMin", pt::kWorld, -1);
  AddParam(modifier, u"minDisplace", pt::kWorld, -2);
  AddParam(modifier, u"displacementMax", pt::kWorld, 3);
  AddParam(modifier, u"amount", pt::kWorld, 4);
  AddParam(modifier, u"maxDisplace", pt::kWorld, 5);
  AddParam(modifier, u"mapSource", pt::kInt, 7);
  EXPECT_EQ(Export(&Derived(&Base(), {&modifier})),
            u"{\"displacement_max\":5,\"displacement_max\":4,\"displacement_max\":3,"
            u"\"displacement_min\":-2,\"displacement_min\":-1,"
            u"\"displacement_water_level\":-0.5,\"displacement_screen_px\":2,"
            u"\"displacement_screen_px\":1,\"displacement_type\":2,"
            u"\"displacement_enabled\":false}");
}

TEST_F(DisplacementTest, FirstModifierFromTheOutsideInWins) {
  sim::SimAnim& outer = Modifier(u"CoronaDisplacementMod");
  AddParam(outer, u"amount", pt::kWorld, 1);
  sim::SimAnim& second = Modifier(u"CoronaDisplacementMod");
  AddParam(second, u"amount", pt::kWorld, 2);
  sim::SimAnim& inner = Modifier(u"CoronaDisplacementMod");
  AddParam(inner, u"amount", pt::kWorld, 3);

  sim::SimAnim& lower = Derived(&Base(), {&inner});
  EXPECT_EQ(Export(&Derived(&lower, {&Modifier(u"Bend"), &outer, &second})),
            u"{\"displacement_max\":1}");
  EXPECT_EQ(Export(&Derived(&lower, {&Modifier(u"Bend")})), u"{\"displacement_max\":3}");
}

TEST_F(DisplacementTest, ACycleOfDerivedObjectsEnds) {
  sim::SimAnim& first = Derived(nullptr, {&Modifier(u"Bend")});
  sim::SimAnim& second = Derived(&first, {&Modifier(u"Twist")});
  first.objRef = &second;
  EXPECT_EQ(Export(&first), u"null");
}

}  // namespace
}  // namespace larkspur
