#include "host/sim/sim_scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "host/sim/fbx_scene_writer.h"
#include "host/sim/sim_scripts.h"

namespace larkspur::sim {
namespace pt = host::param_type;

ParamType ElementType(ParamType type) {
  return IsTableType(type) ? type - pt::kTab : type;
}

bool IsTableType(ParamType type) {
  return type >= pt::kTab;
}

SimValueKind ValueKindOf(ParamType type) {
  switch (ElementType(type)) {
    case pt::kFloat:
    case pt::kAngle:
    case pt::kPcntFrac:
    case pt::kWorld:
      return SimValueKind::kFloat;
    case pt::kInt:
    case pt::kIndex:
      return SimValueKind::kInt;
    case pt::kBool:
      return SimValueKind::kBool;
    case pt::kRgba:
    case pt::kFrgba:
      return SimValueKind::kColor;
    case pt::kPoint3:
      return SimValueKind::kPoint;
    case pt::kString:
    case pt::kFilename:
      return SimValueKind::kText;
    case pt::kMtl:
    case pt::kTexmap:
    case pt::kRefTarg:
      return SimValueKind::kRef;
    default:
      return SimValueKind::kNone;
  }
}

namespace {

bool IsFloatType(ParamType t) {
  return ValueKindOf(t) == SimValueKind::kFloat;
}
bool IsIntType(ParamType t) {
  const SimValueKind kind = ValueKindOf(t);
  return kind == SimValueKind::kInt || kind == SimValueKind::kBool;
}
bool IsColorType(ParamType t) {
  return ValueKindOf(t) == SimValueKind::kColor;
}
bool IsPointType(ParamType t) {
  return ValueKindOf(t) == SimValueKind::kPoint;
}
bool IsStringType(ParamType t) {
  return ValueKindOf(t) == SimValueKind::kText;
}
bool IsRefType(ParamType t) {
  return ValueKindOf(t) == SimValueKind::kRef;
}

}  // namespace

SimParamDesc::SimParamDesc(std::vector<host::ParamDef> defs) : defs_(std::move(defs)) {
  count = static_cast<int>(defs_.size());
  paramdefs = defs_.data();
  indexById_.reserve(defs_.size());
  for (size_t d = 0; d < defs_.size(); ++d)
    indexById_.try_emplace(defs_[d].id, static_cast<int>(d));
}

int SimParamDesc::IndexOf(ParamId id) const {
  const auto found = indexById_.find(id);
  return found == indexById_.end() ? -1 : found->second;
}

int SimParamBlock::DefIndex(ParamId id) const {
  return desc ? desc->IndexOf(id) : -1;
}

const SimValue* SimParamBlock::Element(ParamId id, int tabIndex, bool (*accepts)(ParamType)) const {
  const int d = DefIndex(id);
  if (d < 0 || !accepts(desc->Defs()[d].type) || static_cast<size_t>(d) >= values.size()) {
    return nullptr;
  }
  const bool table = IsTableType(desc->Defs()[d].type);
  if (tabIndex < 0 || (!table && tabIndex != 0)) return nullptr;
  if (static_cast<size_t>(tabIndex) >= values[d].size()) return nullptr;
  return &values[d][tabIndex];
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, float& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsFloatType);
  if (v) value = static_cast<float>(v->Number());
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, int& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsIntType);
  if (v) value = static_cast<int>(v->Number());
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Color& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsColorType);
  if (v) value = v->GetColor();
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Point3& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsPointType);
  if (v) value = v->GetPoint();
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, std::optional<Text>& value,
                             int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsStringType);
  if (v) value = v->GetText();
  return v != nullptr;
}

bool SimParamBlock::GetValue(ParamId id, TimeValue, Anim*& value, int tabIndex) const {
  const SimValue* v = Element(id, tabIndex, IsRefType);
  if (v) value = v->Ref();
  return v != nullptr;
}

int SimParamBlock::Count(ParamId id) const {
  const int d = DefIndex(id);
  if (d < 0 || !IsTableType(desc->Defs()[d].type) || static_cast<size_t>(d) >= values.size()) {
    return 0;
  }
  return static_cast<int>(values[d].size());
}

SimValue& SimValue::operator=(const SimValue& other) {
  if (this != &other) {
    FreeText();
    CopyFrom(other);
  }
  return *this;
}

SimValue& SimValue::operator=(SimValue&& other) noexcept {
  if (this != &other) {
    FreeText();
    TakeFrom(other);
  }
  return *this;
}

void SimValue::CopyFrom(const SimValue& other) {
  slot_ = other.slot_;
  if (slot_ == Slot::kText) {
    text_ = other.text_ ? new Text(*other.text_) : nullptr;
  } else {
    std::memcpy(floats_, other.floats_, sizeof floats_);
  }
}

void SimValue::TakeFrom(SimValue& other) {
  slot_ = other.slot_;
  std::memcpy(floats_, other.floats_, sizeof floats_);
  other.slot_ = Slot::kNumber;  // the text, if any, is now this value's
  other.number_ = 0.0;
}

void SimValue::FreeText() {
  if (slot_ == Slot::kText) delete text_;
  slot_ = Slot::kNumber;
  number_ = 0.0;
}

SimValue SimValue::OfNumber(double number) {
  SimValue value;
  value.number_ = number;
  return value;
}

SimValue SimValue::OfColor(const Color& color, std::optional<float> alpha) {
  SimValue value;
  value.slot_ = alpha ? Slot::kColorAlpha : Slot::kColor;
  value.floats_[0] = color.r;
  value.floats_[1] = color.g;
  value.floats_[2] = color.b;
  value.floats_[3] = alpha.value_or(1.0f);
  return value;
}

SimValue SimValue::OfPoint(const Point3& point) {
  SimValue value;
  value.slot_ = Slot::kPoint;
  value.floats_[0] = point.x;
  value.floats_[1] = point.y;
  value.floats_[2] = point.z;
  return value;
}

SimValue SimValue::OfText(std::optional<Text> text) {
  SimValue value;
  value.slot_ = Slot::kText;
  value.text_ = text ? new Text(std::move(*text)) : nullptr;
  return value;
}

SimValue SimValue::OfRef(Anim* ref) {
  SimValue value;
  value.slot_ = Slot::kRef;
  value.ref_ = ref;
  return value;
}

Color SimValue::GetColor() const {
  if (slot_ != Slot::kColor && slot_ != Slot::kColorAlpha) return Color{};
  return Color{floats_[0], floats_[1], floats_[2]};
}

Point3 SimValue::GetPoint() const {
  return slot_ == Slot::kPoint ? Point3{floats_[0], floats_[1], floats_[2]} : Point3{};
}

std::optional<Text> SimValue::GetText() const {
  if (slot_ != Slot::kText || !text_) return std::nullopt;
  return *text_;
}

SimValues::SimValues(std::vector<SimValue> values) {
  if (values.size() == 1) {
    first_ = std::move(values.front());
    hasFirst_ = true;
  } else {
    table_ = std::move(values);
  }
}

void SimValues::PushToTable(SimValue value) {
  if (table_.empty()) {
    table_.push_back(std::move(first_));
    first_ = SimValue();
    hasFirst_ = false;
  }
  table_.push_back(std::move(value));
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
  SimAnim& tri = owner_.NewAnim(host::super_class::kGeomObject, u"Editable Mesh",
                                host::kTriObjectClassId, id + "_mesh");
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
  std::unordered_set<const Anim*> seen;
  while (current && current->SuperClassID() == host::super_class::kDerivedObject) {
    if (!seen.insert(current).second) return nullptr;
    auto* derived = static_cast<SimAnim*>(current);
    if (derived->evaluatesTo) return derived->evaluatesTo;
    current = derived->objRef;
  }
  return current;
}

SimHost::SimHost() : root_(std::make_unique<SimNode>()) {}

SimHost::~SimHost() = default;

SimAnim& SimHost::NewAnim(SClassId superClass, Text className, ClassId classId,
                          const std::string& idHint) {
  auto anim = std::make_unique<SimAnim>(*this);
  anim->id = FreshId(idHint);
  anim->superClass = superClass;
  anim->className = std::move(className);
  anim->classId = classId;
  return AdoptAnim(std::move(anim), std::nullopt);
}

SimAnim& SimHost::AdoptAnim(std::unique_ptr<SimAnim> anim, std::optional<AnimHandle> handle) {
  const AnimHandle fresh = nextHandle_++;
  anim->handle = handle.value_or(fresh);
  SimAnim& ref = *anim;
  animIndex_[&ref] = anims_.size();
  animsById_.Insert(&ref);
  anims_.push_back(std::move(anim));
  return ref;
}

std::string SimHost::FreshId(const std::string& hint) {
  const std::string base = hint.empty() ? "anim" : hint;
  if (!animsById_.Find(base)) return base;
  int& suffix = nextIdSuffix_.try_emplace(base, 2).first->second;
  std::string id;
  do {
    id = base + "_" + std::to_string(suffix++);
  } while (animsById_.Find(id));
  return id;
}

void SimHost::ReserveAnims(size_t count) {
  anims_.reserve(anims_.size() + count);
  animIndex_.reserve(animIndex_.size() + count);
  animsById_.Reserve(anims_.size() + count);
}

void SimHost::ReserveHandlesThrough(AnimHandle handle) {
  nextHandle_ = std::max(nextHandle_, handle + 1);
}

void SimHost::Release(Anim* anim) {
  auto it = animIndex_.find(anim);
  if (it == animIndex_.end()) return;
  animsById_.Erase(anims_[it->second]->id);
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
  return animsById_.Find(id);
}

SimAnim* SimHost::Owned(const Anim* anim) const {
  auto it = animIndex_.find(anim);
  return it == animIndex_.end() ? nullptr : anims_[it->second].get();
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
  return RunFbxExporter(*this, path);
}

bool SimHost::ExecuteMAXScriptScript(const Text& script, bool, host::ScriptResult* result) {
  scripts.push_back(script);
  return RunScript(*this, script, result);
}

namespace {

template <typename NodeT>
std::vector<NodeT*> PreOrder(NodeT& root) {
  std::vector<NodeT*> out;
  std::vector<NodeT*> pending{&root};
  while (!pending.empty()) {
    NodeT* node = pending.back();
    pending.pop_back();
    if (node != &root) out.push_back(node);
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return out;
}

}  // namespace

std::vector<SimNode*> PreOrderNodes(SimNode& root) {
  return PreOrder(root);
}

std::vector<const SimNode*> PreOrderNodes(const SimNode& root) {
  return PreOrder(root);
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
  // An axis of zero scale leaves part of the rotation open: the quaternion is made unit length
  // again, and the identity stands in when nothing of it is left.
  const float norm = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  const bool collapsed = scale.x == 0 && scale.y == 0 && scale.z == 0;
  q = norm > 0 && std::isfinite(norm) && !collapsed
          ? Quat{q.x / norm, q.y / norm, q.z / norm, q.w / norm}
          : Quat{};
  if (q.w < 0) q = Quat{-q.x, -q.y, -q.z, -q.w};
  // Zero components carry no sign: the same rotation always decomposes to the same text.
  for (float* c : {&q.x, &q.y, &q.z, &q.w}) *c += 0.0f;
  rotation = q;
}

}  // namespace larkspur::sim
