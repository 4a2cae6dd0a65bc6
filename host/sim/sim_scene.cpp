#include "host/sim/sim_scene.h"

#include <cmath>

#include "host/sim/sim_scripts.h"

namespace larkspur::sim {
namespace pt = host::param_type;

namespace {

ParamType ElementType(ParamType type) {
  return type >= pt::kTab ? type - pt::kTab : type;
}

bool IsFloatType(ParamType t) {
  t = ElementType(t);
  return t == pt::kFloat || t == pt::kAngle || t == pt::kPcntFrac || t == pt::kWorld;
}
bool IsIntType(ParamType t) {
  t = ElementType(t);
  return t == pt::kInt || t == pt::kBool || t == pt::kIndex;
}
bool IsColorType(ParamType t) {
  t = ElementType(t);
  return t == pt::kRgba || t == pt::kFrgba;
}
bool IsPointType(ParamType t) {
  return ElementType(t) == pt::kPoint3;
}
bool IsStringType(ParamType t) {
  t = ElementType(t);
  return t == pt::kString || t == pt::kFilename;
}
bool IsRefType(ParamType t) {
  t = ElementType(t);
  return t == pt::kMtl || t == pt::kTexmap || t == pt::kRefTarg;
}

}  // namespace

const SimValue* SimParamBlock::Element(ParamId id, int tabIndex, bool (*accepts)(ParamType)) const {
  for (const SimParamDef& def : defs) {
    if (def.def.id != id) continue;
    if (!accepts(def.def.type) || !def.hasValue) return nullptr;
    const bool table = def.def.type >= pt::kTab;
    if (tabIndex < 0 || (!table && tabIndex != 0)) return nullptr;
    if (static_cast<size_t>(tabIndex) >= def.values.size()) return nullptr;
    return &def.values[tabIndex];
  }
  return nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, float& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsFloatType);
  if (v) value = static_cast<float>(v->number);
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, int& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsIntType);
  if (v) value = static_cast<int>(v->number);
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Color& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsColorType);
  if (v) value = v->color;
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Point3& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsPointType);
  if (v) value = v->point;
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, std::optional<Text>& value,
                             int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsStringType);
  if (v) value = v->text;
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Anim*& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsRefType);
  if (v) value = v->ref;
  return v != nullptr;
}

int SimParamBlock::Count(ParamId id) const {
  for (const SimParamDef& def : defs) {
    if (def.def.id == id) return def.def.type >= pt::kTab ? static_cast<int>(def.values.size()) : 0;
  }
  return 0;
}

Matrix3 SimUvGen::GetUVTransform() const {
  Matrix3 m;
  m.rows[3] = Point3{offsetU, offsetV, 0.0f};
  return m;
}

void SimMesh::SetNumVertCol(int count) {
  hasVertexColors = true;
  vertexColors.assign(static_cast<size_t>(std::max(count, 0)), Point3{});
}

void SimMesh::SetNumVCFaces(int count) {
  colorFaces.assign(static_cast<size_t>(std::max(count, 0)), std::array<uint32_t, 3>{});
}

void SimMesh::SetVertCol(int index, const Point3& color) {
  vertexColors.at(index) = color;
}

void SimMesh::SetVCFace(int face, const std::array<uint32_t, 3>& verts) {
  colorFaces.at(face) = verts;
}

const host::ParamBlock* SimAnim::GetParamBlock(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= blocks.size()) return nullptr;
  return blocks[index].get();
}

Anim* SimAnim::GetSubTexmap(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= subTexmaps.size()) return nullptr;
  return subTexmaps[index].map;
}

Text SimAnim::GetSubTexmapSlotName(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= subTexmaps.size()) return Text();
  return subTexmaps[index].slotName;
}

Anim* SimAnim::GetSubMtl(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= subMtls.size()) return nullptr;
  return subMtls[index];
}

Text SimAnim::GetMapName() const {
  if (superClass != host::super_class::kTexmap || classId != host::kBitmapTexClassId) return Text();
  return mapName.value_or(Text());
}

Anim* SimAnim::GetModifier(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= modifiers.size()) return nullptr;
  return modifiers[index];
}

bool SimAnim::CanConvertToType(ClassId type) const {
  return type == host::kTriObjectClassId && mesh.has_value();
}

Anim* SimAnim::ConvertToType(TimeValue, ClassId type) {
  if (!CanConvertToType(type)) return nullptr;
  if (classId == host::kTriObjectClassId) return this;
  SimAnim& tri =
      owner_.NewAnim(host::super_class::kGeomObject, u"Editable Mesh", host::kTriObjectClassId);
  tri.mesh = mesh;
  return &tri;
}

void SimAnim::DeleteMe() {
  owner_.Release(this);
}

host::Node* SimNode::GetChildNode(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= children.size()) return nullptr;
  return children[index].get();
}

Anim* SimNode::EvalWorldState(TimeValue) const {
  // The base object at the bottom of the chain, unless a derived object names what it evaluates
  // to (the first such one from the top wins). A cycle of derived objects evaluates to nothing.
  Anim* current = object;
  size_t steps = 0;
  while (current && current->SuperClassID() == host::super_class::kDerivedObject) {
    auto* derived = static_cast<SimAnim*>(current);
    if (derived->evaluatesTo) return derived->evaluatesTo;
    current = derived->objRef;
    if (++steps > 1'000'000) return nullptr;
  }
  return current;
}

SimHost::SimHost() : root_(std::make_unique<SimNode>()) {}

SimHost::~SimHost() = default;

SimAnim& SimHost::NewAnim(SClassId superClass, Text className, ClassId classId) {
  auto anim = std::make_unique<SimAnim>(*this);
  anim->superClass = superClass;
  anim->className = std::move(className);
  anim->classId = classId;
  anim->handle = nextHandle_++;
  SimAnim& ref = *anim;
  animIndex_[&ref] = anims_.size();
  anims_.push_back(std::move(anim));
  return ref;
}

void SimHost::Release(Anim* anim) {
  auto it = animIndex_.find(anim);
  if (it == animIndex_.end()) return;
  anims_[it->second].reset();
  animIndex_.erase(it);
}

std::vector<SimAnim*> SimHost::Anims() const {
  std::vector<SimAnim*> out;
  out.reserve(anims_.size());
  for (const auto& a : anims_) {
    if (a) out.push_back(a.get());
  }
  return out;
}

SimAnim* SimHost::FindAnim(const std::string& id) const {
  for (const auto& a : anims_) {
    if (a && a->id == id) return a.get();
  }
  return nullptr;
}

Text SimHost::GetDir(int which) const {
  return which == host::kUserScriptsDirId ? userScriptsDir : Text();
}

void SimHost::Log(host::LogType type, const Text& title, const Text& text) {
  log.push_back(SimLogEntry{type, title, text});
}

double SimHost::GetSystemUnitScale(int unitType) const {
  // Metres per unit of each unit type, in the order of the host's unit type numbers.
  static constexpr double kMetres[] = {0.0254, 0.3048, 1609.344, 0.001, 0.01, 1.0, 1000.0};
  if (unitType < 0 || unitType > host::unit_type::kKilometers) return metersPerUnit;
  return metersPerUnit / kMetres[unitType];
}

Text SimHost::GetFullFilePath(const Text& path) const {
  auto it = resolve.find(path);
  return it == resolve.end() ? Text() : it->second;
}

bool SimHost::ExportToFile(const Text& path, bool, uint32_t) {
  exports.push_back(path);
  return WriteFbxStandIn(*this, path);
}

bool SimHost::ExecuteMAXScriptScript(const Text& script, bool, host::ScriptResult* result) {
  scripts.push_back(script);
  return RunScript(*this, script, result);
}

Matrix3 ComposeMatrix(const Point3& p, const Quat& q, const Point3& s) {
  // Row-vector convention: a point transforms as p * M, so each axis row is the rotated unit
  // axis scaled by its scale factor.
  const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  Matrix3 m;
  m.rows[0] = Point3{(1 - 2 * (yy + zz)) * s.x, 2 * (xy + wz) * s.x, 2 * (xz - wy) * s.x};
  m.rows[1] = Point3{2 * (xy - wz) * s.y, (1 - 2 * (xx + zz)) * s.y, 2 * (yz + wx) * s.y};
  m.rows[2] = Point3{2 * (xz + wy) * s.z, 2 * (yz - wx) * s.z, (1 - 2 * (xx + yy)) * s.z};
  m.rows[3] = p;
  return m;
}

void SimHost::DecomposeMatrix(const Matrix3& m, Point3& position, Quat& rotation,
                              Point3& scale) const {
  position = m.rows[3];
  auto length = [](const Point3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
  scale = Point3{length(m.rows[0]), length(m.rows[1]), length(m.rows[2])};
  // A mirrored matrix keeps a proper rotation by negating the scale.
  const Point3& a = m.rows[0];
  const Point3& b = m.rows[1];
  const Point3& c = m.rows[2];
  const float det =
      a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
  if (det < 0) scale = Point3{-scale.x, -scale.y, -scale.z};
  auto unit = [](const Point3& v, float s) {
    return s == 0.0f ? Point3{} : Point3{v.x / s, v.y / s, v.z / s};
  };
  const Point3 r0 = unit(a, scale.x), r1 = unit(b, scale.y), r2 = unit(c, scale.z);
  // Inverse of ComposeMatrix's rotation part (Shepperd's method on the row layout).
  const float trace = r0.x + r1.y + r2.z;
  Quat q;
  if (trace > 0) {
    const float s = std::sqrt(trace + 1.0f) * 2;
    q = Quat{(r1.z - r2.y) / s, (r2.x - r0.z) / s, (r0.y - r1.x) / s, 0.25f * s};
  } else if (r0.x > r1.y && r0.x > r2.z) {
    const float s = std::sqrt(1.0f + r0.x - r1.y - r2.z) * 2;
    q = Quat{0.25f * s, (r1.x + r0.y) / s, (r2.x + r0.z) / s, (r1.z - r2.y) / s};
  } else if (r1.y > r2.z) {
    const float s = std::sqrt(1.0f + r1.y - r0.x - r2.z) * 2;
    q = Quat{(r1.x + r0.y) / s, 0.25f * s, (r2.y + r1.z) / s, (r2.x - r0.z) / s};
  } else {
    const float s = std::sqrt(1.0f + r2.z - r0.x - r1.y) * 2;
    q = Quat{(r2.x + r0.z) / s, (r2.y + r1.z) / s, 0.25f * s, (r0.y - r1.x) / s};
  }
  if (q.w < 0) q = Quat{-q.x, -q.y, -q.z, -q.w};
  rotation = q;
}

}  // namespace larkspur::sim
