#include "host/sim/scene_reader.h"

#include <array>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <unordered_map>

#include "host/sim/anims_by_id.h"
#include "host/sim/param_descs.h"
#include "host/sim/scene_document.h"
#include "host/sim/scene_file.h"
#include "host/sim/scene_names.h"
#include "host/sim/scene_read_geometry.h"
#include "host/sim/scene_text.h"
#include "host/sim/scene_values.h"

namespace larkspur::sim::scene_file {
namespace {

namespace sc = host::super_class;

constexpr std::string_view kFormat = "larkspur-scene";
constexpr int kVersion = 1;
// Deeper nesting is no scene anyone builds, and the reader and the scripts recurse over it.
constexpr int kMaxNodeDepth = 1000;
constexpr int kMinParamId = std::numeric_limits<ParamId>::min();
constexpr size_t kParamIdCount = size_t{1} << (8 * sizeof(ParamId));

// What an anim is, for messages.
std::string AnimKind(const SimAnim& anim) {
  switch (anim.superClass) {
    case sc::kGeomObject:
      return "a geometry object";
    case sc::kDerivedObject:
      return "a derived object";
    default:
      break;
  }
  const std::string_view name = SuperClassName(anim.superClass);
  if (!name.empty()) return "a " + std::string(name);
  return "an anim of super class " + std::to_string(anim.superClass);
}

// What a reference may point at.
enum class RefKind { kAny, kObject, kBaseObject, kModifier, kMaterial, kTexmap, kMaterialOrMap };

bool Accepts(RefKind kind, SClassId super) {
  const bool mtlBase = super == sc::kMaterial || super == sc::kTexmap;
  switch (kind) {
    case RefKind::kAny:
      return true;
    case RefKind::kObject:
      return !mtlBase && super != sc::kModifier;
    case RefKind::kBaseObject:
      return !mtlBase && super != sc::kModifier && super != sc::kDerivedObject;
    case RefKind::kModifier:
      return super == sc::kModifier;
    case RefKind::kMaterial:
      return super == sc::kMaterial;
    case RefKind::kTexmap:
      return super == sc::kTexmap;
    case RefKind::kMaterialOrMap:
      return mtlBase;
  }
  return false;
}

std::string_view RefKindName(RefKind kind) {
  switch (kind) {
    case RefKind::kAny:
      return "an anim";
    case RefKind::kObject:
      return "an object, derived object or light";
    case RefKind::kBaseObject:
      return "an object that is not a derived object";
    case RefKind::kModifier:
      return "a modifier";
    case RefKind::kMaterial:
      return "a material";
    case RefKind::kTexmap:
      return "a texmap";
    case RefKind::kMaterialOrMap:
      return "a material or texmap";
  }
  return {};
}

SClassId ReadSuper(const JsonValue& j, const KeyPath& path) {
  if (j.IsString()) {
    if (auto id = SuperClassByName(j.String())) return *id;
  } else if (j.IsInteger()) {
    return static_cast<SClassId>(ReadInteger(j, path, 0, std::numeric_limits<uint32_t>::max()));
  }
  Expected(j, path, "one of " + SuperClassNameList() + ", or a number");
}

ClassId ReadClassId(const JsonValue& j, const KeyPath& path) {
  if (!j.IsList() || j.Size() != 2) Expected(j, path, "[a, b]");
  const long long max = std::numeric_limits<uint32_t>::max();
  return ClassId{static_cast<uint32_t>(ReadInteger(j.Item(0), Index(path, 0), 0, max)),
                 static_cast<uint32_t>(ReadInteger(j.Item(1), Index(path, 1), 0, max))};
}

// Every key an anim may have, in the order the messages list them; each kind takes some of them
// in this order.
enum AnimKey : size_t {
  kSuper,
  kClass,
  kClassId,
  kHandle,
  kParams,
  kName,
  kSubTexmaps,
  kSubMaterials,
  kMapName,
  kUvGen,
  kGradientFlags,
  kMesh,
  kModifiers,
  kObject,
  kEvaluatesTo,
  kAnimKeyCount
};
constexpr std::string_view kAnimKeyNames[kAnimKeyCount] = {
    "super",          "class",       "class_id",      "handle",   "params",
    "name",           "sub_texmaps", "sub_materials", "map_name", "uvgen",
    "gradient_flags", "mesh",        "modifiers",     "object",   "evaluates_to"};

// The keys an anim takes, named by their AnimKeys: the common ones, and those of its kind.
template <size_t N>
void CheckAnimKeysOf(const JsonValue& j, const KeyPath& path, std::string_view what,
                     const AnimKey (&keys)[N]) {
  std::string_view names[N];
  for (size_t i = 0; i < N; ++i) names[i] = kAnimKeyNames[keys[i]];
  std::array<const JsonValue*, N> found{};
  CheckKeys(j, path, what, names, N, found.data());
}

void CheckAnimKeys(const SimAnim& anim, const JsonValue& j, const KeyPath& path) {
  switch (anim.superClass) {
    case sc::kMaterial:
      CheckAnimKeysOf(
          j, path, "a material",
          {kSuper, kClass, kClassId, kHandle, kParams, kName, kSubTexmaps, kSubMaterials});
      break;
    case sc::kTexmap:
      CheckAnimKeysOf(j, path, "a texmap",
                      {kSuper, kClass, kClassId, kHandle, kParams, kName, kSubTexmaps, kMapName,
                       kUvGen, kGradientFlags});
      break;
    case sc::kGeomObject:
      CheckAnimKeysOf(j, path, "a geometry object",
                      {kSuper, kClass, kClassId, kHandle, kParams, kMesh});
      break;
    case sc::kDerivedObject:
      CheckAnimKeysOf(
          j, path, "a derived object",
          {kSuper, kClass, kClassId, kHandle, kParams, kModifiers, kObject, kEvaluatesTo});
      break;
    default:
      CheckAnimKeysOf(j, path, AnimKind(anim), {kSuper, kClass, kClassId, kHandle, kParams});
      break;
  }
}

// An anim's members by AnimKey, the first of a repeated key, in one pass over them (the keys it
// should not have are CheckAnimKeys's to refuse).
using AnimMembers = std::array<const JsonValue*, kAnimKeyCount>;
AnimMembers FindAnimMembers(const JsonValue& j) {
  AnimMembers found{};
  for (const JsonValue& member : j) {
    for (size_t key = 0; key < kAnimKeyCount; ++key) {
      if (member.HasKey(kAnimKeyNames[key])) {
        if (!found[key]) found[key] = &member;
        break;
      }
    }
  }
  return found;
}

// The anims come one by one while the text is parsed, so that the bulk of a scene is never held as
// one document: each anim's head and body are read as it comes. A reference to an anim the file
// gives further on gets a placeholder under that id, whose kind is checked once every anim is in.
// The first error among the heads and the first among the bodies wait for the whole text, so that
// the error reported is the one a reading of the whole document would find first: a syntax error,
// a repeated key, the document's own keys, then the heads, then the bodies in file order.
class SceneReader final : public MemberSink {
 public:
  explicit SceneReader(SimHost& host) : host_(host) {}

  void Take(std::string_view id, const JsonValue& j) override {
    if (anims_.headError) return;
    const KeyPath animsPath = "anims";
    const KeyPath path = Key(animsPath, id);
    try {
      const AnimMembers members = FindAnimMembers(j);
      SimAnim* anim = ReadHead(id, j, members, path);
      if (!anim || anims_.bodyError) return;
      try {
        ReadAnimBody(*anim, j, members, path);
      } catch (FormatError& error) {
        anims_.bodyError = BodyError{std::move(error), anims_.forward.size()};
      }
    } catch (FormatError& error) {
      anims_.headError = std::move(error);
    }
  }

  void Restart() override { anims_ = AnimsRead(); }

  void Read(const JsonValue& document) {
    ExpectObject(document, "", "a scene document");
    CheckKeys(document, "", "the document", {"format", "version", "scene", "nodes", "anims"});
    const JsonValue& format = Required(document, "", "format");
    if (!format.IsString() || format.String() != kFormat) {
      Expected(format, "format", Quoted(kFormat));
    }
    const JsonValue& version = Required(document, "", "version");
    if (!version.IsInteger() || version.Integer() != kVersion) {
      Expected(version, "version", "the version " + std::to_string(kVersion));
    }
    if (const JsonValue* anims = document.Member("anims")) {
      ExpectObject(*anims, "anims", "the anims by id");
    }
    FinishAnims();
    if (const JsonValue* nodes = document.Member("nodes")) {
      ExpectList(*nodes, "nodes", "the list of the root's children");
      size_t i = 0;
      for (const JsonValue& node : *nodes) ReadNode(node, Index("nodes", i++), host_.Root(), 1);
    }
    ResolveTargets();
    if (const JsonValue* scene = document.Member("scene")) ReadSettings(*scene);
    if (!userScriptsDirGiven_) {
      host_.userScriptsDir = DefaultUserScriptsDir();
      std::error_code ignored;  // the folder is a convenience; a scene works without it
      std::filesystem::create_directories(std::filesystem::path(host_.userScriptsDir), ignored);
    }
  }

 private:
  struct PendingTarget {
    SimNode* node = nullptr;
    std::string id;
    std::string path;
  };

  struct NodeEntry {
    SimNode* node = nullptr;
    std::string path;
  };

  // An anim of the file, in the file's order: the one made for it, and the handle it gives.
  struct Given {
    size_t made = 0;
    std::optional<AnimHandle> handle;
  };

  // A reference to a placeholder, checked when every anim is in.
  struct ForwardRef {
    SimAnim* anim = nullptr;
    RefKind kind = RefKind::kAny;
    std::string path;
  };

  struct BodyError {
    FormatError error;
    size_t forwardRefsBefore = 0;  // the references read before it
  };

  SimAnim* ReadRef(const JsonValue& j, const KeyPath& path, RefKind kind, bool nullable) {
    if (j.IsNull() && nullable) return nullptr;
    if (!j.IsString()) {
      Expected(j, path,
               std::string("the id of ") + std::string(RefKindName(kind)) +
                   (nullable ? " or null" : ""));
    }
    const std::string id = IdOf(j.String(), path, "an id");
    if (readingAnims_) return AnimRef(id, path, kind);
    SimAnim* anim = host_.FindAnim(id);
    if (!anim) Fail(path, "no anim has the id " + Quoted(id));
    CheckRefKind(*anim, path, kind);
    return anim;
  }

  // A reference read among the anims: to an anim already in, or to a placeholder.
  SimAnim* AnimRef(const std::string& id, const KeyPath& path, RefKind kind) {
    SimAnim* anim = anims_.ids.Find(id);
    if (anim && !anims_.placeholders.count(anim)) {
      CheckRefKind(*anim, path, kind);
      return anim;
    }
    if (!anim) {
      anim = &MakeAnim(id);
      anims_.placeholders.emplace(anim, anims_.made.size() - 1);
    }
    anims_.forward.push_back(ForwardRef{anim, kind, path.Text()});
    return anim;
  }

  static void CheckRefKind(const SimAnim& anim, const KeyPath& path, RefKind kind) {
    if (!Accepts(kind, anim.superClass)) {
      Fail(path, "expected the id of " + std::string(RefKindName(kind)) + ", but " +
                     Quoted(anim.id) + " is " + AnimKind(anim));
    }
  }

  SimAnim& MakeAnim(const std::string& id) {
    anims_.made.push_back(std::make_unique<SimAnim>(host_));
    SimAnim& anim = *anims_.made.back();
    anim.id = id;
    anims_.ids.Insert(&anim);
    return anim;
  }

  std::vector<Anim*> ReadRefList(const JsonValue& j, const KeyPath& path, std::string_view what,
                                 RefKind kind, bool nullable) {
    ExpectList(j, path, what);
    std::vector<Anim*> refs;
    for (const JsonValue& item : j)
      refs.push_back(ReadRef(item, Index(path, refs.size()), kind, nullable));
    return refs;
  }

  // The anim the head describes, or null for an id the text repeats (the document's error).
  SimAnim* ReadHead(std::string_view key, const JsonValue& j, const AnimMembers& members,
                    const KeyPath& path) {
    std::string id = IdOf(key, path, "an anim id");
    if (id.empty()) Fail(path, "an anim id must not be empty");
    ExpectObject(j, path, "an anim");
    const SClassId super = ReadSuper(Required(members[kSuper], path, "super"), Key(path, "super"));
    Text className = ReadText(Required(members[kClass], path, "class"), Key(path, "class"));
    ClassId classId;
    if (const JsonValue* given = members[kClassId]) {
      classId = ReadClassId(*given, Key(path, "class_id"));
    }
    std::optional<AnimHandle> handle;
    if (const JsonValue* h = members[kHandle]) {
      handle = static_cast<AnimHandle>(
          ReadInteger(*h, Key(path, "handle"), 0, std::numeric_limits<int64_t>::max()));
      if (*handle != 0) {
        auto [owner, fresh] = anims_.handleOwners.try_emplace(*handle, id);
        if (!fresh) {
          Fail(Key(path, "handle"), "the handle " + std::to_string(*handle) +
                                        " is already the handle of anim " + Quoted(owner->second) +
                                        "; handles are unique");
        }
        anims_.highest = std::max(anims_.highest, *handle);
      }
    }
    SimAnim* anim = anims_.ids.Find(id);
    size_t made = anims_.made.size();
    if (anim) {
      const auto placeholder = anims_.placeholders.find(anim);
      if (placeholder == anims_.placeholders.end()) return nullptr;
      made = placeholder->second;
      anims_.placeholders.erase(placeholder);
    } else {
      anim = &MakeAnim(id);
    }
    anim->superClass = super;
    anim->className = std::move(className);
    anim->classId = classId;
    anims_.given.push_back(Given{made, handle});
    return anim;
  }

  // Once the text has parsed: the first error of the anims, or the anims handed to the host in the
  // file's order. The handles the file leaves to the host come after every handle it gives.
  void FinishAnims() {
    readingAnims_ = false;
    if (anims_.headError) throw *anims_.headError;
    const size_t checked =
        anims_.bodyError ? anims_.bodyError->forwardRefsBefore : anims_.forward.size();
    for (size_t i = 0; i < checked; ++i) {
      const ForwardRef& ref = anims_.forward[i];
      const KeyPath path = KeyPath::Of(ref.path);
      if (anims_.placeholders.count(ref.anim))
        Fail(path, "no anim has the id " + Quoted(ref.anim->id));
      CheckRefKind(*ref.anim, path, ref.kind);
    }
    if (anims_.bodyError) throw anims_.bodyError->error;
    host_.ReserveHandlesThrough(anims_.highest);
    host_.ReserveAnims(anims_.given.size());
    for (Given& given : anims_.given)
      host_.AdoptAnim(std::move(anims_.made[given.made]), given.handle);
  }

  void ReadAnimBody(SimAnim& anim, const JsonValue& j, const AnimMembers& members,
                    const KeyPath& path) {
    CheckAnimKeys(anim, j, path);
    if (const JsonValue* params = members[kParams]) ReadParams(anim, *params, Key(path, "params"));
    if (const JsonValue* name = members[kName]) anim.name = ReadText(*name, Key(path, "name"));
    if (const JsonValue* maps = members[kSubTexmaps]) {
      ReadSubTexmaps(anim, *maps, Key(path, "sub_texmaps"));
    }
    if (const JsonValue* mtls = members[kSubMaterials]) {
      anim.subMtls = ReadRefList(*mtls, Key(path, "sub_materials"), "the sub-materials",
                                 RefKind::kMaterial, true);
    }
    if (const JsonValue* mapName = members[kMapName]) {
      if (anim.classId != host::kBitmapTexClassId) {
        Fail(Key(path, "map_name"),
             "only a map of class_id [" + std::to_string(host::kBitmapTexClassId.a) + ", " +
                 std::to_string(host::kBitmapTexClassId.b) + "] has a map name");
      }
      anim.mapName = ReadText(*mapName, Key(path, "map_name"));
    }
    if (const JsonValue* uvgen = members[kUvGen]) {
      anim.uvGen = ReadUvGen(*uvgen, Key(path, "uvgen"));
    }
    if (const JsonValue* flags = members[kGradientFlags]) {
      anim.gradientStops = ReadGradientStops(*flags, Key(path, "gradient_flags"));
    }
    if (const JsonValue* mesh = members[kMesh]) anim.mesh = ReadMesh(*mesh, Key(path, "mesh"));
    if (const JsonValue* modifiers = members[kModifiers]) {
      anim.modifiers = ReadRefList(*modifiers, Key(path, "modifiers"), "the modifier stack",
                                   RefKind::kModifier, true);
    }
    if (const JsonValue* object = members[kObject]) {
      anim.objRef = ReadRef(*object, Key(path, "object"), RefKind::kObject, true);
    }
    if (const JsonValue* target = members[kEvaluatesTo]) {
      anim.evaluatesTo = ReadRef(*target, Key(path, "evaluates_to"), RefKind::kBaseObject, false);
    }
  }

  void ReadSubTexmaps(SimAnim& anim, const JsonValue& j, const KeyPath& path) {
    ExpectList(j, path, "the sub-texmaps");
    for (const JsonValue& item : j) {
      const KeyPath slotPath = Index(path, anim.subTexmaps.size());
      ExpectObject(item, slotPath, "a sub-texmap slot");
      CheckKeys(item, slotPath, "a sub-texmap slot", {"slot", "map"});
      SimSubTexmap slot;
      slot.slotName = ReadText(Required(item, slotPath, "slot"), Key(slotPath, "slot"));
      slot.map =
          ReadRef(Required(item, slotPath, "map"), Key(slotPath, "map"), RefKind::kTexmap, true);
      anim.subTexmaps.push_back(slot);
    }
  }

  void ReadParams(SimAnim& anim, const JsonValue& j, const KeyPath& path) {
    ExpectList(j, path, "the parameter blocks");
    for (const JsonValue& defs : j) {
      const KeyPath blockPath = Index(path, anim.blocks.size());
      auto block = std::make_unique<SimParamBlock>();
      if (!defs.IsNull()) {
        ExpectList(defs, blockPath, "a parameter block (a list of definitions) or null");
        if (paramIds_.empty()) paramIds_.resize(kParamIdCount);
        ++blocksRead_;
        spelledDefs_.clear();
        block->values.reserve(defs.Size());
        for (const JsonValue& def : defs) {
          const size_t d = spelledDefs_.size();
          const KeyPath defPath = Index(blockPath, d);
          ExpectObject(def, defPath, "a parameter definition");
          const auto [name, type, givenId, value] = DefinitionMembers(def, defPath);
          spelledDefs_.push_back(ReadParamDef(name, type, givenId, defPath, d));
          ReadParamValues(block->values.emplace_back(), value, defPath, spelledDefs_.back().type);
          const ParamId id = spelledDefs_.back().id;
          ParamIdUse& use = paramIds_[id - kMinParamId];
          if (use.block == blocksRead_) {
            Fail(Key(defPath, "id"), "the parameter id " + std::to_string(id) +
                                         " is already the id of " +
                                         Index(blockPath, use.definition).Text());
          }
          use = ParamIdUse{blocksRead_, d};
        }
        block->desc = anims_.descs.Intern(spelledDefs_);
      }
      anim.blocks.push_back(std::move(block));
    }
  }

  // A definition's members as CheckKeys finds them. Most definitions give "name", "type" and
  // "value" in that order, as this host writes them, which needs no search.
  static std::array<const JsonValue*, 4> DefinitionMembers(const JsonValue& def,
                                                           const KeyPath& path) {
    if (def.Size() == 3) {
      JsonValue::Iterator member = def.begin();
      const JsonValue& name = *member;
      const JsonValue& type = *++member;
      const JsonValue& value = *++member;
      if (name.HasKey("name") && type.HasKey("type") && value.HasKey("value")) {
        return {&name, &type, nullptr, &value};
      }
    }
    return CheckKeys(def, path, "a parameter definition", {"name", "type", "id", "value"});
  }

  // A definition's members, as CheckKeys found them.
  SpelledParamDef ReadParamDef(const JsonValue* name, const JsonValue* type, const JsonValue* id,
                               const KeyPath& path, size_t position) {
    SpelledParamDef def;
    def.name = ReadNullableString(Required(name, path, "name"), Key(path, "name"));
    const KeyPath typePath = Key(path, "type");
    const JsonValue& typeValue = Required(type, path, "type");
    if (typeValue.IsString()) {
      const auto known = ParamTypeByName(typeValue.String());
      if (!known) {
        Expected(typeValue, typePath,
                 "an SDK type name such as TYPE_FLOAT or TYPE_RGBA_TAB, or a number");
      }
      def.type = *known;
    } else {
      def.type = ReadInt32(typeValue, typePath);
    }
    if (id) {
      def.id = static_cast<ParamId>(ReadInteger(*id, Key(path, "id"), -32768, 32767));
    } else {
      if (position > 32767) Fail(path, "a definition this far into its block needs an \"id\"");
      def.id = static_cast<ParamId>(position);
    }
    return def;
  }

  // Into values, which are empty.
  void ReadParamValues(SimValues& values, const JsonValue* value, const KeyPath& path,
                       ParamType type) {
    // The host reads such a parameter as nothing, so a value given for it is not kept.
    const SimValueKind kind = ValueKindOf(type);
    if (kind == SimValueKind::kNone) return;
    const JsonValue& given = Required(value, path, "value");
    const KeyPath valuePath = Key(path, "value");
    if (IsTableType(type)) {
      ExpectList(given, valuePath, "the table's values");
      for (const JsonValue& item : given) {
        values.push_back(ReadParamValue(item, Index(valuePath, values.size()), type, kind));
      }
    } else {
      values.push_back(ReadParamValue(given, valuePath, type, kind));
    }
  }

  SimValue ReadParamValue(const JsonValue& j, const KeyPath& path, ParamType type,
                          SimValueKind kind) {
    switch (kind) {
      case SimValueKind::kFloat:
        return SimValue::OfNumber(ReadFloat(j, path));
      case SimValueKind::kInt:
        return SimValue::OfNumber(ReadInt32(j, path));
      case SimValueKind::kBool:
        if (j.IsBool()) return SimValue::OfNumber(j.Bool() ? 1 : 0);
        if (!j.IsInteger()) Expected(j, path, "true, false or an integer");
        return SimValue::OfNumber(ReadInt32(j, path));
      case SimValueKind::kColor: {
        const FloatList c = ReadFloatList(j, path, 3, 4, "[r, g, b] or [r, g, b, a]");
        return SimValue::OfColor(Color{c[0], c[1], c[2]},
                                 c.size == 4 ? std::optional<float>(c[3]) : std::nullopt);
      }
      case SimValueKind::kPoint:
        return SimValue::OfPoint(ReadPoint3(j, path));
      case SimValueKind::kText:
        return SimValue::OfText(ReadNullableText(j, path));
      case SimValueKind::kRef: {
        const ParamType element = ElementType(type);
        const RefKind kind = element == host::param_type::kMtl      ? RefKind::kMaterial
                             : element == host::param_type::kTexmap ? RefKind::kTexmap
                                                                    : RefKind::kAny;
        return SimValue::OfRef(ReadRef(j, path, kind, true));
      }
      case SimValueKind::kNone:
        break;
    }
    return SimValue();
  }

  void ReadNode(const JsonValue& j, const KeyPath& path, SimNode& parent, int depth) {
    if (depth > kMaxNodeDepth) {
      Fail(path, "nodes nest deeper than " + std::to_string(kMaxNodeDepth) + " levels");
    }
    ExpectObject(j, path, "a node");
    const auto [name, id, object, material, transform, target, head, children] = CheckKeys(
        j, path, "a node",
        {"name", "id", "object", "material", "transform", "target", "group_head", "children"});
    auto node = std::make_unique<SimNode>();
    if (name) node->name = ReadText(*name, Key(path, "name"));
    if (id) {
      node->id = IdOf(ReadString(*id, Key(path, "id")), Key(path, "id"), "a node id");
      if (node->id.empty()) Fail(Key(path, "id"), "a node id must not be empty");
      auto [owner, fresh] = nodeIds_.try_emplace(node->id, NodeEntry{node.get(), path.Text()});
      if (!fresh) {
        Fail(Key(path, "id"),
             "the node id " + Quoted(node->id) + " is already the id of " + owner->second.path);
      }
    }
    if (object) {
      node->object = ReadRef(*object, Key(path, "object"), RefKind::kObject, true);
    }
    if (material) {
      node->material = ReadRef(*material, Key(path, "material"), RefKind::kMaterial, true);
    }
    if (transform) {
      node->transform = ReadTransform(*transform, Key(path, "transform"));
    }
    if (target) {
      const KeyPath targetPath = Key(path, "target");
      targets_.push_back(PendingTarget{node.get(),
                                       IdOf(ReadString(*target, targetPath), targetPath, "an id"),
                                       targetPath.Text()});
    }
    if (head) {
      node->groupHead = ReadBool(*head, Key(path, "group_head"));
    }
    if (children) {
      const KeyPath childrenPath = Key(path, "children");
      ExpectList(*children, childrenPath, "the node's children");
      size_t i = 0;
      for (const JsonValue& child : *children) {
        ReadNode(child, Index(childrenPath, i++), *node, depth + 1);
      }
    }
    parent.children.push_back(std::move(node));
  }

  void ResolveTargets() {
    for (const PendingTarget& pending : targets_) {
      auto it = nodeIds_.find(pending.id);
      if (it == nodeIds_.end())
        Fail(KeyPath::Of(pending.path), "no node has the id " + Quoted(pending.id));
      pending.node->target = it->second.node;
    }
  }

  void ReadSettings(const JsonValue& j) {
    const KeyPath path = "scene";
    ExpectObject(j, path, "the scene settings");
    CheckKeys(j, path, "the \"scene\" object",
              {"file_name", "file_path", "time", "meters_per_unit", "user_scripts_dir",
               "fbx_export", "resolve", "scene_materials"});
    if (const JsonValue* v = j.Member("file_name")) {
      host_.fileName = ReadText(*v, Key(path, "file_name"));
    }
    if (const JsonValue* v = j.Member("file_path")) {
      host_.filePath = ReadText(*v, Key(path, "file_path"));
    }
    if (const JsonValue* v = j.Member("time")) host_.time = ReadInt32(*v, Key(path, "time"));
    if (const JsonValue* v = j.Member("meters_per_unit")) {
      host_.metersPerUnit = ReadDouble(*v, Key(path, "meters_per_unit"));
    }
    if (const JsonValue* v = j.Member("user_scripts_dir")) {
      host_.userScriptsDir = ReadText(*v, Key(path, "user_scripts_dir"));
      userScriptsDirGiven_ = true;
    }
    if (const JsonValue* v = j.Member("fbx_export")) {
      const std::string_view mode = v->IsString() ? v->String() : std::string_view();
      if (mode == "writes") {
        host_.fbxExport = FbxExportMode::kWrites;
      } else if (mode == "fails") {
        host_.fbxExport = FbxExportMode::kFails;
      } else if (mode == "no_file") {
        host_.fbxExport = FbxExportMode::kNoFile;
      } else {
        Expected(*v, Key(path, "fbx_export"), "\"writes\", \"fails\" or \"no_file\"");
      }
    }
    if (const JsonValue* v = j.Member("resolve")) {
      const KeyPath resolvePath = Key(path, "resolve");
      ExpectObject(*v, resolvePath, "the resolved paths by path");
      for (const JsonValue& member : *v) {
        host_.resolve[TextOf(member.MemberKey())] =
            ReadText(member, Key(resolvePath, member.MemberKey()));
      }
    }
    if (const JsonValue* v = j.Member("scene_materials")) {
      host_.sceneMaterials = ReadRefList(*v, Key(path, "scene_materials"), "the scene's materials",
                                         RefKind::kMaterialOrMap, false);
    }
  }

  // Which block last had each parameter id (numbered from 1), and at which definition: a repeated
  // id is found without a set per block.
  struct ParamIdUse {
    size_t block = 0;
    size_t definition = 0;
  };
  std::vector<ParamIdUse> paramIds_;
  size_t blocksRead_ = 0;
  std::vector<SpelledParamDef> spelledDefs_;  // the definitions of the block being read

  // What the anims read so far make: all of it is given up when the parse starts again.
  struct AnimsRead {
    std::vector<std::unique_ptr<SimAnim>> made;  // every anim and placeholder, as made
    std::vector<Given> given;
    AnimsById ids;                                            // the anims and placeholders made
    std::unordered_map<const SimAnim*, size_t> placeholders;  // and where each was made
    std::vector<ForwardRef> forward;
    std::unordered_map<AnimHandle, std::string> handleOwners;  // the id that gives each handle
    AnimHandle highest = 0;
    std::optional<FormatError> headError;
    std::optional<BodyError> bodyError;
    SimParamDescs descs;  // its names are views of the text being parsed
  };

  SimHost& host_;
  bool readingAnims_ = true;
  AnimsRead anims_;
  std::unordered_map<std::string, NodeEntry> nodeIds_;
  std::vector<PendingTarget> targets_;
  bool userScriptsDirGiven_ = false;
};

}  // namespace

namespace {

template <typename SceneText>
void Read(SceneText text, SimHost& host) {
  SceneReader reader(host);
  const Document document = ReadDocument(std::move(text), "anims", &reader);
  reader.Read(document.Root());
}

}  // namespace

void ReadScene(std::string_view json, SimHost& host) {
  Read(json, host);
}

void ReadScene(WritableText text, SimHost& host) {
  Read(std::move(text), host);
}

}  // namespace larkspur::sim::scene_file
