#include "package/transform.h"

#include "json/json_text.h"

namespace larkspur {

namespace {

constexpr float kInchInMetres = 0.0254f;

// Each component multiplied in 32-bit float, as the package's positions are.
host::Point3 Scaled(const host::Point3& p, float factor) {
  return host::Point3{p.x * factor, p.y * factor, p.z * factor};
}

}  // namespace

float GetMetersPerUnit(const host::Interface& ip) {
  const float scale = host::NarrowToFloat(ip.GetSystemUnitScale(host::unit_type::kMeters));
  // Only a scale of zero or below stands for "no unit"; any other is the host's word, and a
  // non-finite one is written as null where it is used.
  if (scale <= 0.0f) return kInchInMetres;
  return scale;
}

Text BuildTransformJson(const host::Interface& ip, const host::Node& node, host::TimeValue t,
                        float unitScale, bool targeted) {
  host::Point3 position;
  host::Quat rotation;
  host::Point3 scale;
  ip.DecomposeMatrix(node.GetObjectTM(t), position, rotation, scale);

  Text line = u"\"transform\":{\"position\":";
  line += FormatJsonPoint3(Scaled(position, unitScale));
  line += u",\"quat\":";
  line += FormatJsonQuat(rotation);
  line += u",\"scale\":";
  line += FormatJsonPoint3(scale);
  line += u'}';

  const host::Node* target = targeted ? node.GetTarget() : nullptr;
  if (target) {
    line += u",\"target_transform\":{\"position\":";
    line += FormatJsonPoint3(Scaled(target->GetObjectTM(t).GetTrans(), unitScale));
    line += u'}';
  }
  return line;
}

}  // namespace larkspur
