// Materials and maps built directly in the simulated host, and golden-file comparison of the
// texts built from them.
#pragma once

#include <string>
#include <vector>

#include "host/sim/sim_scene.h"
#include "host/text.h"
#include "tests/support/sim_builders.h"

namespace larkspur::testing {

SimAnim& NewMaterial(SimHost& host, Text className, Text name);
SimAnim& NewMap(SimHost& host, Text className, Text name);

// Adds a definition at the end of the anim's last parameter block (made when there is none).
void AddParam(SimAnim& anim, Text name, host::ParamType type, std::vector<SimValue> values);
void AddFloat(SimAnim& anim, Text name, double value);
void AddInt(SimAnim& anim, Text name, int value);
void AddBool(SimAnim& anim, Text name, bool value);
void AddColor(SimAnim& anim, Text name, float r, float g, float b);
void AddPoint(SimAnim& anim, Text name, float x, float y, float z);
void AddString(SimAnim& anim, Text name, Text value);
void AddBoolTable(SimAnim& anim, Text name, const std::vector<bool>& values);
void AddFloatTable(SimAnim& anim, Text name, const std::vector<double>& values);

void AddSlot(SimAnim& owner, Text slotName, host::Anim* map);

// The text with every node id and reference id lowered by base, so that a tree compares the same
// whatever ids this process drew before it.
Text RenumberNodeIds(const Text& json, int32_t base);

// Compares text with the UTF-8 file at path (relative to the test's source folder). With the
// environment variable LARKSPUR_UPDATE_GOLDEN set the file is written instead.
void ExpectGolden(const std::string& path, const Text& text);

}  // namespace larkspur::testing
