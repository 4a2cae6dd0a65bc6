#include "transfer/material_names.h"

#include <unordered_map>
#include <unordered_set>

#include "host/scene_walk.h"
#include "host/text.h"
#include "transfer/material_walk.h"

namespace larkspur {
namespace {

constexpr size_t kMaxKeyLength = 56;
constexpr size_t kHashedKeyPrefixLength = 49;  // + "_" + 6 hex digits = kMaxKeyLength

bool IsSafeNameUnit(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'-' || c == u'_';
}

void TrimTrailingUnderscores(Text& text) {
  while (!text.empty() && text.back() == u'_') text.pop_back();
}

// djb2 over the UTF-16 code units, modulo 2^32.
uint32_t Djb2(std::u16string_view text) {
  uint32_t hash = 5381;
  for (const char16_t c : text) hash = hash * 33 + c;
  return hash;
}

Text LowHex24(uint32_t value) {
  constexpr char16_t kDigits[] = u"0123456789abcdef";
  Text hex(6, u'0');
  for (int i = 5; i >= 0; --i, value >>= 4) hex[i] = kDigits[value & 0xF];
  return hex;
}

// "_%02d": _01 ... _99, then _100 and on.
Text NumberSuffix(int number) {
  return (number < 10 ? u"_0" : u"_") + FormatInt(number);
}

struct MtlNameGroup {
  Text key;
  std::vector<host::Anim*> materials;  // distinct, in the order the walk reached them
};

// Name groups in creation order, found by key in constant time.
class MtlNameGroups {
 public:
  void Add(host::Anim& material, Text key) {
    const auto [slot, created] = index_.try_emplace(key, groups_.size());
    if (created) groups_.push_back(MtlNameGroup{std::move(key), {}});
    // The walk visits each material once, so it cannot be in its group already.
    groups_[slot->second].materials.push_back(&material);
  }
  const std::vector<MtlNameGroup>& InCreationOrder() const { return groups_; }

 private:
  std::vector<MtlNameGroup> groups_;
  std::unordered_map<Text, size_t> index_;
};

void Rename(host::Anim& material, Text name, std::vector<MtlRestoreEntry>& entries) {
  entries.push_back(MtlRestoreEntry{&material, material.GetName()});
  material.SetName(name);
}

}  // namespace

Text NormalizeMtlName(std::u16string_view name) {
  Text key;
  key.reserve(name.size());
  for (const char16_t c : name) {
    const char16_t kept = IsSafeNameUnit(c) ? c : u'_';
    if (kept == u'_' && !key.empty() && key.back() == u'_') continue;  // a run stays one "_"
    key += kept;
  }
  TrimTrailingUnderscores(key);
  if (key.size() <= kMaxKeyLength) return key;
  key.resize(kHashedKeyPrefixLength);
  TrimTrailingUnderscores(key);
  return key + u"_" + LowHex24(Djb2(name));
}

std::vector<MtlRestoreEntry> DeduplicateMaterialNames(const host::Interface& ip) {
  MtlNameGroups groups;
  std::unordered_set<const host::Anim*> visited;
  const host::TimeValue t = ip.GetTime();
  for (host::Node* node : CollectSceneNodes(ip)) {
    if (!EvaluatedGeometry(*node, t)) continue;
    WalkMaterialTree(node->GetMtl(), WalkChildren::kSubMaterials, visited,
                     [&groups](host::Anim& material) {
                       Text name = material.GetName();
                       // An unnamed material is left out, and so is what it holds.
                       if (name.empty()) return WalkStep::kSkipChildren;
                       groups.Add(material, NormalizeMtlName(name));
                       return WalkStep::kDescend;
                     });
  }

  std::vector<MtlRestoreEntry> entries;
  try {
    for (const MtlNameGroup& group : groups.InCreationOrder()) {
      if (group.materials.size() == 1) {
        host::Anim& material = *group.materials.front();
        if (material.GetName() != group.key) Rename(material, group.key, entries);
        continue;
      }
      for (size_t i = 0; i < group.materials.size(); ++i) {
        Rename(*group.materials[i], group.key + NumberSuffix(static_cast<int>(i + 1)), entries);
      }
    }
  } catch (...) {
    // The caller gets no list from a call that throws, so what was renamed goes back here.
    RestoreMaterialNames(entries);
    throw;
  }
  return entries;
}

void RestoreMaterialNames(const std::vector<MtlRestoreEntry>& entries) noexcept {
  for (const MtlRestoreEntry& entry : entries) {
    try {
      if (entry.mtl) entry.mtl->SetName(entry.previousName);
    } catch (...) {
      // One name the host refuses does not keep the others from coming back.
    }
  }
}

MaterialNameRestorer::MaterialNameRestorer(std::vector<MtlRestoreEntry> entries)
    : entries_(std::move(entries)) {}

MaterialNameRestorer::MaterialNameRestorer(MaterialNameRestorer&& other) noexcept
    : entries_(std::move(other.entries_)) {
  other.entries_.clear();
}

MaterialNameRestorer& MaterialNameRestorer::operator=(MaterialNameRestorer&& other) noexcept {
  if (this != &other) {
    Restore();  // the list held so far is not dropped unrestored
    entries_ = std::move(other.entries_);
    other.entries_.clear();
  }
  return *this;
}

MaterialNameRestorer::~MaterialNameRestorer() {
  Restore();
}

void MaterialNameRestorer::Restore() noexcept {
  // Taken out first, so that a second call finds nothing to put back.
  const std::vector<MtlRestoreEntry> entries = std::move(entries_);
  entries_.clear();
  RestoreMaterialNames(entries);
}

}  // namespace larkspur
