#include "nodetree/param_lookup.h"

#include <algorithm>
#include <cstring>

#include "json/json_text.h"

namespace larkspur {
namespace pt = host::param_type;

namespace {

// The kind a parameter of this type reads as; None for a type the lookup passes over.
ParamKind KindOfType(host::ParamType type) {
  switch (type) {
    case pt::kFloat:
    case pt::kAngle:
    case pt::kPcntFrac:
    case pt::kWorld:
      return ParamKind::Float;
    case pt::kInt:
    case pt::kIndex:
      return ParamKind::Int;
    case pt::kBool:
      return ParamKind::Bool;
    case pt::kRgba:
    case pt::kFrgba:
      return ParamKind::Color;
    case pt::kPoint3:
      return ParamKind::Point3;
    case pt::kString:
    case pt::kFilename:
      return ParamKind::String;
    default:
      return ParamKind::None;
  }
}

bool IsReferenceType(host::ParamType type) {
  return type == pt::kMtl || type == pt::kTexmap || type == pt::kRefTarg;
}

bool IsReadableTableType(host::ParamType type) {
  switch (type) {
    case pt::kTab + pt::kFloat:
    case pt::kTab + pt::kInt:
    case pt::kTab + pt::kRgba:
    case pt::kTab + pt::kPoint3:
    case pt::kTab + pt::kBool:
    case pt::kTab + pt::kString:
    case pt::kTab + pt::kFrgba:
      return true;
    default:
      return false;
  }
}

// Reads element tabIndex of a definition as kind. A read the host refuses leaves the zero value
// with the kind set.
ParamValue ReadAs(ParamKind kind, const host::ParamBlock& block, const host::ParamDef& def,
                  host::TimeValue t, int tabIndex) {
  const host::ParamId id = def.id;
  ParamValue out;
  out.kind = kind;
  switch (kind) {
    case ParamKind::Float:
      block.GetValue(id, t, out.floatValue, tabIndex);
      break;
    case ParamKind::Int:
      block.GetValue(id, t, out.intValue, tabIndex);
      break;
    case ParamKind::Bool: {
      int stored = 0;
      block.GetValue(id, t, stored, tabIndex);
      out.boolValue = stored != 0;
      break;
    }
    case ParamKind::Color:
      block.GetValue(id, t, out.colorValue, tabIndex);
      break;
    case ParamKind::Point3:
      block.GetValue(id, t, out.pointValue, tabIndex);
      break;
    case ParamKind::String: {
      std::optional<Text> stored;
      block.GetValue(id, t, stored, tabIndex);
      out.stringValue = stored.value_or(Text());
      break;
    }
    case ParamKind::None:
      break;
  }
  return out;
}

}  // namespace

size_t ParamNames::FoldedHash::operator()(std::u16string_view name) const {
  // Four units at a time, each with bit 5 set: the two cases of a letter hash alike, which is all
  // that names equal under folding need (the few other units it merges only share a bucket).
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  constexpr uint64_t kFoldBits = 0x0020002000200020ull;
  uint64_t hash = name.size();
  size_t i = 0;
  for (; name.size() - i >= 4; i += 4) {
    uint64_t word;
    std::memcpy(&word, name.data() + i, sizeof word);
    hash = (hash ^ (word | kFoldBits)) * kMultiplier;
    hash ^= hash >> 32;
  }
  for (; i < name.size(); ++i) hash = (hash ^ static_cast<uint64_t>(name[i] | 0x20)) * kMultiplier;
  return static_cast<size_t>(hash ^ (hash >> 29));
}

ParamNames::ParamNames(const host::Anim* object, std::pmr::memory_resource* memory)
    : byName_(memory) {
  if (!object) return;
  const int blockCount = object->NumParamBlocks();
  size_t defTotal = 0;
  for (int i = 0; i < blockCount; ++i) {
    const host::ParamBlock* block = object->GetParamBlock(i);
    const host::ParamBlockDesc* desc = block ? block->GetDesc() : nullptr;
    if (desc) defTotal += static_cast<size_t>(std::max(desc->count, 0));
  }
  byName_.reserve(defTotal);
  for (int i = 0; i < blockCount; ++i) {
    const host::ParamBlock* block = object->GetParamBlock(i);
    const host::ParamBlockDesc* desc = block ? block->GetDesc() : nullptr;
    if (!desc) continue;
    for (int d = 0; d < desc->count; ++d) {
      const host::ParamDef& def = desc->paramdefs[d];
      if (!def.internalName) continue;
      NamedParams& named = byName_[*def.internalName];
      const ParamSlot slot{i, &def};
      if (!named.first.def) named.first = slot;
      if (!named.firstValue.def && KindOfType(def.type) != ParamKind::None) {
        named.firstValue = slot;
      }
      if (!named.firstReference.def && IsReferenceType(def.type)) named.firstReference = slot;
    }
  }
}

const NamedParams* ParamNames::Find(std::u16string_view name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : &found->second;
}

ParamIndex::ParamIndex(const host::Anim* object, std::pmr::memory_resource* memory)
    : object_(object), own_(std::make_unique<ParamNames>(object, memory)), names_(own_.get()) {}

ParamIndex::ParamIndex(const host::Anim& object, const ParamNames& shared)
    : object_(&object), names_(&shared) {}

const host::ParamBlock& ParamIndex::Block(int index) const {
  return *object_->GetParamBlock(index);
}

ParamValue FindParamValue(const host::Interface& ip, const ParamIndex& params,
                          std::u16string_view name) {
  const NamedParams* named = params.Find(name);
  if (!named || !named->firstValue.def) return ParamValue();
  const ParamSlot& slot = named->firstValue;
  return ReadAs(KindOfType(slot.def->type), params.Block(slot.block), *slot.def, ip.GetTime(), 0);
}

host::Anim* FindParamRef(const host::Interface& ip, const ParamIndex& params,
                         std::u16string_view name) {
  const NamedParams* named = params.Find(name);
  host::Anim* result = nullptr;
  if (!named || !named->firstReference.def) return result;
  const ParamSlot& slot = named->firstReference;
  params.Block(slot.block).GetValue(slot.def->id, ip.GetTime(), result, 0);
  return result;
}

int32_t FindParamTabCount(const ParamIndex& params, std::u16string_view name) {
  const NamedParams* named = params.Find(name);
  if (!named || !IsReadableTableType(named->first.def->type)) return -1;
  return params.Block(named->first.block).Count(named->first.def->id);
}

ParamValue FindParamTabValue(const host::Interface& ip, const ParamIndex& params,
                             std::u16string_view name, int index) {
  const NamedParams* named = params.Find(name);
  if (!named || !IsReadableTableType(named->first.def->type)) return ParamValue();
  const ParamSlot& slot = named->first;
  return ReadAs(KindOfType(slot.def->type - pt::kTab), params.Block(slot.block), *slot.def,
                ip.GetTime(), index);
}

}  // namespace larkspur
