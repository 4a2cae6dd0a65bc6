// The host operations as the logic sees them. Each operation maps onto one call of the host's SDK
// (named in the comment beside it), so that an adapter over the real host stays a thin mapping.
// The logic is written against these classes alone; the simulated host implements them.
#pragma once

#include <optional>

#include "host/types.h"

namespace larkspur::host {

class Anim;

// One parameter definition of a parameter block's descriptor (ParamDef).
struct ParamDef {
  std::optional<Text> internalName;  // null when the definition has no internal name
  ParamType type = 0;
  ParamId id = 0;
};

// ParamBlockDesc2: the definitions of a block's class, kept by the host and shared by every block
// of that class, so that a definition (and its name) lives as long as any block made from it.
struct ParamBlockDesc {
  int count = 0;                        // ParamBlockDesc2::count
  const ParamDef* paramdefs = nullptr;  // ParamBlockDesc2::paramdefs, count of them
};

// IParamBlock2. Reads of a refused element leave the value untouched, so callers zero-initialise
// before reading.
class ParamBlock {
 public:
  virtual ~ParamBlock() = default;
  virtual const ParamBlockDesc* GetDesc() const = 0;  // IParamBlock2::GetDesc; null for none
  // IParamBlock2::GetValue overloads; the result tells whether the host accepted the read.
  virtual bool GetValue(ParamId id, TimeValue t, float& value, int tabIndex) const = 0;
  virtual bool GetValue(ParamId id, TimeValue t, int& value, int tabIndex) const = 0;
  virtual bool GetValue(ParamId id, TimeValue t, Color& value, int tabIndex) const = 0;
  virtual bool GetValue(ParamId id, TimeValue t, Point3& value, int tabIndex) const = 0;
  // A null host string reads as an empty optional.
  virtual bool GetValue(ParamId id, TimeValue t, std::optional<Text>& value,
                        int tabIndex) const = 0;
  virtual bool GetValue(ParamId id, TimeValue t, Anim*& value, int tabIndex) const = 0;
  virtual int Count(ParamId id) const = 0;  // IParamBlock2::Count
};

// The UV generator of a texture map (StdUVGen).
class UvGen {
 public:
  virtual ~UvGen() = default;
  virtual float GetUScl(TimeValue t) const = 0;
  virtual float GetVScl(TimeValue t) const = 0;
  virtual int GetTextureTiling() const = 0;  // bits: 1 tile U, 2 tile V, 4 mirror U, 8 mirror V
  virtual Matrix3 GetUVTransform() const = 0;
  virtual int GetMapChannel() const = 0;
  virtual float GetWAng(TimeValue t) const = 0;  // radians
};

// The mesh of a triangle object (Mesh), with its vertex-colour channel.
class Mesh {
 public:
  virtual ~Mesh() = default;
  virtual int GetNumVerts() const = 0;
  virtual int GetNumFaces() const = 0;
  virtual std::array<uint32_t, 3> GetFaceVerts(int face) const = 0;  // Face::v
  virtual uint16_t GetFaceMatID(int face) const = 0;                 // Face::getMatID
  virtual void SetNumVertCol(int count) = 0;                         // setNumVertCol, discarding
  virtual void SetNumVCFaces(int count) = 0;                         // setNumVCFaces, discarding
  virtual void SetVertCol(int index, const Point3& color) = 0;       // vertCol[index]
  virtual void SetVCFace(int face, const std::array<uint32_t, 3>& verts) = 0;  // vcFace[face]
  virtual void InvalidateGeomCache() = 0;
};

// Animatable with the operations of its subclasses the logic uses (Object, IDerivedObject,
// MtlBase, Mtl, ISubMap, Texmap, BitmapTex). An operation that does not apply to an anim's class
// answers as the host would for a missing feature: 0, null or the empty text.
class Anim {
 public:
  virtual ~Anim() = default;

  // Animatable
  virtual SClassId SuperClassID() const = 0;
  virtual ClassId ClassID() const = 0;
  virtual Text GetClassName() const = 0;     // GetClassName with localisation off
  virtual AnimHandle GetHandle() const = 0;  // Animatable::GetHandleByAnim; 0 means none
  virtual int NumParamBlocks() const = 0;
  virtual const ParamBlock* GetParamBlock(int index) const = 0;

  // MtlBase
  virtual Text GetName() const = 0;
  virtual void SetName(const Text& name) = 0;

  // ISubMap
  virtual int NumSubTexmaps() const = 0;
  virtual Anim* GetSubTexmap(int index) const = 0;
  virtual Text GetSubTexmapSlotName(int index) const = 0;  // localisation off

  // Mtl
  virtual int NumSubMtls() const = 0;
  virtual Anim* GetSubMtl(int index) const = 0;

  // Texmap and BitmapTex
  virtual Text GetMapName() const = 0;           // BitmapTex::GetMapName
  virtual const UvGen* GetTheUVGen() const = 0;  // Texmap::GetTheUVGen; null for none

  // IDerivedObject
  virtual int NumModifiers() const = 0;
  virtual Anim* GetModifier(int index) const = 0;
  virtual Anim* GetObjRef() const = 0;

  // Object
  virtual bool CanConvertToType(ClassId type) const = 0;
  // Returns this object when it already is of the type, otherwise a new temporary object that
  // the caller either hands to a node (INode::SetObjectRef) or deletes (DeleteMe).
  virtual Anim* ConvertToType(TimeValue t, ClassId type) = 0;
  virtual Mesh* GetMesh() = 0;  // TriObject::GetMesh; null for other objects
  virtual void DeleteMe() = 0;  // Object::DeleteMe, for temporaries of ConvertToType only
};

// INode
class Node {
 public:
  virtual ~Node() = default;
  virtual int NumberOfChildren() const = 0;
  virtual Node* GetChildNode(int index) const = 0;
  virtual Text GetName() const = 0;
  virtual void SetName(const Text& name) = 0;
  virtual Anim* GetMtl() const = 0;
  // EvalWorldState(t, evalHidden TRUE).obj: the object at the top of the pipeline, or null.
  virtual Anim* EvalWorldState(TimeValue t) const = 0;
  virtual Anim* GetObjectRef() const = 0;
  virtual void SetObjectRef(Anim* object) = 0;
  virtual Matrix3 GetObjectTM(TimeValue t) const = 0;
  virtual Node* GetTarget() const = 0;
};

// What a script returned through its FPValue.
struct ScriptResult {
  bool isString = false;  // FPValue type TYPE_STRING
  Text text;
};

// Interface (GetCOREInterface) with the host-wide services beside it.
class Interface {
 public:
  virtual ~Interface() = default;
  virtual TimeValue GetTime() const = 0;
  virtual Node* GetRootNode() const = 0;
  virtual Text GetCurFileName() const = 0;
  virtual Text GetCurFilePath() const = 0;
  virtual Text GetDir(int which) const = 0;
  virtual void* GetMAXHWnd() const = 0;
  // ExportToFile(name, suppressPrompts, options, no exporter class): the exporter is chosen by
  // the file's extension.
  virtual bool ExportToFile(const Text& path, bool suppressPrompts, uint32_t options) = 0;
  // LogSys::LogEntry without a dialogue.
  virtual void Log(LogType type, const Text& title, const Text& text) = 0;
  // GetSystemUnitScale(type): the length of one system unit in the given unit.
  virtual double GetSystemUnitScale(int unitType) const = 0;
  // DecomposeMatrix(mat, p, q, s); q starts as the identity.
  virtual void DecomposeMatrix(const Matrix3& m, Point3& position, Quat& rotation,
                               Point3& scale) const = 0;
  // ExecuteMAXScriptScript(text, source 2, quietErrors, result, logQuietErrors TRUE).
  virtual bool ExecuteMAXScriptScript(const Text& script, bool quietErrors,
                                      ScriptResult* result) = 0;
  // IFileResolutionManager::GetInstance()->GetFullFilePath(path, bitmap asset, no forced query):
  // the empty text when the manager is unavailable or the path does not resolve.
  virtual Text GetFullFilePath(const Text& path) const = 0;
};

}  // namespace larkspur::host
