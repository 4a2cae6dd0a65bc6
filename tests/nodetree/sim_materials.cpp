#include "tests/nodetree/sim_materials.h"

namespace larkspur::testing {

SimAnim& NewMaterial(SimHost& host, Text className, Text name) {
  SimAnim& material = host.NewAnim(host::super_class::kMaterial, std::move(className));
  material.name = std::move(name);
  return material;
}

SimAnim& NewMap(SimHost& host, Text className, Text name) {
  SimAnim& map = host.NewAnim(host::super_class::kTexmap, std::move(className));
  map.name = std::move(name);
  return map;
}

void AddParam(SimAnim& anim, Text name, host::ParamType type, std::vector<SimValue> values) {
  SimParamBlock& block =
      anim.blocks.empty() || !anim.blocks.back() ? AddBlock(anim) : *anim.blocks.back();
  testing::AddParam(block, std::optional<Text>(std::move(name)), type, std::move(values));
}

void AddSlot(SimAnim& owner, Text slotName, host::Anim* map) {
  owner.subTexmaps.push_back(sim::SimSubTexmap{std::move(slotName), map});
}

Text RenumberNodeIds(const Text& json, int32_t base) {
  static constexpr std::u16string_view kPrefixes[] = {u"\"node_id\": ", u"{ \"ref\": "};
  Text out;
  size_t pos = 0;
  while (pos < json.size()) {
    size_t next = Text::npos;
    size_t prefixLength = 0;
    for (std::u16string_view prefix : kPrefixes) {
      const size_t found = json.find(prefix, pos);
      if (found < next) {
        next = found;
        prefixLength = prefix.size();
      }
    }
    if (next == Text::npos) break;
    const size_t digits = next + prefixLength;
    size_t end = digits;
    long long id = 0;
    while (end < json.size() && json[end] >= u'0' && json[end] <= u'9') {
      id = id * 10 + (json[end] - u'0');
      ++end;
    }
    out.append(json, pos, digits - pos);
    out += FormatInt(id - base);
    pos = end;
  }
  out.append(json, pos, Text::npos);
  return out;
}

}  // namespace larkspur::testing
