// Small helpers for building simulated scenes in tests.
#pragma once

#include <optional>

#include "host/sim/sim_scene.h"

namespace larkspur::testing {

using sim::SimAnim;
using sim::SimHost;
using sim::SimNode;
using sim::SimParamBlock;
using sim::SimParamDef;
using sim::SimValue;

inline SimValue Number(double n) {
  SimValue v;
  v.number = n;
  return v;
}
inline SimValue Rgb(float r, float g, float b) {
  SimValue v;
  v.color = {r, g, b};
  return v;
}
inline SimValue Xyz(float x, float y, float z) {
  SimValue v;
  v.point = {x, y, z};
  return v;
}
inline SimValue String(std::optional<host::Text> s) {
  SimValue v;
  v.text = std::move(s);
  return v;
}
inline SimValue Ref(host::Anim* a) {
  SimValue v;
  v.ref = a;
  return v;
}

// Adds a block to anim and returns it.
inline SimParamBlock& AddBlock(SimAnim& anim) {
  anim.blocks.push_back(std::make_unique<SimParamBlock>());
  return *anim.blocks.back();
}

// Adds a definition whose id is its position in the block.
inline void AddParam(SimParamBlock& block, std::optional<host::Text> name, host::ParamType type,
                     std::vector<SimValue> values) {
  SimParamDef def;
  def.def.internalName = std::move(name);
  def.def.type = type;
  def.def.id = static_cast<host::ParamId>(block.defs.size());
  def.hasValue = true;
  def.values = std::move(values);
  block.defs.push_back(std::move(def));
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
