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

std::vector<Text> LineTexts(const ParamLines& lines) {
  std::vector<Text> texts;
  for (size_t i = 0; i < lines.size(); ++i) texts.push_back(FromUtf8(lines[i]));
  return texts;
}

}  // namespace larkspur::testing
