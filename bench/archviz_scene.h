// Scene files at the scale of architectural interiors, for the benchmarks: many geometry objects
// with small meshes and repeated names, physical materials with bitmaps (some maps shared between
// materials), multi-materials, displacement modifiers, and instanced lights with a sun.
#pragma once

#include <string>

namespace larkspur::bench {

struct ArchvizSize {
  int objects = 0;
  int materials = 0;  // physical materials; multi-materials come on top of them
  int lights = 0;     // light nodes; every four share one light object
};

// The proportions of a furnished interior: a material for every five objects, a light for every
// twenty-five.
ArchvizSize ArchvizSizeFor(int objects);

// The scene file's text; the same size always gives the same bytes.
std::string ArchvizSceneText(const ArchvizSize& size);

}  // namespace larkspur::bench
