#include "host/sim/scene_file.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <unordered_map>
#include <unordered_set>

#include "host/sim/scene_names.h"
#include "host/text.h"

namespace larkspur::sim {
namespace {

// std::map objects: nlohmann's ordered map searches its keys one by one, which makes an object of n
// keys cost n² to read. The file's order of keys is kept apart (see Document).
using Json = nlohmann::json;
using JsonMember = Json::object_t::value_type;
namespace sc = host::super_class;

constexpr std::string_view kFormat = "larkspur-scene";
constexpr int kVersion = 1;
// Deeper nesting is no scene anyone builds, and the reader and the scripts recurse over it.
constexpr int kMaxNodeDepth = 1000;

// The first break of the format; thrown inside the reader only and turned into the message.
struct FormatError {
  std::string path;
  std::string what;
};

[[noreturn]] void Fail(const std::string& path, std::string what) {
  throw FormatError{path, std::move(what)};
}

std::string Key(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string Index(const std::string& path, size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// The JSON parser refuses an escape of a lone surrogate, which the system's UTF-16 text may hold.
// Such an escape is carried through the parser as the noncharacter U+FDD0 followed by
// U+E000 + (surrogate - U+D800), and a U+FDD0 of the file itself as two U+FDD0, so that no text of
// the file can be taken for a carried surrogate.
constexpr char16_t kCarrier = 0xFDD0;
constexpr char16_t kCarriedBase = 0xE000;
constexpr std::string_view kCarrierUtf8 = "\xEF\xB7\x90";

// The code unit of the escape \uXXXX at json[at], if there is one.
std::optional<char16_t> EscapedUnit(std::string_view json, size_t at) {
  if (at > json.size() || json.size() - at < 6 || json[at] != '\\' || json[at + 1] != 'u') {
    return std::nullopt;
  }
  unsigned value = 0;
  for (size_t i = at + 2; i < at + 6; ++i) {
    const char c = json[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<char16_t>(value);
}

std::string Escape(char16_t unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  return {'\\',
          'u',
          kHex[unit >> 12],
          kHex[(unit >> 8) & 0xF],
          kHex[(unit >> 4) & 0xF],
          kHex[unit & 0xF]};
}

// The document with lone surrogate escapes and U+FDD0 in its strings carried as described above;
// nothing when it has neither.
std::optional<std::string> CarryLoneSurrogates(std::string_view json) {
  std::string carried;
  size_t copied = 0;  // json up to here is in carried
  auto copyThrough = [&](size_t end) {
    carried.append(json.substr(copied, end - copied));
    copied = end;
  };
  bool inString = false;
  for (size_t i = 0; i < json.size(); ++i) {
    if (!inString) {
      inString = json[i] == '"';
    } else if (json[i] == '"') {
      inString = false;
    } else if (json.compare(i, kCarrierUtf8.size(), kCarrierUtf8) == 0) {
      copyThrough(i + kCarrierUtf8.size());
      carried += Escape(kCarrier);
      i += kCarrierUtf8.size() - 1;
    } else if (json[i] == '\\') {
      const std::optional<char16_t> unit = EscapedUnit(json, i);
      if (!unit) {
        ++i;  // \\, \" and the like: the escaped character is no escape of its own
      } else if (IsHighSurrogate(*unit) && EscapedUnit(json, i + 6) &&
                 IsLowSurrogate(*EscapedUnit(json, i + 6))) {
        i += 11;
      } else if (IsHighSurrogate(*unit) || IsLowSurrogate(*unit)) {
        copyThrough(i);
        carried +=
            Escape(kCarrier) + Escape(static_cast<char16_t>(kCarriedBase + (*unit - 0xD800)));
        copied = i + 6;
        i += 5;
      } else {
        if (*unit == kCarrier) {
          copyThrough(i + 6);
          carried += Escape(kCarrier);
        }
        i += 5;
      }
    }
  }
  if (copied == 0) return std::nullopt;
  copyThrough(json.size());
  return carried;
}

// A string of the parsed document as the system's text, with its carried surrogates restored.
Text TextOf(std::string_view utf8) {
  Text text = FromUtf8(utf8);
  if (text.find(kCarrier) == Text::npos) return text;
  Text restored;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kCarrier && i + 1 < text.size()) {
      const char16_t carried = text[++i];
      restored +=
          carried == kCarrier ? kCarrier : static_cast<char16_t>(carried - kCarriedBase + 0xD800);
    } else {
      restored += text[i];
    }
  }
  return restored;
}

// What a value is, for messages: "a number (2.5)", "a string (\"x\")", "a list", ...
std::string Describe(const Json& j) {
  auto withValue = [&](const char* what) {
    std::string shown = j.dump();
    if (shown.size() > 40) shown = shown.substr(0, 37) + "...";
    return std::string(what) + " (" + shown + ")";
  };
  switch (j.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::boolean:
      return withValue("a boolean");
    case Json::value_t::string:
      return withValue("a string");
    case Json::value_t::array:
      return "a list";
    case Json::value_t::object:
      return "an object";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return withValue("a number");
    default:
      return "an unreadable value";
  }
}

[[noreturn]] void Expected(const Json& j, const std::string& path, std::string_view what) {
  Fail(path, "expected " + std::string(what) + ", found " + Describe(j));
}

std::string JoinNames(std::initializer_list<std::string_view> names) {
  std::string list;
  for (std::string_view name : names) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

void ExpectObject(const Json& j, const std::string& path, std::string_view what) {
  if (!j.is_object()) Expected(j, path, std::string(what) + " (an object)");
}

void ExpectList(const Json& j, const std::string& path, std::string_view what) {
  if (!j.is_array()) Expected(j, path, std::string(what) + " (a list)");
}

const Json* Member(const Json& j, std::string_view key) {
  auto it = j.find(std::string(key));
  return it == j.end() ? nullptr : &*it;
}

const Json& Required(const Json& j, const std::string& path, std::string_view key) {
  const Json* member = Member(j, key);
  if (!member) Fail(path, "missing required key " + Quoted(key));
  return *member;
}

std::string ReadString(const Json& j, const std::string& path) {
  if (!j.is_string()) Expected(j, path, "a string");
  return j.get<std::string>();
}

Text ReadText(const Json& j, const std::string& path) {
  return TextOf(ReadString(j, path));
}

// An id is UTF-8 in the host, which has no form for a lone surrogate.
std::string IdOf(const std::string& carried, const std::string& path, std::string_view what) {
  if (carried.find(kCarrierUtf8) == std::string::npos) return carried;
  const Text text = TextOf(carried);
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      Fail(path, std::string(what) + " must not hold a lone surrogate (\\u" +
                     Escape(text[i]).substr(2) + ")");
    }
  }
  return ToUtf8(text);
}

std::optional<Text> ReadNullableText(const Json& j, const std::string& path) {
  if (j.is_null()) return std::nullopt;
  if (!j.is_string()) Expected(j, path, "a string or null");
  return TextOf(j.get<std::string>());
}

long long ReadInteger(const Json& j, const std::string& path, long long min, long long max) {
  const std::string range = "an integer from " + std::to_string(min) + " to " + std::to_string(max);
  if (j.is_number_float()) {
    // 1.0 and 1e2 are integers written as JSON allows.
    const double value = j.get<double>();
    if (std::trunc(value) != value || value < static_cast<double>(min) ||
        value > static_cast<double>(max)) {
      Expected(j, path, range);
    }
    return static_cast<long long>(value);
  }
  if (!j.is_number_integer()) Expected(j, path, range);
  if (j.is_number_unsigned()) {
    const auto value = j.get<unsigned long long>();
    if (value > static_cast<unsigned long long>(max)) Expected(j, path, range);
    return static_cast<long long>(value);
  }
  const auto value = j.get<long long>();
  if (value < min || value > max) Expected(j, path, range);
  return value;
}

int32_t ReadInt32(const Json& j, const std::string& path) {
  return static_cast<int32_t>(ReadInteger(j, path, std::numeric_limits<int32_t>::min(),
                                          std::numeric_limits<int32_t>::max()));
}

double ReadDouble(const Json& j, const std::string& path) {
  if (!j.is_number() || !std::isfinite(j.get<double>())) Expected(j, path, "a number");
  return j.get<double>();
}

// A number as the host stores it: rounded to a 32-bit float, so that a number beyond the float
// range becomes an infinity.
float ReadFloat(const Json& j, const std::string& path) {
  if (!j.is_number()) Expected(j, path, "a number");
  return host::NarrowToFloat(j.get<double>());
}

float ReadFloatIn(const Json& j, const std::string& path, float min, float max) {
  const float value = ReadFloat(j, path);
  if (value < min || value > max) {
    Fail(path, "expected a number from " + std::to_string(static_cast<int>(min)) + " to " +
                   std::to_string(static_cast<int>(max)) + ", found " + Describe(j));
  }
  return value;
}

bool ReadBool(const Json& j, const std::string& path) {
  if (!j.is_boolean()) Expected(j, path, "true or false");
  return j.get<bool>();
}

// A list of exactly `count` numbers (between minCount and maxCount when they differ).
std::vector<float> ReadFloatList(const Json& j, const std::string& path, size_t minCount,
                                 size_t maxCount, std::string_view shape) {
  if (!j.is_array() || j.size() < minCount || j.size() > maxCount) Expected(j, path, shape);
  std::vector<float> values;
  for (size_t i = 0; i < j.size(); ++i) values.push_back(ReadFloat(j[i], Index(path, i)));
  return values;
}

Point3 ReadPoint3(const Json& j, const std::string& path) {
  const std::vector<float> v = ReadFloatList(j, path, 3, 3, "[x, y, z]");
  return Point3{v[0], v[1], v[2]};
}

std::array<uint32_t, 3> ReadFace(const Json& j, const std::string& path, size_t vertexCount,
                                 std::string_view what) {
  if (!j.is_array() || j.size() != 3) Expected(j, path, "[a, b, c]");
  if (vertexCount == 0) Fail(path, "a face needs " + std::string(what) + " to index");
  std::array<uint32_t, 3> face{};
  for (size_t i = 0; i < 3; ++i) {
    face[i] = static_cast<uint32_t>(
        ReadInteger(j[i], Index(path, i), 0, static_cast<long long>(vertexCount) - 1));
  }
  return face;
}

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

// nlohmann's messages begin with "[json.exception.parse_error.101] ": the reader wants the rest.
std::string ParseErrorText(const std::string& what) {
  const size_t end = what.find("] ");
  const bool prefixed = what.rfind("[json.exception", 0) == 0 && end != std::string::npos;
  return prefixed ? what.substr(end + 2) : what;
}

// The parsed document and the members of each of its objects in file order, which the scene
// follows (anims are made in it). The order is keyed by each object's storage, which stays in place
// as long as the document is not copied.
struct Document {
  Json root;
  std::unordered_map<const Json::object_t*, std::vector<const JsonMember*>> members;

  const std::vector<const JsonMember*>& Members(const Json& object) const {
    static const std::vector<const JsonMember*> kNone;
    const auto it = members.find(object.get_ptr<const Json::object_t*>());
    return it == members.end() ? kNone : it->second;
  }
};

// Builds the document from the parser's events, recording each object's members in file order
// and the key path of the parse position, to name a key that an object repeats. (nlohmann's own
// builder with a callback searches the enclosing list or object after each object it ends, which
// makes a long list of objects cost its length squared.)
class DocumentBuilder : public nlohmann::json_sax<Json> {
 public:
  explicit DocumentBuilder(Document& document) : document_(document) {}

  bool null() override { return Add(nullptr) != nullptr; }
  bool boolean(bool value) override { return Add(value) != nullptr; }
  bool number_integer(number_integer_t value) override { return Add(value) != nullptr; }
  bool number_unsigned(number_unsigned_t value) override { return Add(value) != nullptr; }
  bool number_float(number_float_t value, const string_t&) override {
    return Add(value) != nullptr;
  }
  bool string(string_t& value) override { return Add(std::move(value)) != nullptr; }
  bool binary(binary_t& value) override { return Add(Json::binary(std::move(value))) != nullptr; }

  bool start_object(std::size_t) override {
    frames_.push_back(Frame{Add(Json::object()), false, -1, {}, nullptr, {}});
    return true;
  }

  bool key(string_t& key) override {
    Frame& frame = frames_.back();
    auto [member, fresh] = frame.value->get_ref<Json::object_t&>().try_emplace(key);
    frame.key = std::move(key);
    frame.slot = &member->second;
    if (fresh) {
      frame.order.push_back(&*member);
    } else if (!duplicate_) {
      duplicate_ = FormatError{Path(), "the key appears twice in one object"};
    }
    return true;
  }

  bool end_object() override {
    Frame& frame = frames_.back();
    document_.members.emplace(frame.value->get_ptr<const Json::object_t*>(),
                              std::move(frame.order));
    frames_.pop_back();
    return true;
  }

  bool start_array(std::size_t) override {
    frames_.push_back(Frame{Add(Json::array()), true, -1, {}, nullptr, {}});
    return true;
  }

  bool end_array() override {
    frames_.pop_back();
    return true;
  }

  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& error) override {
    throw FormatError{"", "not valid JSON: " + ParseErrorText(error.what())};
  }

  const std::optional<FormatError>& Duplicate() const { return duplicate_; }

 private:
  struct Frame {
    Json* value = nullptr;
    bool isArray = false;
    long long index = -1;
    std::string key;
    Json* slot = nullptr;                  // where the value of key goes
    std::vector<const JsonMember*> order;  // the members so far, in file order
  };

  // Puts a value where the parse position is; a list or object stays in place while it is filled.
  Json* Add(Json value) {
    if (frames_.empty()) {
      document_.root = std::move(value);
      return &document_.root;
    }
    Frame& frame = frames_.back();
    if (frame.isArray) {
      ++frame.index;
      auto& list = frame.value->get_ref<Json::array_t&>();
      list.push_back(std::move(value));
      return &list.back();
    }
    *frame.slot = std::move(value);
    return frame.slot;
  }

  std::string Path() const {
    std::string path;
    for (const Frame& frame : frames_) {
      path = frame.isArray ? Index(path, static_cast<size_t>(frame.index)) : Key(path, frame.key);
    }
    return path;
  }

  Document& document_;
  std::vector<Frame> frames_;
  std::optional<FormatError> duplicate_;
};

class SceneReader {
 public:
  SceneReader(SimHost& host, const Document& parsed) : host_(host), parsed_(parsed) {}

  // Fills the host from the document; throws FormatError at the first break of the format.
  void Read() {
    const Json& document = parsed_.root;
    ExpectObject(document, "", "a scene document");
    CheckKeys(document, "", "the document", {"format", "version", "scene", "nodes", "anims"});
    const Json& format = Required(document, "", "format");
    if (!format.is_string() || format.get<std::string>() != kFormat) {
      Expected(format, "format", Quoted(kFormat));
    }
    const Json& version = Required(document, "", "version");
    if (!version.is_number_integer() || version.get<long long>() != kVersion) {
      Expected(version, "version", "the version " + std::to_string(kVersion));
    }
    if (const Json* anims = Member(document, "anims")) ReadAnims(*anims);
    if (const Json* nodes = Member(document, "nodes")) {
      ExpectList(*nodes, "nodes", "the list of the root's children");
      for (size_t i = 0; i < nodes->size(); ++i) {
        ReadNode((*nodes)[i], Index("nodes", i), host_.Root(), 1);
      }
    }
    ResolveTargets();
    if (const Json* scene = Member(document, "scene")) ReadSettings(*scene);
  }

  bool UserScriptsDirGiven() const { return userScriptsDirGiven_; }

 private:
  struct PendingTarget {
    SimNode* node = nullptr;
    std::string id;
    std::string path;
  };

  // Every key of j must be one of allowed.
  void CheckKeys(const Json& j, const std::string& path, std::string_view what,
                 std::initializer_list<std::string_view> allowed) const {
    for (const JsonMember* member : parsed_.Members(j)) {
      bool known = false;
      for (std::string_view name : allowed) known = known || member->first == name;
      if (!known) {
        Fail(Key(path, member->first),
             "unknown key; " + std::string(what) + " takes only: " + JoinNames(allowed));
      }
    }
  }

  SimAnim* ReadRef(const Json& j, const std::string& path, RefKind kind, bool nullable) {
    if (j.is_null() && nullable) return nullptr;
    if (!j.is_string()) {
      Expected(j, path,
               std::string("the id of ") + std::string(RefKindName(kind)) +
                   (nullable ? " or null" : ""));
    }
    const std::string id = IdOf(j.get<std::string>(), path, "an id");
    SimAnim* anim = host_.FindAnim(id);
    if (!anim) Fail(path, "no anim has the id " + Quoted(id));
    if (!Accepts(kind, anim->superClass)) {
      Fail(path, "expected the id of " + std::string(RefKindName(kind)) + ", but " + Quoted(id) +
                     " is " + AnimKind(*anim));
    }
    return anim;
  }

  void ReadAnims(const Json& anims) {
    ExpectObject(anims, "anims", "the anims by id");
    struct Head {
      std::string id;
      std::string path;
      const Json* json = nullptr;
      SClassId super = 0;
      Text className;
      ClassId classId;
      std::optional<AnimHandle> handle;
    };
    std::vector<Head> heads;
    std::unordered_map<AnimHandle, std::string> handleOwners;
    AnimHandle highest = 0;
    for (const JsonMember* member : parsed_.Members(anims)) {
      const std::string path = Key("anims", member->first);
      Head head{IdOf(member->first, path, "an anim id"), path, &member->second, 0, {}, {}, {}};
      if (head.id.empty()) Fail(path, "an anim id must not be empty");
      const Json& j = member->second;
      ExpectObject(j, path, "an anim");
      head.super = ReadSuper(Required(j, path, "super"), Key(path, "super"));
      head.className = ReadText(Required(j, path, "class"), Key(path, "class"));
      if (const Json* id = Member(j, "class_id")) {
        head.classId = ReadClassId(*id, Key(path, "class_id"));
      }
      if (const Json* h = Member(j, "handle")) {
        head.handle = static_cast<AnimHandle>(
            ReadInteger(*h, Key(path, "handle"), 0, std::numeric_limits<int64_t>::max()));
        if (*head.handle != 0) {
          auto [owner, fresh] = handleOwners.try_emplace(*head.handle, head.id);
          if (!fresh) {
            Fail(Key(path, "handle"), "the handle " + std::to_string(*head.handle) +
                                          " is already the handle of anim " +
                                          Quoted(owner->second) + "; handles are unique");
          }
          highest = std::max(highest, *head.handle);
        }
      }
      heads.push_back(std::move(head));
    }
    // The handles the file leaves to the host come after every handle the file gives.
    host_.ReserveHandlesThrough(highest);
    std::vector<SimAnim*> created;
    for (const Head& head : heads) {
      SimAnim& anim = host_.NewAnim(head.super, head.className, head.classId, head.id);
      if (head.handle) anim.handle = *head.handle;
      created.push_back(&anim);
    }
    for (size_t i = 0; i < heads.size(); ++i) {
      ReadAnimBody(*created[i], *heads[i].json, heads[i].path);
    }
  }

  SClassId ReadSuper(const Json& j, const std::string& path) {
    if (j.is_string()) {
      if (auto id = SuperClassByName(j.get<std::string>())) return *id;
    } else if (j.is_number_integer()) {
      return static_cast<SClassId>(ReadInteger(j, path, 0, std::numeric_limits<uint32_t>::max()));
    }
    Expected(j, path, "one of " + SuperClassNameList() + ", or a number");
  }

  ClassId ReadClassId(const Json& j, const std::string& path) {
    if (!j.is_array() || j.size() != 2) Expected(j, path, "[a, b]");
    const long long max = std::numeric_limits<uint32_t>::max();
    return ClassId{static_cast<uint32_t>(ReadInteger(j[0], Index(path, 0), 0, max)),
                   static_cast<uint32_t>(ReadInteger(j[1], Index(path, 1), 0, max))};
  }

  void ReadAnimBody(SimAnim& anim, const Json& j, const std::string& path) {
    switch (anim.superClass) {
      case sc::kMaterial:
        CheckKeys(j, path, "a material",
                  {"super", "class", "class_id", "handle", "params", "name", "sub_texmaps",
                   "sub_materials"});
        break;
      case sc::kTexmap:
        CheckKeys(j, path, "a texmap",
                  {"super", "class", "class_id", "handle", "params", "name", "sub_texmaps",
                   "map_name", "uvgen", "gradient_flags"});
        break;
      case sc::kGeomObject:
        CheckKeys(j, path, "a geometry object",
                  {"super", "class", "class_id", "handle", "params", "mesh"});
        break;
      case sc::kDerivedObject:
        CheckKeys(j, path, "a derived object",
                  {"super", "class", "class_id", "handle", "params", "modifiers", "object",
                   "evaluates_to"});
        break;
      default:
        CheckKeys(j, path, AnimKind(anim), {"super", "class", "class_id", "handle", "params"});
        break;
    }
    if (const Json* params = Member(j, "params")) ReadParams(anim, *params, Key(path, "params"));
    if (const Json* name = Member(j, "name")) anim.name = ReadText(*name, Key(path, "name"));
    if (const Json* maps = Member(j, "sub_texmaps"))
      ReadSubTexmaps(anim, *maps, Key(path, "sub_texmaps"));
    if (const Json* mtls = Member(j, "sub_materials")) {
      const std::string mtlsPath = Key(path, "sub_materials");
      ExpectList(*mtls, mtlsPath, "the sub-materials");
      for (size_t i = 0; i < mtls->size(); ++i) {
        anim.subMtls.push_back(ReadRef((*mtls)[i], Index(mtlsPath, i), RefKind::kMaterial, true));
      }
    }
    if (const Json* mapName = Member(j, "map_name")) {
      if (anim.classId != host::kBitmapTexClassId) {
        Fail(Key(path, "map_name"),
             "only a map of class_id [" + std::to_string(host::kBitmapTexClassId.a) + ", " +
                 std::to_string(host::kBitmapTexClassId.b) + "] has a map name");
      }
      anim.mapName = ReadText(*mapName, Key(path, "map_name"));
    }
    if (const Json* uvgen = Member(j, "uvgen")) anim.uvGen = ReadUvGen(*uvgen, Key(path, "uvgen"));
    if (const Json* flags = Member(j, "gradient_flags")) {
      ReadGradientFlags(anim, *flags, Key(path, "gradient_flags"));
    }
    if (const Json* mesh = Member(j, "mesh")) anim.mesh = ReadMesh(*mesh, Key(path, "mesh"));
    if (const Json* modifiers = Member(j, "modifiers")) {
      const std::string modPath = Key(path, "modifiers");
      ExpectList(*modifiers, modPath, "the modifier stack");
      for (size_t i = 0; i < modifiers->size(); ++i) {
        anim.modifiers.push_back(
            ReadRef((*modifiers)[i], Index(modPath, i), RefKind::kModifier, true));
      }
    }
    if (const Json* object = Member(j, "object")) {
      anim.objRef = ReadRef(*object, Key(path, "object"), RefKind::kObject, true);
    }
    if (const Json* target = Member(j, "evaluates_to")) {
      anim.evaluatesTo = ReadRef(*target, Key(path, "evaluates_to"), RefKind::kBaseObject, false);
    }
  }

  void ReadParams(SimAnim& anim, const Json& j, const std::string& path) {
    ExpectList(j, path, "the parameter blocks");
    for (size_t b = 0; b < j.size(); ++b) {
      const std::string blockPath = Index(path, b);
      auto block = std::make_unique<SimParamBlock>();
      const Json& defs = j[b];
      if (defs.is_null()) {
        block->hasDesc = false;
      } else {
        ExpectList(defs, blockPath, "a parameter block (a list of definitions) or null");
        std::unordered_map<ParamId, size_t> idOwners;
        for (size_t d = 0; d < defs.size(); ++d) {
          const std::string defPath = Index(blockPath, d);
          block->defs.push_back(ReadParamDef(defs[d], defPath, d));
          auto [owner, fresh] = idOwners.try_emplace(block->defs.back().def.id, d);
          if (!fresh) {
            Fail(Key(defPath, "id"),
                 "the parameter id " + std::to_string(block->defs.back().def.id) +
                     " is already the id of " + Index(blockPath, owner->second));
          }
        }
      }
      anim.blocks.push_back(std::move(block));
    }
  }

  SimParamDef ReadParamDef(const Json& j, const std::string& path, size_t position) {
    ExpectObject(j, path, "a parameter definition");
    CheckKeys(j, path, "a parameter definition", {"name", "type", "id", "value"});
    SimParamDef def;
    def.def.internalName = ReadNullableText(Required(j, path, "name"), Key(path, "name"));
    const Json& type = Required(j, path, "type");
    if (type.is_string()) {
      const auto known = ParamTypeByName(type.get<std::string>());
      if (!known)
        Expected(type, Key(path, "type"),
                 "an SDK type name such as TYPE_FLOAT or TYPE_RGBA_TAB, or a number");
      def.def.type = *known;
    } else {
      def.def.type = ReadInt32(type, Key(path, "type"));
    }
    if (const Json* id = Member(j, "id")) {
      def.def.id = static_cast<ParamId>(ReadInteger(*id, Key(path, "id"), -32768, 32767));
    } else {
      if (position > 32767) Fail(path, "a definition this far into its block needs an \"id\"");
      def.def.id = static_cast<ParamId>(position);
    }
    const SimValueKind kind = ValueKindOf(def.def.type);
    const Json* value = Member(j, "value");
    const std::string valuePath = Key(path, "value");
    // The host reads such a parameter as nothing, so a value given for it is not kept.
    if (kind == SimValueKind::kNone) return def;
    if (!value) Fail(path, "missing required key \"value\"");
    def.hasValue = true;
    if (IsTableType(def.def.type)) {
      ExpectList(*value, valuePath, "the table's values");
      for (size_t i = 0; i < value->size(); ++i) {
        def.values.push_back(ReadParamValue((*value)[i], Index(valuePath, i), def.def.type));
      }
    } else {
      def.values.push_back(ReadParamValue(*value, valuePath, def.def.type));
    }
    return def;
  }

  SimValue ReadParamValue(const Json& j, const std::string& path, ParamType type) {
    SimValue value;
    switch (ValueKindOf(type)) {
      case SimValueKind::kFloat:
        value.number = ReadFloat(j, path);
        break;
      case SimValueKind::kInt:
        value.number = ReadInt32(j, path);
        break;
      case SimValueKind::kBool:
        if (j.is_boolean()) {
          value.number = j.get<bool>() ? 1 : 0;
        } else if (j.is_number_integer()) {
          value.number = ReadInt32(j, path);
        } else {
          Expected(j, path, "true, false or an integer");
        }
        break;
      case SimValueKind::kColor: {
        const std::vector<float> c = ReadFloatList(j, path, 3, 4, "[r, g, b] or [r, g, b, a]");
        value.color = Color{c[0], c[1], c[2]};
        value.hasAlpha = c.size() == 4;
        if (value.hasAlpha) value.alpha = c[3];
        break;
      }
      case SimValueKind::kPoint:
        value.point = ReadPoint3(j, path);
        break;
      case SimValueKind::kText:
        value.text = ReadNullableText(j, path);
        break;
      case SimValueKind::kRef: {
        const ParamType element = ElementType(type);
        const RefKind kind = element == host::param_type::kMtl      ? RefKind::kMaterial
                             : element == host::param_type::kTexmap ? RefKind::kTexmap
                                                                    : RefKind::kAny;
        value.ref = ReadRef(j, path, kind, true);
        break;
      }
      case SimValueKind::kNone:
        break;
    }
    return value;
  }

  void ReadSubTexmaps(SimAnim& anim, const Json& j, const std::string& path) {
    ExpectList(j, path, "the sub-texmaps");
    for (size_t i = 0; i < j.size(); ++i) {
      const std::string slotPath = Index(path, i);
      ExpectObject(j[i], slotPath, "a sub-texmap slot");
      CheckKeys(j[i], slotPath, "a sub-texmap slot", {"slot", "map"});
      SimSubTexmap slot;
      slot.slotName = ReadText(Required(j[i], slotPath, "slot"), Key(slotPath, "slot"));
      slot.map =
          ReadRef(Required(j[i], slotPath, "map"), Key(slotPath, "map"), RefKind::kTexmap, true);
      anim.subTexmaps.push_back(slot);
    }
  }

  SimUvGen ReadUvGen(const Json& j, const std::string& path) {
    ExpectObject(j, path, "a UV generator");
    CheckKeys(j, path, "a UV generator",
              {"u_scale", "v_scale", "tiling", "offset", "channel", "w_angle"});
    SimUvGen uv;
    if (const Json* v = Member(j, "u_scale")) uv.uScale = ReadFloat(*v, Key(path, "u_scale"));
    if (const Json* v = Member(j, "v_scale")) uv.vScale = ReadFloat(*v, Key(path, "v_scale"));
    if (const Json* v = Member(j, "tiling")) uv.tiling = ReadInt32(*v, Key(path, "tiling"));
    if (const Json* v = Member(j, "offset")) {
      const std::vector<float> offset = ReadFloatList(*v, Key(path, "offset"), 2, 2, "[u, v]");
      uv.offsetU = offset[0];
      uv.offsetV = offset[1];
    }
    if (const Json* v = Member(j, "channel")) uv.channel = ReadInt32(*v, Key(path, "channel"));
    if (const Json* v = Member(j, "w_angle")) uv.wAngle = ReadFloat(*v, Key(path, "w_angle"));
    return uv;
  }

  void ReadGradientFlags(SimAnim& anim, const Json& j, const std::string& path) {
    ExpectList(j, path, "the gradient's colour stops");
    for (size_t i = 0; i < j.size(); ++i) {
      const std::string stopPath = Index(path, i);
      ExpectObject(j[i], stopPath, "a colour stop");
      CheckKeys(j[i], stopPath, "a colour stop", {"position", "color"});
      SimGradientStop stop;
      const Json& position = Required(j[i], stopPath, "position");
      if (!position.is_null())
        stop.position = ReadFloatIn(position, Key(stopPath, "position"), 0, 100);
      const std::string colorPath = Key(stopPath, "color");
      const Json& color = Required(j[i], stopPath, "color");
      if (!color.is_array() || color.size() != 3) Expected(color, colorPath, "[r, g, b]");
      stop.color = Color{ReadFloatIn(color[0], Index(colorPath, 0), 0, 255),
                         ReadFloatIn(color[1], Index(colorPath, 1), 0, 255),
                         ReadFloatIn(color[2], Index(colorPath, 2), 0, 255)};
      anim.gradientStops.push_back(stop);
    }
  }

  SimMesh ReadMesh(const Json& j, const std::string& path) {
    ExpectObject(j, path, "a mesh");
    CheckKeys(j, path, "a mesh",
              {"vertices", "faces", "mat_ids", "vertex_colors", "vertex_color_faces"});
    SimMesh mesh;
    const std::string verticesPath = Key(path, "vertices");
    const Json& vertices = Required(j, path, "vertices");
    ExpectList(vertices, verticesPath, "the vertices");
    for (size_t i = 0; i < vertices.size(); ++i) {
      mesh.vertices.push_back(ReadPoint3(vertices[i], Index(verticesPath, i)));
    }
    const std::string facesPath = Key(path, "faces");
    const Json& faces = Required(j, path, "faces");
    ExpectList(faces, facesPath, "the faces");
    for (size_t i = 0; i < faces.size(); ++i) {
      SimFace face;
      face.verts = ReadFace(faces[i], Index(facesPath, i), mesh.vertices.size(), "vertices");
      mesh.faces.push_back(face);
    }
    if (const Json* matIds = Member(j, "mat_ids")) {
      const std::string idsPath = Key(path, "mat_ids");
      if (!matIds->is_array() || matIds->size() != mesh.faces.size()) {
        Expected(*matIds, idsPath,
                 "a list of one material id per face (" + std::to_string(mesh.faces.size()) + ")");
      }
      for (size_t i = 0; i < matIds->size(); ++i) {
        mesh.faces[i].matId =
            static_cast<uint16_t>(ReadInteger((*matIds)[i], Index(idsPath, i), 0, 65535));
      }
    }
    const Json* colors = Member(j, "vertex_colors");
    const Json* colorFaces = Member(j, "vertex_color_faces");
    if (colorFaces && !colors) Fail(Key(path, "vertex_color_faces"), "needs \"vertex_colors\"");
    if (colors) {
      const std::string colorsPath = Key(path, "vertex_colors");
      ExpectList(*colors, colorsPath, "the vertex colours");
      if (!colorFaces && colors->size() != mesh.vertices.size()) {
        Expected(*colors, colorsPath,
                 "one colour or null per vertex (" + std::to_string(mesh.vertices.size()) + ")");
      }
      mesh.hasVertexColors = true;
      for (size_t i = 0; i < colors->size(); ++i) {
        const Json& color = (*colors)[i];
        if (color.is_null()) {
          mesh.vertexColors.emplace_back();
        } else {
          mesh.vertexColors.emplace_back(ReadPoint3(color, Index(colorsPath, i)));
        }
      }
      if (colorFaces) {
        const std::string cfPath = Key(path, "vertex_color_faces");
        ExpectList(*colorFaces, cfPath, "the colour faces");
        for (size_t i = 0; i < colorFaces->size(); ++i) {
          mesh.colorFaces.push_back(ReadFace((*colorFaces)[i], Index(cfPath, i),
                                             mesh.vertexColors.size(), "vertex colours"));
        }
      } else {
        for (const SimFace& face : mesh.faces) mesh.colorFaces.push_back(face.verts);
      }
    }
    return mesh;
  }

  void ReadNode(const Json& j, const std::string& path, SimNode& parent, int depth) {
    if (depth > kMaxNodeDepth) {
      Fail(path, "nodes nest deeper than " + std::to_string(kMaxNodeDepth) + " levels");
    }
    ExpectObject(j, path, "a node");
    CheckKeys(
        j, path, "a node",
        {"name", "id", "object", "material", "transform", "target", "group_head", "children"});
    auto node = std::make_unique<SimNode>();
    if (const Json* name = Member(j, "name")) node->name = ReadText(*name, Key(path, "name"));
    if (const Json* id = Member(j, "id")) {
      node->id = IdOf(ReadString(*id, Key(path, "id")), Key(path, "id"), "a node id");
      if (node->id.empty()) Fail(Key(path, "id"), "a node id must not be empty");
      auto [owner, fresh] = nodeIds_.try_emplace(node->id, NodeEntry{node.get(), path});
      if (!fresh) {
        Fail(Key(path, "id"),
             "the node id " + Quoted(node->id) + " is already the id of " + owner->second.path);
      }
    }
    if (const Json* object = Member(j, "object")) {
      node->object = ReadRef(*object, Key(path, "object"), RefKind::kObject, true);
    }
    if (const Json* material = Member(j, "material")) {
      node->material = ReadRef(*material, Key(path, "material"), RefKind::kMaterial, true);
    }
    if (const Json* transform = Member(j, "transform")) {
      node->transform = ReadTransform(*transform, Key(path, "transform"));
    }
    if (const Json* target = Member(j, "target")) {
      const std::string targetPath = Key(path, "target");
      targets_.push_back(PendingTarget{
          node.get(), IdOf(ReadString(*target, targetPath), targetPath, "an id"), targetPath});
    }
    if (const Json* head = Member(j, "group_head")) {
      node->groupHead = ReadBool(*head, Key(path, "group_head"));
    }
    if (const Json* children = Member(j, "children")) {
      const std::string childrenPath = Key(path, "children");
      ExpectList(*children, childrenPath, "the node's children");
      for (size_t i = 0; i < children->size(); ++i) {
        ReadNode((*children)[i], Index(childrenPath, i), *node, depth + 1);
      }
    }
    parent.children.push_back(std::move(node));
  }

  Matrix3 ReadTransform(const Json& j, const std::string& path) {
    ExpectObject(j, path, "a transform");
    if (const Json* matrix = Member(j, "matrix")) {
      CheckKeys(j, path, "a transform given as a matrix", {"matrix"});
      const std::string matrixPath = Key(path, "matrix");
      if (!matrix->is_array() || matrix->size() != 4) {
        Expected(*matrix, matrixPath,
                 "four rows [[r00, r01, r02], [r10, r11, r12], [r20, r21, r22], [tx, ty, tz]]");
      }
      Matrix3 m;
      for (size_t row = 0; row < 4; ++row) {
        m.rows[row] = ReadPoint3((*matrix)[row], Index(matrixPath, row));
      }
      return m;
    }
    CheckKeys(j, path, "a transform", {"position", "rotation", "scale", "matrix"});
    Point3 position;
    Quat rotation;
    Point3 scale{1, 1, 1};
    if (const Json* p = Member(j, "position")) position = ReadPoint3(*p, Key(path, "position"));
    if (const Json* r = Member(j, "rotation")) {
      const std::vector<float> q = ReadFloatList(*r, Key(path, "rotation"), 4, 4, "[x, y, z, w]");
      const double length = std::sqrt(double(q[0]) * q[0] + double(q[1]) * q[1] +
                                      double(q[2]) * q[2] + double(q[3]) * q[3]);
      if (length == 0) Fail(Key(path, "rotation"), "a rotation must not be the zero quaternion");
      rotation = Quat{float(q[0] / length), float(q[1] / length), float(q[2] / length),
                      float(q[3] / length)};
    }
    if (const Json* s = Member(j, "scale")) scale = ReadPoint3(*s, Key(path, "scale"));
    return ComposeMatrix(position, rotation, scale);
  }

  void ResolveTargets() {
    for (const PendingTarget& pending : targets_) {
      auto it = nodeIds_.find(pending.id);
      if (it == nodeIds_.end()) Fail(pending.path, "no node has the id " + Quoted(pending.id));
      pending.node->target = it->second.node;
    }
  }

  void ReadSettings(const Json& j) {
    const std::string path = "scene";
    ExpectObject(j, path, "the scene settings");
    CheckKeys(j, path, "the \"scene\" object",
              {"file_name", "file_path", "time", "meters_per_unit", "user_scripts_dir",
               "fbx_export", "resolve", "scene_materials"});
    if (const Json* v = Member(j, "file_name"))
      host_.fileName = ReadText(*v, Key(path, "file_name"));
    if (const Json* v = Member(j, "file_path"))
      host_.filePath = ReadText(*v, Key(path, "file_path"));
    if (const Json* v = Member(j, "time")) host_.time = ReadInt32(*v, Key(path, "time"));
    if (const Json* v = Member(j, "meters_per_unit")) {
      host_.metersPerUnit = ReadDouble(*v, Key(path, "meters_per_unit"));
    }
    if (const Json* v = Member(j, "user_scripts_dir")) {
      host_.userScriptsDir = ReadText(*v, Key(path, "user_scripts_dir"));
      userScriptsDirGiven_ = true;
    }
    if (const Json* v = Member(j, "fbx_export")) {
      const std::string mode = v->is_string() ? v->get<std::string>() : std::string();
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
    if (const Json* v = Member(j, "resolve")) {
      const std::string resolvePath = Key(path, "resolve");
      ExpectObject(*v, resolvePath, "the resolved paths by path");
      for (const JsonMember* member : parsed_.Members(*v)) {
        host_.resolve[TextOf(member->first)] =
            ReadText(member->second, Key(resolvePath, member->first));
      }
    }
    if (const Json* v = Member(j, "scene_materials")) {
      const std::string listPath = Key(path, "scene_materials");
      ExpectList(*v, listPath, "the scene's materials");
      std::vector<Anim*> materials;
      for (size_t i = 0; i < v->size(); ++i) {
        materials.push_back(ReadRef((*v)[i], Index(listPath, i), RefKind::kMaterialOrMap, false));
      }
      host_.sceneMaterials = std::move(materials);
    }
  }

  struct NodeEntry {
    SimNode* node = nullptr;
    std::string path;
  };

  SimHost& host_;
  const Document& parsed_;
  std::unordered_map<std::string, NodeEntry> nodeIds_;
  std::vector<PendingTarget> targets_;
  bool userScriptsDirGiven_ = false;
};

// Texts of the file in a message are UTF-8, with a lone surrogate shown as U+FFFD.
std::string Message(std::string_view source, const std::string& path, const std::string& what) {
  std::string message(source);
  message += ": ";
  if (!path.empty()) message += ToUtf8(TextOf(path)) + ": ";
  return message + ToUtf8(TextOf(what));
}

}  // namespace

SceneLoadResult LoadSceneText(std::string_view json, std::string_view sourceName) {
  SceneLoadResult result;
  try {
    const std::optional<std::string> carried = CarryLoneSurrogates(json);
    const std::string_view text = carried ? std::string_view(*carried) : json;
    Document document;
    DocumentBuilder builder(document);
    Json::sax_parse(text.begin(), text.end(), &builder);
    if (builder.Duplicate()) {
      throw *builder.Duplicate();
    }
    auto host = std::make_unique<SimHost>();
    SceneReader reader(*host, document);
    reader.Read();
    if (!reader.UserScriptsDirGiven()) {
      host->userScriptsDir = DefaultUserScriptsDir();
      std::error_code ignored;  // the folder is a convenience; a scene works without it
      std::filesystem::create_directories(std::filesystem::path(host->userScriptsDir), ignored);
    }
    result.ok = true;
    result.host = std::move(host);
  } catch (const FormatError& error) {
    result.message = Message(sourceName, error.path, error.what);
  } catch (const std::exception& error) {
    result.message = Message(sourceName, "", std::string("cannot be read: ") + error.what());
  }
  return result;
}

SceneLoadResult LoadSceneFile(const std::filesystem::path& file) {
  std::string source;
  try {
    source = file.u8string();
  } catch (const std::exception&) {
    source = "(scene file)";
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    SceneLoadResult result;
    result.message = source + ": cannot open the file";
    return result;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    SceneLoadResult result;
    result.message = source + ": cannot read the file";
    return result;
  }
  return LoadSceneText(text, source);
}

}  // namespace larkspur::sim
