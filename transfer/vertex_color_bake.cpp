#include "transfer/vertex_color_bake.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "host/scene_walk.h"
#include "nodetree/param_lookup.h"
#include "transfer/material_walk.h"
#include "transfer/mesh_elements.h"

namespace larkspur {
namespace {

constexpr std::u16string_view kLogTitle = u"Larkspur";

// An object made by ConvertToType: deleted unless a node takes it.
struct DeleteMe {
  void operator()(host::Anim* object) const { object->DeleteMe(); }
};
using TemporaryObject = std::unique_ptr<host::Anim, DeleteMe>;

// A float truncated toward zero as the processor does it: NaN and values beyond the 32-bit range
// give the smallest int, without leaving the language's defined behaviour.
int32_t TruncateToInt32(float value) {
  if (value >= -2147483648.0f && value < 2147483648.0f) return static_cast<int32_t>(value);
  return std::numeric_limits<int32_t>::min();
}

int32_t ReadSeed(const host::Interface& ip, const host::Anim& map) {
  const ParamValue seed = FindParamValue(ip, ParamIndex(&map), u"seed");
  if (seed.kind == ParamKind::Int) return seed.intValue;
  if (seed.kind == ParamKind::Float) return TruncateToInt32(seed.floatValue);
  return 0;
}

bool IsTrue(const ParamValue& value) {
  return value.kind == ParamKind::Bool && value.boolValue;
}

// Switched-on elements of a table of flags among its first count. An element at or beyond the
// table's end reads as false, so the count stops at the table's end.
int32_t CountSwitchedOn(const host::Interface& ip, const ParamIndex& params,
                        std::u16string_view name, int32_t count) {
  const int32_t end = std::min(count, FindParamTabCount(params, name));
  int32_t on = 0;
  for (int32_t i = 0; i < end; ++i) on += IsTrue(FindParamTabValue(ip, params, name, i)) ? 1 : 0;
  return on;
}

// The grey level of an element: input index |seed * 31 + 1 + element| modulo activeCount in
// 64-bit arithmetic, divided by activeCount - 1 in single precision; 0 with fewer than two inputs.
float ElementGreyLevel(int32_t seed, int32_t element, int32_t activeCount) {
  const int64_t r = static_cast<int64_t>(seed) * 31 + 1 + element;
  const int64_t index = activeCount >= 1 ? (r < 0 ? -r : r) % activeCount : 0;
  if (activeCount < 2) return 0.0f;
  return static_cast<float>(index) / static_cast<float>(activeCount - 1);
}

// Each used vertex takes the level of the last element that uses it, as colouring the elements
// in index order would leave it.
void ColorByElement(host::Mesh& mesh, int32_t seed, int32_t activeCount) {
  const std::vector<int32_t> elements = ComputeMeshElements(mesh);
  const int faceCount = static_cast<int>(elements.size());
  const int vertexCount = std::max(mesh.GetNumVerts(), 0);
  mesh.SetNumVertCol(vertexCount);
  mesh.SetNumVCFaces(faceCount);
  std::vector<int32_t> lastElement(static_cast<size_t>(vertexCount), -1);
  for (int f = 0; f < faceCount; ++f) {
    const std::array<uint32_t, 3> verts = mesh.GetFaceVerts(f);
    mesh.SetVCFace(f, verts);
    for (const uint32_t v : verts) {
      if (v < static_cast<uint32_t>(vertexCount)) {
        lastElement[v] = std::max(lastElement[v], elements[f]);
      }
    }
  }
  for (int v = 0; v < vertexCount; ++v) {
    if (lastElement[v] < 0) continue;  // used by no face: not written
    const float grey = ElementGreyLevel(seed, lastElement[v], activeCount);
    mesh.SetVertCol(v, host::Point3{grey, grey, grey});
  }
}

struct MapChoice {
  int32_t activeCount = 0;
  bool randomize = false;
};

MapChoice ReadMultiTexture(const host::Interface& ip, const host::Anim& map) {
  return MapChoice{CountSwitchedOn(ip, ParamIndex(&map), u"submap_on", map.NumSubTexmaps()), true};
}

MapChoice ReadCoronaMultiMap(host::Interface& ip, const host::Anim& map, const Text& logHead) {
  const ParamIndex params(&map);
  const ParamValue itemsValue = FindParamValue(ip, params, u"items");
  const int32_t items = itemsValue.kind == ParamKind::Int ? itemsValue.intValue : 0;
  const MapChoice choice{CountSwitchedOn(ip, params, u"texmapsOn", items),
                         IsTrue(FindParamValue(ip, params, u"randomizeMeshElement"))};
  ip.Log(host::LogType::kInfo, Text(kLogTitle),
         logHead + u"items=" + FormatInt(items) + u" activeCount=" + FormatInt(choice.activeCount) +
             u" randomizeMeshElement=" + (choice.randomize ? u"true" : u"false"));
  return choice;
}

bool BakeNodeSafely(const host::Interface& ip, host::Node& node, const host::Anim& map,
                    int32_t activeCount, host::TimeValue t) {
  try {
    return BakeNodeElementColors(ip, node, map, activeCount, t);
  } catch (const std::exception&) {
    return false;  // a mesh too large to hold its element table fails on its own
  }
}

}  // namespace

host::Anim* FindRandomMultiMap(host::Anim* object, std::unordered_set<const host::Anim*>& visited,
                               bool& isCoronaMultiMap) {
  isCoronaMultiMap = false;
  return WalkMaterialTree(object, WalkChildren::kSubMapsThenSubMaterials, visited,
                          [&isCoronaMultiMap](const host::Anim& anim) {
                            if (anim.SuperClassID() != host::super_class::kTexmap) {
                              return WalkStep::kDescend;
                            }
                            const Text className = anim.GetClassName();
                            if (className == u"MultiTexture") return WalkStep::kStop;
                            if (className != u"CoronaMultiMap") return WalkStep::kDescend;
                            isCoronaMultiMap = true;
                            return WalkStep::kStop;
                          });
}

bool BakeNodeElementColors(const host::Interface& ip, host::Node& node, const host::Anim& map,
                           int32_t activeCount, host::TimeValue t) {
  host::Anim* evaluated = node.EvalWorldState(t);
  if (!evaluated || !evaluated->CanConvertToType(host::kTriObjectClassId)) return false;
  const int32_t seed = ReadSeed(ip, map);
  host::Anim* triObject = evaluated->ConvertToType(t, host::kTriObjectClassId);
  if (!triObject) return false;
  TemporaryObject temporary(triObject != evaluated ? triObject : nullptr);
  host::Mesh* mesh = triObject->GetMesh();
  if (!mesh) return false;
  ColorByElement(*mesh, seed, activeCount);
  mesh->InvalidateGeomCache();
  if (temporary) node.SetObjectRef(temporary.release());
  return true;
}

int32_t BakeMultiTextureVC(host::Interface& ip) {
  const host::TimeValue t = ip.GetTime();
  int32_t baked = 0;
  for (host::Node* node : CollectSceneNodes(ip)) {
    if (!EvaluatedGeometry(*node, t)) continue;
    host::Anim* material = node->GetMtl();
    if (!material) continue;
    std::unordered_set<const host::Anim*> visited;
    bool isCoronaMultiMap = false;
    const host::Anim* map = FindRandomMultiMap(material, visited, isCoronaMultiMap);
    if (!map) continue;

    const Text logHead = u"[Larkspur VC] " + node->GetName() + u" (" +
                         (isCoronaMultiMap ? u"CoronaMultiMap" : u"MultiTexture") + u"): ";
    const MapChoice choice =
        isCoronaMultiMap ? ReadCoronaMultiMap(ip, *map, logHead) : ReadMultiTexture(ip, *map);
    if (choice.activeCount == 0) {
      ip.Log(host::LogType::kWarn, Text(kLogTitle), logHead + u"SKIPPED \u2014 activeCount is 0");
      continue;
    }
    if (!choice.randomize) {
      ip.Log(host::LogType::kInfo, Text(kLogTitle),
             logHead +
                 u"SKIPPED baking \u2014 Mesh Element not requested (Instance-only, "
                 u"driven in Blender)");
      continue;
    }
    const bool ok = BakeNodeSafely(ip, *node, *map, choice.activeCount, t);
    ip.Log(ok ? host::LogType::kInfo : host::LogType::kWarn, Text(kLogTitle),
           logHead + u"bake " + (ok ? u"OK" : u"FAILED") + u" (activeCount=" +
               FormatInt(choice.activeCount) + u")");
    if (ok) ++baked;
  }
  return baked;
}

}  // namespace larkspur
