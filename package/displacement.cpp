#include "package/displacement.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "nodetree/param_rows.h"

namespace larkspur {

namespace {

// Several host names feed one key: they differ between versions of the modifier, and each one
// the modifier carries writes its own line.
constexpr ParamRow kDisplacementRows[] = {
    {u"displacement_max",         u"maxDisplace",      LineRow},
    {u"displacement_max",         u"amount",           LineRow},
    {u"displacement_max",         u"displacementMax",  LineRow},
    {u"displacement_min",         u"minDisplace",      LineRow},
    {u"displacement_min",         u"displacementMin",  LineRow},
    {u"displacement_water_level", u"waterLevel",       LineRow},
    {u"displacement_screen_px",   u"screenSize",       LineRow},
    {u"displacement_screen_px",   u"pixelSize",        LineRow},
    {u"displacement_type",        u"displacementType", LineRow},
    {u"displacement_enabled",     u"enabled",          LineRow},
};

bool IsDisplacementModifier(const host::Anim& modifier) {
  const Text name = ToLowerAscii(modifier.GetClassName());
  return name.find(u"coronadisplacement") != Text::npos ||
         name.find(u"corona_displacement") != Text::npos;
}

// The first displacement modifier from the outside of the pipeline in, or null.
const host::Anim* FindDisplacementModifier(const host::Node& node) {
  std::unordered_set<const host::Anim*> visited;
  for (const host::Anim* object = node.GetObjectRef(); object; object = object->GetObjRef()) {
    if (object->SuperClassID() != host::super_class::kDerivedObject) return nullptr;
    // A pipeline that leads back to itself has been searched in full.
    if (!visited.insert(object).second) return nullptr;
    const int count = object->NumModifiers();
    for (int i = 0; i < count; ++i) {
      const host::Anim* modifier = object->GetModifier(i);
      if (modifier && IsDisplacementModifier(*modifier)) return modifier;
    }
  }
  return nullptr;
}

}  // namespace

Text BuildDisplacementJson(host::Interface& ip, BuildCache& cache, const host::Node* node) {
  const host::Anim* modifier = node ? FindDisplacementModifier(*node) : nullptr;
  if (!modifier) return u"null";

  const ParamLines lines =
      ExportRows(RowContext{ip, *modifier, cache.ParamsOf(*modifier)}, kDisplacementRows);
  if (lines.empty()) return u"{\"displacement_found\":true}";
  const Text record = u"{" + lines.Joined(u",") + u"}";
  return record;
}

}  // namespace larkspur
