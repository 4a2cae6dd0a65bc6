// A node's transform relative to its parent, as FBX models carry it: translation, Euler rotation
// in degrees (X first, then Y, then Z, about fixed axes) and scaling.
#pragma once

#include <array>

#include "host/types.h"

namespace larkspur::sim {

struct FbxLocalTransform {
  std::array<double, 3> translation{};
  std::array<double, 3> rotationDegrees{};
  std::array<double, 3> scaling{1, 1, 1};
};

// world relative to parentWorld (both map a point p to p * M). A parent that cannot be inverted
// counts as the identity, so the node keeps its world transform. Shear, which a non-uniform
// scale under a rotated parent gives, has no place in the three parts and is dropped; a mirror
// becomes negative scale factors. Every value is rounded to the host's float precision, which
// also keeps the last bits of the math library out of the file.
FbxLocalTransform LocalTransform(const host::Matrix3& world, const host::Matrix3& parentWorld);

}  // namespace larkspur::sim
