// The simulated host: an in-memory scene with the host's semantics. Tests build scenes with it
// directly or load them from scene files (scene_file.h); the command line runs the logic on it.
#pragma once

#include <tsl/robin_map.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/host.h"
#include "host/sim/anims_by_id.h"

namespace larkspur::sim {

using host::Anim;
using host::AnimHandle;
using host::ClassId;
using host::Color;
using host::Matrix3;
using host::ParamId;
using host::ParamType;
using host::Point3;
using host::Quat;
using host::SClassId;
using host::Text;
using host::TimeValue;

class SimHost;

// The slot of SimValue that a parameter type stores, by its element type; kNone for a type the
// host reads as nothing.
enum class SimValueKind { kNone, kFloat, kInt, kBool, kColor, kPoint, kText, kRef };
SimValueKind ValueKindOf(ParamType type);
bool IsTableType(ParamType type);  // a table type is its element type + param_type::kTab
ParamType ElementType(ParamType type);

// One stored value of a parameter (a scalar, or one element of a table). A scene holds hundreds
// of thousands, and only the slot of the parameter's type is meaningful, so the slots share their
// storage; a text is kept out of line, as few values are texts.
class SimValue {
 public:
  SimValue() : number_(0.0) {}
  SimValue(const SimValue& other) { CopyFrom(other); }
  SimValue(SimValue&& other) noexcept { TakeFrom(other); }
  SimValue& operator=(const SimValue& other);
  SimValue& operator=(SimValue&& other) noexcept;
  ~SimValue() {
    if (slot_ == Slot::kText) FreeText();
  }

  // Float, angle, percent fraction and world; int, bool and index as integers.
  static SimValue OfNumber(double number);
  static SimValue OfColor(const Color& color, std::optional<float> alpha = std::nullopt);
  static SimValue OfPoint(const Point3& point);
  static SimValue OfText(std::optional<Text> text);  // a null string stays null
  static SimValue OfRef(Anim* ref);

  double Number() const { return slot_ == Slot::kNumber ? number_ : 0.0; }
  Color GetColor() const;
  bool HasAlpha() const { return slot_ == Slot::kColorAlpha; }
  float Alpha() const { return HasAlpha() ? floats_[3] : 1.0f; }
  Point3 GetPoint() const;
  std::optional<Text> GetText() const;
  Anim* Ref() const { return slot_ == Slot::kRef ? ref_ : nullptr; }

 private:
  enum class Slot : uint8_t { kNumber, kColor, kColorAlpha, kPoint, kText, kRef };
  void CopyFrom(const SimValue& other);
  void TakeFrom(SimValue& other);
  void FreeText();

  union {
    double number_;
    float floats_[4];   // r, g, b, alpha or x, y, z
    const Text* text_;  // owned; null for a null string
    Anim* ref_;
  };
  Slot slot_ = Slot::kNumber;
};

// The values of one definition. A scene holds hundreds of thousands of scalars, so a single value
// is kept in place and only a table of more has a list of its own.
class SimValues {
 public:
  SimValues() = default;
  SimValues(std::vector<SimValue> values);  // implicit, so that a list of values assigns as one

  void push_back(SimValue value) {
    if (!hasFirst_ && table_.empty()) {
      first_ = std::move(value);
      hasFirst_ = true;
    } else {
      PushToTable(std::move(value));
    }
  }
  size_t size() const { return table_.empty() ? (hasFirst_ ? 1 : 0) : table_.size(); }
  bool empty() const { return size() == 0; }
  const SimValue* begin() const { return table_.empty() ? &first_ : table_.data(); }
  const SimValue* end() const { return begin() + size(); }
  const SimValue& operator[](size_t index) const { return begin()[index]; }
  const SimValue& front() const { return *begin(); }

 private:
  void PushToTable(SimValue value);

  SimValue first_;  // the only value while the table is empty
  bool hasFirst_ = false;
  std::vector<SimValue> table_;  // every value once there are two or more
};

// The definition list of a block's class. The scene keeps one per distinct list and every block
// made from it points at it; it never changes once made.
class SimParamDesc : public host::ParamBlockDesc {
 public:
  explicit SimParamDesc(std::vector<host::ParamDef> defs);
  SimParamDesc(const SimParamDesc&) = delete;
  SimParamDesc& operator=(const SimParamDesc&) = delete;

  const std::vector<host::ParamDef>& Defs() const { return defs_; }
  // The position of the first definition with that id; -1 when none has it.
  int IndexOf(ParamId id) const;

 private:
  std::vector<host::ParamDef> defs_;
  std::unordered_map<ParamId, int> indexById_;  // every read finds its definition by id
};

class SimParamBlock : public host::ParamBlock {
 public:
  std::shared_ptr<const SimParamDesc> desc;  // null for a block without a descriptor
  // The values of each definition of desc, in its order; a definition the host reads as nothing
  // has none.
  std::vector<SimValues> values;

  const host::ParamBlockDesc* GetDesc() const override { return desc.get(); }
  bool GetValue(ParamId id, TimeValue t, float& value, int tabIndex) const override;
  bool GetValue(ParamId id, TimeValue t, int& value, int tabIndex) const override;
  bool GetValue(ParamId id, TimeValue t, Color& value, int tabIndex) const override;
  bool GetValue(ParamId id, TimeValue t, Point3& value, int tabIndex) const override;
  bool GetValue(ParamId id, TimeValue t, std::optional<Text>& value, int tabIndex) const override;
  bool GetValue(ParamId id, TimeValue t, Anim*& value, int tabIndex) const override;
  int Count(ParamId id) const override;

  // The position in desc of the first definition with this id; -1 when there is none.
  int DefIndex(ParamId id) const;
  // The element a read of this id and index reaches, or null when the host refuses the read.
  const SimValue* Element(ParamId id, int tabIndex, bool (*accepts)(ParamType)) const;
};

struct SimUvGen : host::UvGen {
  float uScale = 1.0f;
  float vScale = 1.0f;
  int tiling = 3;
  float offsetU = 0.0f;
  float offsetV = 0.0f;
  int channel = 1;
  float wAngle = 0.0f;

  float GetUScl(TimeValue) const override { return uScale; }
  float GetVScl(TimeValue) const override { return vScale; }
  int GetTextureTiling() const override { return tiling; }
  Matrix3 GetUVTransform() const override;
  int GetMapChannel() const override { return channel; }
  float GetWAng(TimeValue) const override { return wAngle; }
};

struct SimFace {
  std::array<uint32_t, 3> verts{};
  uint16_t matId = 0;
};

class SimMesh : public host::Mesh {
 public:
  std::vector<Point3> vertices;
  std::vector<SimFace> faces;
  // Map channel 0: a colour (or none) per colour vertex, and the colour faces indexing them.
  bool hasVertexColors = false;
  std::vector<std::optional<Point3>> vertexColors;
  std::vector<std::array<uint32_t, 3>> colorFaces;
  int geomCacheInvalidations = 0;

  int GetNumVerts() const override { return static_cast<int>(vertices.size()); }
  int GetNumFaces() const override { return static_cast<int>(faces.size()); }
  std::array<uint32_t, 3> GetFaceVerts(int face) const override { return faces.at(face).verts; }
  uint16_t GetFaceMatID(int face) const override { return faces.at(face).matId; }
  void SetNumVertCol(int count) override;
  void SetNumVCFaces(int count) override;
  void SetVertCol(int index, const Point3& color) override;
  void SetVCFace(int face, const std::array<uint32_t, 3>& verts) override;
  void InvalidateGeomCache() override { ++geomCacheInvalidations; }
};

struct SimSubTexmap {
  Text slotName;
  Anim* map = nullptr;
};

// A gradient ramp's colour stop, as the probe script reads it.
struct SimGradientStop {
  std::optional<float> position;  // 0..100; null when the stop has no readable position
  Color color;                    // 0..255
};

// Every object, modifier, material and map of the scene.
class SimAnim : public Anim {
 public:
  explicit SimAnim(SimHost& owner) : owner_(owner) {}

  std::string id;  // the scene file's id; given by SimHost::NewAnim and unique in the scene
  SClassId superClass = 0;
  ClassId classId;
  Text className;
  AnimHandle handle = 0;
  Text name;
  std::vector<std::unique_ptr<SimParamBlock>> blocks;  // a null entry is a block without one
  std::vector<SimSubTexmap> subTexmaps;
  std::vector<Anim*> subMtls;
  std::optional<Text> mapName;  // answered only by a map of the host's bitmap class
  std::optional<SimUvGen> uvGen;
  std::vector<SimGradientStop> gradientStops;
  // Derived objects.
  std::vector<Anim*> modifiers;
  Anim* objRef = nullptr;
  Anim* evaluatesTo = nullptr;
  // Geometry.
  std::optional<SimMesh> mesh;

  host::SClassId SuperClassID() const override { return superClass; }
  ClassId ClassID() const override { return classId; }
  Text GetClassName() const override { return className; }
  AnimHandle GetHandle() const override { return handle; }
  int NumParamBlocks() const override { return static_cast<int>(blocks.size()); }
  const host::ParamBlock* GetParamBlock(int index) const override;
  Text GetName() const override { return name; }
  void SetName(const Text& newName) override { name = newName; }
  int NumSubTexmaps() const override { return static_cast<int>(subTexmaps.size()); }
  Anim* GetSubTexmap(int index) const override;
  Text GetSubTexmapSlotName(int index) const override;
  int NumSubMtls() const override { return static_cast<int>(subMtls.size()); }
  Anim* GetSubMtl(int index) const override;
  Text GetMapName() const override;
  const host::UvGen* GetTheUVGen() const override { return uvGen ? &*uvGen : nullptr; }
  int NumModifiers() const override { return static_cast<int>(modifiers.size()); }
  Anim* GetModifier(int index) const override;
  Anim* GetObjRef() const override { return objRef; }
  bool CanConvertToType(ClassId type) const override;
  Anim* ConvertToType(TimeValue t, ClassId type) override;
  host::Mesh* GetMesh() override { return mesh ? &*mesh : nullptr; }
  void DeleteMe() override;

 private:
  SimHost& owner_;
};

class SimNode : public host::Node {
 public:
  std::string id;  // the scene file's id, when it has one
  Text name;
  Anim* object = nullptr;
  Anim* material = nullptr;
  Matrix3 transform;  // the object transform in world space
  SimNode* target = nullptr;
  bool groupHead = false;
  std::vector<std::unique_ptr<SimNode>> children;

  int NumberOfChildren() const override { return static_cast<int>(children.size()); }
  host::Node* GetChildNode(int index) const override;
  Text GetName() const override { return name; }
  void SetName(const Text& newName) override { name = newName; }
  Anim* GetMtl() const override { return material; }
  Anim* EvalWorldState(TimeValue t) const override;
  Anim* GetObjectRef() const override { return object; }
  void SetObjectRef(Anim* newObject) override { object = newObject; }
  Matrix3 GetObjectTM(TimeValue) const override { return transform; }
  host::Node* GetTarget() const override { return target; }
};

// What ExportToFile does in the simulated host.
enum class FbxExportMode { kWrites, kFails, kNoFile };

struct SimLogEntry {
  host::LogType type;
  Text title;
  Text text;
};

// The simulated host process: the scene, its settings, and the records of what the logic did.
class SimHost : public host::Interface {
 public:
  SimHost();
  ~SimHost() override;
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // Scene settings.
  Text fileName;
  Text filePath;
  TimeValue time = 0;
  double metersPerUnit = 0.0254;
  Text userScriptsDir;
  void* mainWindow = nullptr;  // the host application's main window, when one runs the scene
  FbxExportMode fbxExport = FbxExportMode::kWrites;
  std::unordered_map<Text, Text> resolve;
  std::optional<std::vector<Anim*>> sceneMaterials;  // absent: the materials of all nodes
  std::unordered_set<const SimNode*> selection;      // what the scripts selected

  // Records.
  std::vector<SimLogEntry> log;
  std::vector<Text> scripts;  // every script run, in order, with its exact text
  std::vector<Text> exports;  // every ExportToFile path

  SimNode& Root() { return *root_; }
  const SimNode& Root() const { return *root_; }

  // Makes a new anim owned by the scene, with a fresh non-zero handle and an id that no other
  // anim has: idHint itself when it is free, otherwise idHint with a number appended ("anim" when
  // idHint is empty).
  SimAnim& NewAnim(SClassId superClass, Text className, ClassId classId = {},
                   const std::string& idHint = {});
  // Takes an anim made for this scene, under its own id (one no other anim has), with the given
  // handle or else a fresh one; a fresh handle is used up either way.
  SimAnim& AdoptAnim(std::unique_ptr<SimAnim> anim, std::optional<AnimHandle> handle);
  // Later fresh handles are all greater than handle.
  void ReserveHandlesThrough(AnimHandle handle);
  // Room for this many more anims, so that a scene of known size is made without rehashing.
  void ReserveAnims(size_t count);
  // Frees an anim made by ConvertToType that nothing holds.
  void Release(Anim* anim);
  // The anims of the scene in creation order.
  std::vector<SimAnim*> Anims() const;
  SimAnim* FindAnim(const std::string& id) const;
  // The anim behind a pointer the scene holds; null for an anim that is not this scene's.
  SimAnim* Owned(const Anim* anim) const;

  host::TimeValue GetTime() const override { return time; }
  host::Node* GetRootNode() const override { return root_.get(); }
  Text GetCurFileName() const override { return fileName; }
  Text GetCurFilePath() const override { return filePath; }
  Text GetDir(int which) const override;
  void* GetMAXHWnd() const override { return mainWindow; }
  bool ExportToFile(const Text& path, bool suppressPrompts, uint32_t options) override;
  void Log(host::LogType type, const Text& title, const Text& text) override;
  double GetSystemUnitScale(int unitType) const override;
  void DecomposeMatrix(const Matrix3& m, Point3& position, Quat& rotation,
                       Point3& scale) const override;
  bool ExecuteMAXScriptScript(const Text& script, bool quietErrors,
                              host::ScriptResult* result) override;
  Text GetFullFilePath(const Text& path) const override;

 private:
  std::string FreshId(const std::string& hint);

  std::unique_ptr<SimNode> root_;
  std::vector<std::unique_ptr<SimAnim>> anims_;
  // Anims are allocated at aligned addresses: their low bits say nothing, so the hash mixes them
  // up into the bits the table uses.
  struct AnimAddressHash {
    size_t operator()(const Anim* anim) const {
      return static_cast<size_t>((reinterpret_cast<uintptr_t>(anim) * 0x9E3779B97F4A7C15ull) >> 29);
    }
  };
  tsl::robin_map<const Anim*, size_t, AnimAddressHash> animIndex_;
  AnimsById animsById_;
  std::unordered_map<std::string, int> nextIdSuffix_;
  AnimHandle nextHandle_ = 1;
};

// The matrix of a position, rotation and scale, in the host's row layout (a point p maps to
// p * M: each axis row is the rotated unit axis times its scale, the last row the position).
Matrix3 ComposeMatrix(const Point3& position, const Quat& rotation, const Point3& scale);

// The nodes below root (root excluded), a node before its children, siblings in index order.
std::vector<SimNode*> PreOrderNodes(SimNode& root);
std::vector<const SimNode*> PreOrderNodes(const SimNode& root);

}  // namespace larkspur::sim
