#include "host/sim/fbx_transform.h"

#include <algorithm>
#include <cmath>

namespace larkspur::sim {
namespace {

using Vec = std::array<double, 3>;
// Three axis rows and the translation row, in double so that the relative transform loses
// nothing before its final rounding.
using Rows = std::array<Vec, 4>;

constexpr double kPi = 3.14159265358979323846;

Rows ToRows(const host::Matrix3& m) {
  Rows rows;
  for (int i = 0; i < 4; ++i) rows[i] = Vec{m.rows[i].x, m.rows[i].y, m.rows[i].z};
  return rows;
}

double Dot(const Vec& a, const Vec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec Cross(const Vec& a, const Vec& b) {
  return Vec{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// p * a * b in one matrix.
Rows Multiply(const Rows& a, const Rows& b) {
  Rows out{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    }
  }
  for (int j = 0; j < 3; ++j) out[3][j] += b[3][j];
  return out;
}

// The inverse of an affine matrix, through the adjugate of its axis rows; false when it has none.
bool Invert(const Rows& m, Rows& out) {
  const double det = Dot(m[0], Cross(m[1], m[2]));
  if (det == 0.0 || !std::isfinite(det)) return false;
  // The columns of the inverse are the cross products of the rows, over the determinant.
  const Vec c0 = Cross(m[1], m[2]), c1 = Cross(m[2], m[0]), c2 = Cross(m[0], m[1]);
  for (int i = 0; i < 3; ++i) out[i] = Vec{c0[i] / det, c1[i] / det, c2[i] / det};
  out[3] = Vec{};
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 3; ++k) out[3][j] -= m[3][k] * out[k][j];
  }
  return true;
}

double Rounded(double value) {
  return static_cast<double>(host::NarrowToFloat(value)) + 0.0;  // no negative zero
}

Vec RoundedVec(const Vec& v) {
  return Vec{Rounded(v[0]), Rounded(v[1]), Rounded(v[2])};
}

// Euler angles of a rotation whose axis rows are u: the rotation matrix that turns column vectors
// is R = Rz * Ry * Rx, and its column i is u[i].
Vec EulerDegrees(const std::array<Vec, 3>& u) {
  const double sinY = std::clamp(-u[0][2], -1.0, 1.0);
  const double y = std::asin(sinY);
  double x = 0.0;
  double z = 0.0;
  if (std::hypot(u[0][0], u[0][1]) > 1e-6) {
    x = std::atan2(u[1][2], u[2][2]);
    z = std::atan2(u[0][1], u[0][0]);
  } else {
    // Y is a quarter turn: only X - Z (or X + Z) is fixed, so Z is taken as zero.
    x = sinY > 0 ? std::atan2(u[1][0], u[1][1]) : std::atan2(-u[1][0], u[1][1]);
  }
  const double toDegrees = 180.0 / kPi;
  return Vec{x * toDegrees, y * toDegrees, z * toDegrees};
}

}  // namespace

FbxLocalTransform LocalTransform(const host::Matrix3& world, const host::Matrix3& parentWorld) {
  Rows parentInverse;
  const Rows local = Invert(ToRows(parentWorld), parentInverse)
                         ? Multiply(ToRows(world), parentInverse)
                         : ToRows(world);
  Vec scale{std::sqrt(Dot(local[0], local[0])), std::sqrt(Dot(local[1], local[1])),
            std::sqrt(Dot(local[2], local[2]))};
  if (Dot(local[0], Cross(local[1], local[2])) < 0) {
    for (double& s : scale) s = -s;
  }
  std::array<Vec, 3> unit;
  for (int i = 0; i < 3; ++i) {
    unit[i] = Vec{};
    if (scale[i] == 0.0) {
      unit[i][i] = 1.0;  // a flattened axis keeps no direction of its own
      continue;
    }
    // Zero components carry no sign, so that a half turn always comes out as +180 degrees.
    for (int j = 0; j < 3; ++j) unit[i][j] = local[i][j] / scale[i] + 0.0;
  }
  FbxLocalTransform out;
  out.translation = RoundedVec(local[3]);
  out.rotationDegrees = RoundedVec(EulerDegrees(unit));
  out.scaling = RoundedVec(scale);
  return out;
}

}  // namespace larkspur::sim
