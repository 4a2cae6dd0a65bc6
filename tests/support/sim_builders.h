// Small helpers for building simulated scenes in tests.
#pragma once

#include <optional>

#include "host/sim/sim_scene.h"

namespace larkspur::testing {

using sim::SimAnim;
using sim::SimHost;
using sim::SimNode;
using sim::SimParamBlock;
using sim::SimValue;

inline SimValue Number(double n) {
  return SimValue::OfNumber(n);
}
inline SimValue Rgb(float r, float g, float b) {
  return SimValue::OfColor({r, g, b});
}
inline SimValue Xyz(float x, float y, float z) {
  return SimValue::OfPoint({x, y, z});
}
inline SimValue String(std::optional<host::Text> s) {
  return SimValue::OfText(std::move(s));
}
inline SimValue Ref(host::Anim* a) {
  return SimValue::OfRef(a);
}

// Adds a block with a descriptor of its own, as yet empty, to anim and returns it.
inline SimParamBlock& AddBlock(SimAnim& anim) {
  anim.blocks.push_back(std::make_unique<SimParamBlock>());
  anim.blocks.back()->desc =
      std::make_shared<const sim::SimParamDesc>(std::vector<host::ParamDef>{});
  return *anim.blocks.back();
}

// Adds a definition whose id is its position in the block, to a copy of the block's descriptor.
inline void AddParam(SimParamBlock& block, std::optional<host::Text> name, host::ParamType type,
                     std::vector<SimValue> values) {
  std::vector<host::ParamDef> defs =
      block.desc ? block.desc->Defs() : std::vector<host::ParamDef>{};
  defs.push_back(host::ParamDef{std::move(name), type, static_cast<host::ParamId>(defs.size())});
  block.desc = std::make_shared<const sim::SimParamDesc>(std::move(defs));
  block.values.resize(block.desc->Defs().size() - 1);
  block.values.push_back(std::move(values));
}

inline void AddParam(SimParamBlock& block, host::Text name, host::ParamType type, SimValue value) {
  AddParam(block, std::optional<host::Text>(std::move(name)), type, std::vector<SimValue>{value});
}

inline SimNode& AddNode(SimNode& parent, host::Text name) {
  parent.children.push_back(std::make_unique<SimNode>());
  parent.children.back()->name = std::move(name);
  return *parent.children.back();
}

// A triangle-mesh geometry object whose faces carry the given material ids.
inline SimAnim& AddBoxObject(SimHost& host, std::vector<uint16_t> matIds = {0},
                             host::ClassId classId = {0x10, 0}) {
  SimAnim& box = host.NewAnim(host::super_class::kGeomObject, u"Box", classId);
  box.mesh.emplace();
  box.mesh->vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (uint16_t id : matIds) box.mesh->faces.push_back(sim::SimFace{{0, 1, 2}, id});
  return box;
}

}  // namespace larkspur::testing
