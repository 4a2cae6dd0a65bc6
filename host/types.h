// Value types and identifiers shared by the host interface and the logic.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace larkspur::host {

// Every text inside the system is UTF-16, on every platform.
using Text = std::u16string;

using TimeValue = int32_t;
using AnimHandle = uint64_t;
using SClassId = uint32_t;
using ParamId = int16_t;
using ParamType = int32_t;

struct ClassId {
  uint32_t a = 0;
  uint32_t b = 0;
  friend bool operator==(const ClassId& l, const ClassId& r) { return l.a == r.a && l.b == r.b; }
  friend bool operator!=(const ClassId& l, const ClassId& r) { return !(l == r); }
};

struct Point3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct Color {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

// The host's quaternion, components in the host's order x, y, z, w.
struct Quat {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;
};

// The host's 4x3 matrix: three axis rows, then the translation row.
struct Matrix3 {
  std::array<Point3, 4> rows{Point3{1, 0, 0}, Point3{0, 1, 0}, Point3{0, 0, 1}, Point3{0, 0, 0}};
  Point3 GetTrans() const { return rows[3]; }
};

// A double narrowed to float as the processor does it, without leaving the language's defined
// behaviour: beyond the float range the result is the largest float or, from half a unit in the
// last place above it, an infinity.
inline float NarrowToFloat(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (!std::isfinite(value) || std::fabs(value) <= kMax) return static_cast<float>(value);
  const float sign = value < 0 ? -1.0f : 1.0f;
  return std::fabs(value) >= kMax + 0x1p103 ? sign * std::numeric_limits<float>::infinity()
                                            : sign * std::numeric_limits<float>::max();
}

// Super class ids compared by the logic or named by scene files.
namespace super_class {
inline constexpr SClassId kDerivedObject = 0x2;  // GEN_DERIVOB_CLASS_ID
inline constexpr SClassId kGeomObject = 0x10;
inline constexpr SClassId kCamera = 0x20;
inline constexpr SClassId kLight = 0x30;
inline constexpr SClassId kShape = 0x40;
inline constexpr SClassId kHelper = 0x50;
inline constexpr SClassId kModifier = 0x810;  // OSM_CLASS_ID
inline constexpr SClassId kMaterial = 0x0C00;
inline constexpr SClassId kTexmap = 0x0C10;
inline constexpr SClassId kUtility = 0x1020;
}  // namespace super_class

inline constexpr ClassId kMultiMaterialClassId{0x200, 0};
inline constexpr ClassId kBitmapTexClassId{0x240, 0};
inline constexpr ClassId kTriObjectClassId{9, 0};
inline constexpr ClassId kEditablePolyClassId{0x1BF8338D, 0x192F6098};

// Parameter types of the host's parameter blocks; a table type is its element type + kTab.
namespace param_type {
inline constexpr ParamType kFloat = 0;
inline constexpr ParamType kInt = 1;
inline constexpr ParamType kRgba = 2;
inline constexpr ParamType kPoint3 = 3;
inline constexpr ParamType kBool = 4;
inline constexpr ParamType kAngle = 5;
inline constexpr ParamType kPcntFrac = 6;
inline constexpr ParamType kWorld = 7;
inline constexpr ParamType kString = 8;
inline constexpr ParamType kFilename = 9;
inline constexpr ParamType kMtl = 14;
inline constexpr ParamType kTexmap = 15;
inline constexpr ParamType kRefTarg = 18;
inline constexpr ParamType kIndex = 19;
inline constexpr ParamType kFrgba = 23;
inline constexpr ParamType kTab = 2048;
}  // namespace param_type

// Unit types of GetSystemUnitScale.
namespace unit_type {
inline constexpr int kInches = 0;
inline constexpr int kFeet = 1;
inline constexpr int kMiles = 2;
inline constexpr int kMillimeters = 3;
inline constexpr int kCentimeters = 4;
inline constexpr int kMeters = 5;
inline constexpr int kKilometers = 6;
}  // namespace unit_type

// Log entry types of the host log.
enum class LogType : uint32_t { kError = 1, kWarn = 2, kInfo = 4, kDebug = 8 };

// Directory ids of Interface::GetDir.
inline constexpr int kUserScriptsDirId = 26;

}  // namespace larkspur::host
