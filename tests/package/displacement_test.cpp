#include "package/displacement.h"

#include <gtest/gtest.h>

#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

namespace sc = host::super_class;

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

}  // namespace
}  // namespace larkspur
