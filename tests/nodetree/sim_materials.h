// Materials and maps built directly in the simulated host, and node trees made comparable
// whatever ids the process drew before them.
#pragma once

#include <vector>

#include "host/sim/sim_scene.h"
#include "host/text.h"
#include "tests/support/sim_builders.h"

namespace larkspur::testing {

SimAnim& NewMaterial(SimHost& host, Text className, Text name);
SimAnim& NewMap(SimHost& host, Text className, Text name);

// Adds a definition at the end of the anim's last parameter block (made when there is none).
void AddParam(SimAnim& anim, Text name, host::ParamType type, std::vector<SimValue> values);

void AddSlot(SimAnim& owner, Text slotName, host::Anim* map);

// The text with every node id and reference id lowered by base, so that a tree compares the same
// whatever ids this process drew before it.
Text RenumberNodeIds(const Text& json, int32_t base);

}  // namespace larkspur::testing
