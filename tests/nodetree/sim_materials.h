// Materials and maps built directly in the simulated host.
#pragma once

#include <vector>

#include "host/sim/sim_scene.h"
#include "host/text.h"
#include "nodetree/param_rows.h"
#include "tests/support/sim_builders.h"

namespace larkspur::testing {

SimAnim& NewMaterial(SimHost& host, Text className, Text name);
SimAnim& NewMap(SimHost& host, Text className, Text name);

// Adds a definition at the end of the anim's last parameter block (made when there is none).
void AddParam(SimAnim& anim, Text name, host::ParamType type, std::vector<SimValue> values);

void AddSlot(SimAnim& owner, Text slotName, host::Anim* map);

// The lines as UTF-16 text, one element each.
std::vector<Text> LineTexts(const ParamLines& lines);

}  // namespace larkspur::testing
