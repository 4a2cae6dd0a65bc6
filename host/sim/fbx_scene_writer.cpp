#include "host/sim/fbx_scene_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "host/sim/fbx_transform.h"
#include "host/text.h"

namespace larkspur::sim {
namespace {

constexpr char kCreator[] = "Larkspur simulated host";
// Fixed stand-ins for the values a real exporter takes from the clock, so that one scene always
// gives the same bytes.
constexpr char kFileId[] = "larkspur-sim-fbx";  // 16 bytes
constexpr char kCreationTime[] = "1970-01-01 00:00:00:000";
constexpr char kColorLayerName[] = "VertexColors";
constexpr int64_t kMaxArrayLength = std::numeric_limits<int32_t>::max();

// An object's name as FBX stores it: the name, a NUL and 0x01, and its class. The host's names
// are C strings and never hold a NUL; the simulated host's could, and a NUL would end the name
// early, so it becomes U+FFFD.
std::string ObjectName(const Text& name, const char* objectClass) {
  Text cleaned = name;
  std::replace(cleaned.begin(), cleaned.end(), u'\0', u'\uFFFD');
  std::string out = ToUtf8(cleaned);
  out += '\0';
  out += '\x01';
  out += objectClass;
  return out;
}

FbxRecord Property(const std::string& name, const std::string& type, const std::string& label,
                   const std::string& flags, std::vector<FbxProperty> values) {
  FbxRecord p{"P", {FbxString(name), FbxString(type), FbxString(label), FbxString(flags)}, {}};
  for (FbxProperty& value : values) p.properties.push_back(std::move(value));
  return p;
}

FbxRecord IntProperty(const std::string& name, int32_t value) {
  return Property(name, "int", "Integer", "", {FbxInt32(value)});
}

FbxRecord DoubleProperty(const std::string& name, double value) {
  return Property(name, "double", "Number", "", {FbxDouble(value)});
}

FbxRecord VectorProperty(const std::string& name, const std::array<double, 3>& v) {
  return Property(name, name, "", "A", {FbxDouble(v[0]), FbxDouble(v[1]), FbxDouble(v[2])});
}

FbxRecord HeaderExtension() {
  FbxRecord header{"FBXHeaderExtension", {}, {}};
  header.Add("FBXHeaderVersion", {FbxInt32(1003)});
  header.Add("FBXVersion", {FbxInt32(static_cast<int32_t>(kFbxVersion))});
  header.Add("EncryptionType", {FbxInt32(0)});
  FbxRecord& stamp = header.Add("CreationTimeStamp");
  const std::pair<const char*, int32_t> fields[] = {
      {"Version", 1000}, {"Year", 1970}, {"Month", 1},  {"Day", 1},
      {"Hour", 0},       {"Minute", 0},  {"Second", 0}, {"Millisecond", 0},
  };
  for (const auto& [name, value] : fields) stamp.Add(name, {FbxInt32(value)});
  header.Add("Creator", {FbxString(kCreator)});
  return header;
}

// The host's axes (right-handed, Z up, front view looking along +Y) and its system unit in
// centimetres. A unit that is not a positive length has no scale to give: one centimetre stands
// in, the format's default.
FbxRecord GlobalSettings(double metersPerUnit) {
  const double centimetres =
      std::isfinite(metersPerUnit * 100.0) && metersPerUnit > 0 ? metersPerUnit * 100.0 : 1.0;
  FbxRecord settings{"GlobalSettings", {}, {}};
  settings.Add("Version", {FbxInt32(1000)});
  FbxRecord& props = settings.Add("Properties70");
  props.children = {
      IntProperty("UpAxis", 2),
      IntProperty("UpAxisSign", 1),
      IntProperty("FrontAxis", 1),
      IntProperty("FrontAxisSign", -1),
      IntProperty("CoordAxis", 0),
      IntProperty("CoordAxisSign", 1),
      IntProperty("OriginalUpAxis", 2),
      IntProperty("OriginalUpAxisSign", 1),
      DoubleProperty("UnitScaleFactor", centimetres),
      DoubleProperty("OriginalUnitScaleFactor", centimetres),
  };
  return settings;
}

// A node the file holds, in scene order.
struct ModelEntry {
  const SimNode* node = nullptr;
  int parent = -1;                // index of the parent's entry; -1 under the scene's root
  const SimMesh* mesh = nullptr;  // null: written as a Null model without geometry
};

bool IsGeometry(const Anim* object) {
  return object && object->SuperClassID() == host::super_class::kGeomObject;
}

// Every geometry node, and every node above one so that the hierarchy holds; nodes with nothing
// below them but lights, cameras, shapes or helpers are left out.
std::vector<ModelEntry> CollectModels(const SimHost& host) {
  struct Visit {
    const SimNode* node;
    int parent;  // index in visits; -1 under the scene's root
  };
  std::vector<Visit> visits;
  std::vector<Visit> pending;
  for (auto it = host.Root().children.rbegin(); it != host.Root().children.rend(); ++it) {
    pending.push_back(Visit{it->get(), -1});
  }
  while (!pending.empty()) {
    const Visit visit = pending.back();
    pending.pop_back();
    const int index = static_cast<int>(visits.size());
    visits.push_back(visit);
    for (auto it = visit.node->children.rbegin(); it != visit.node->children.rend(); ++it) {
      pending.push_back(Visit{it->get(), index});
    }
  }
  std::vector<bool> kept(visits.size(), false);
  for (size_t i = 0; i < visits.size(); ++i) {
    if (!IsGeometry(visits[i].node->EvalWorldState(host.time))) continue;
    for (int at = static_cast<int>(i); at >= 0 && !kept[at]; at = visits[at].parent) {
      kept[at] = true;
    }
  }
  std::vector<ModelEntry> entries;
  std::vector<int> entryOf(visits.size(), -1);
  for (size_t i = 0; i < visits.size(); ++i) {
    if (!kept[i]) continue;
    const SimNode* node = visits[i].node;
    ModelEntry entry{node, visits[i].parent < 0 ? -1 : entryOf[visits[i].parent], nullptr};
    const Anim* object = node->EvalWorldState(host.time);
    const SimAnim* owned = IsGeometry(object) ? host.Owned(object) : nullptr;
    if (owned && owned->mesh) entry.mesh = &*owned->mesh;
    entryOf[i] = static_cast<int>(entries.size());
    entries.push_back(entry);
  }
  return entries;
}

// The material a face's id gives: a Multi/Sub-Object material hands it to the sub-material in the
// slot of that id, the ids wrapping around the slot count as the host's do. An empty slot, or a
// multi-material without slots, leaves the face on the multi-material itself. A sub-material
// that is itself a multi-material is one material here.
const Anim* MaterialForId(const Anim& material, uint16_t id) {
  const int slots = material.NumSubMtls();
  if (material.ClassID() != host::kMultiMaterialClassId || slots <= 0) return &material;
  const Anim* sub = material.GetSubMtl(id % slots);
  return sub ? sub : &material;
}

// The model's material slots: one per material that the face ids in use select, in the order of
// the smallest id selecting each (readers merge a material connected twice to one model, so a
// material never takes two slots), and the slot of every face.
struct MaterialSlots {
  std::vector<const Anim*> materials;
  std::vector<int32_t> faceSlots;
};

MaterialSlots SlotsOf(const SimMesh& mesh, const Anim& material) {
  std::unordered_set<uint16_t> used;
  for (const SimFace& face : mesh.faces) used.insert(face.matId);
  std::vector<uint16_t> ids(used.begin(), used.end());
  std::sort(ids.begin(), ids.end());
  MaterialSlots slots;
  std::unordered_map<const Anim*, int32_t> slotOfMaterial;
  std::unordered_map<uint16_t, int32_t> slotOfId;
  for (uint16_t id : ids) {
    const Anim* selected = MaterialForId(material, id);
    const auto [it, added] =
        slotOfMaterial.emplace(selected, static_cast<int32_t>(slots.materials.size()));
    if (added) slots.materials.push_back(selected);
    slotOfId[id] = it->second;
  }
  slots.faceSlots.reserve(mesh.faces.size());
  for (const SimFace& face : mesh.faces) slots.faceSlots.push_back(slotOfId[face.matId]);
  return slots;
}

FbxRecord LayerElement(const char* type, const char* name, const char* mapping) {
  FbxRecord layer{type, {FbxInt32(0)}, {}};
  layer.Add("Version", {FbxInt32(101)});
  layer.Add("Name", {FbxString(name)});
  layer.Add("MappingInformationType", {FbxString(mapping)});
  layer.Add("ReferenceInformationType", {FbxString("IndexToDirect")});
  return layer;
}

// Builds the records of one scene; the first fault found stops it with a message.
class SceneBuilder {
 public:
  explicit SceneBuilder(const SimHost& host) : host_(host) {}

  FbxSceneResult Build() {
    const std::vector<ModelEntry> entries = CollectModels(host_);
    std::vector<int64_t> modelIds;
    modelIds.reserve(entries.size());
    for (const ModelEntry& entry : entries) {
      const int64_t parentId = entry.parent < 0 ? 0 : modelIds[entry.parent];
      const host::Matrix3 parentWorld =
          entry.parent < 0 ? host::Matrix3() : entries[entry.parent].node->transform;
      modelIds.push_back(AddModel(entry, parentId, parentWorld));
      if (!error_.empty()) return FbxSceneResult{false, error_, {}};
    }
    for (FbxRecord& material : materials_) objects_.children.push_back(std::move(material));
    FbxSceneResult result{true, {}, {}};
    result.records.push_back(HeaderExtension());
    result.records.push_back(FbxRecord{"FileId", {FbxRaw(std::string(kFileId, 16))}, {}});
    result.records.push_back(FbxRecord{"CreationTime", {FbxString(kCreationTime)}, {}});
    result.records.push_back(FbxRecord{"Creator", {FbxString(kCreator)}, {}});
    result.records.push_back(GlobalSettings(host_.metersPerUnit));
    result.records.push_back(Definitions(entries.size()));
    result.records.push_back(std::move(objects_));
    result.records.push_back(std::move(connections_));
    return result;
  }

 private:
  void Connect(int64_t child, int64_t parent) {
    connections_.Add("C", {FbxString("OO"), FbxInt64(child), FbxInt64(parent)});
  }

  void Fail(const SimNode& node, const std::string& what) {
    error_ = "node \"" + ToUtf8(node.name) + "\": " + what;
  }

  int64_t AddModel(const ModelEntry& entry, int64_t parentId, const host::Matrix3& parentWorld) {
    const int64_t id = nextId_++;
    FbxRecord& model =
        objects_.Add("Model", {FbxInt64(id), FbxString(ObjectName(entry.node->name, "Model")),
                               FbxString(entry.mesh ? "Mesh" : "Null")});
    model.Add("Version", {FbxInt32(232)});
    const FbxLocalTransform local = LocalTransform(entry.node->transform, parentWorld);
    model.Add("Properties70").children = {
        VectorProperty("Lcl Translation", local.translation),
        VectorProperty("Lcl Rotation", local.rotationDegrees),
        VectorProperty("Lcl Scaling", local.scaling),
    };
    Connect(id, parentId);
    if (entry.mesh) AddGeometry(*entry.node, *entry.mesh, id);
    return id;
  }

  void AddGeometry(const SimNode& node, const SimMesh& mesh, int64_t modelId) {
    if (static_cast<int64_t>(mesh.faces.size()) * 3 > kMaxArrayLength ||
        static_cast<int64_t>(mesh.vertexColors.size()) * 4 > kMaxArrayLength) {
      return Fail(node, "the mesh is too large for the file's arrays");
    }
    std::vector<double> vertices;
    vertices.reserve(mesh.vertices.size() * 3);
    for (const Point3& v : mesh.vertices) vertices.insert(vertices.end(), {v.x, v.y, v.z});
    std::vector<int32_t> polygons;
    polygons.reserve(mesh.faces.size() * 3);
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
      const auto& verts = mesh.faces[f].verts;
      for (int k = 0; k < 3; ++k) {
        if (verts[k] >= mesh.vertices.size()) {
          return Fail(node, "face " + std::to_string(f) + " names vertex " +
                                std::to_string(verts[k]) + " of " +
                                std::to_string(mesh.vertices.size()));
        }
        // The last corner of a polygon is written as its bitwise complement.
        const auto index = static_cast<int32_t>(verts[k]);
        polygons.push_back(k < 2 ? index : ~index);
      }
    }
    const int64_t id = nextId_++;
    FbxRecord& geometry = objects_.Add(
        "Geometry",
        {FbxInt64(id), FbxString(ObjectName(node.name, "Geometry")), FbxString("Mesh")});
    geometry.Add("Vertices", {FbxDoubleArray(vertices)});
    geometry.Add("PolygonVertexIndex", {FbxInt32Array(polygons)});
    geometry.Add("GeometryVersion", {FbxInt32(124)});
    std::vector<const char*> layers;
    if (node.material) {
      MaterialSlots slots = SlotsOf(mesh, *node.material);
      if (!slots.materials.empty()) {
        geometry.children.push_back(LayerElement("LayerElementMaterial", "", "ByPolygon"));
        geometry.children.back().Add("Materials", {FbxInt32Array(slots.faceSlots)});
        layers.push_back("LayerElementMaterial");
        for (const Anim* material : slots.materials) Connect(MaterialId(*material), modelId);
      }
    }
    if (HasColorLayer(mesh)) {
      FbxRecord colors = ColorLayer(node, mesh);
      if (!error_.empty()) return;
      geometry.children.push_back(std::move(colors));
      layers.push_back("LayerElementColor");
    }
    if (!layers.empty()) {
      FbxRecord& layer = geometry.Add("Layer", {FbxInt32(0)});
      layer.Add("Version", {FbxInt32(100)});
      for (const char* type : layers) {
        FbxRecord& element = layer.Add("LayerElement");
        element.Add("Type", {FbxString(type)});
        element.Add("TypedIndex", {FbxInt32(0)});
      }
    }
    Connect(id, modelId);
    ++geometryCount_;
  }

  // The host shows a colour channel only when it has one colour face per face.
  static bool HasColorLayer(const SimMesh& mesh) {
    return mesh.hasVertexColors && mesh.colorFaces.size() == mesh.faces.size();
  }

  // The colours by polygon corner: every colour once, and per corner the index of its colour. A
  // colour vertex without a colour is white, as a new colour channel is in the host.
  FbxRecord ColorLayer(const SimNode& node, const SimMesh& mesh) {
    FbxRecord layer = LayerElement("LayerElementColor", kColorLayerName, "ByPolygonVertex");
    std::vector<double> colors;
    colors.reserve(mesh.vertexColors.size() * 4);
    for (const auto& color : mesh.vertexColors) {
      const Point3 c = color.value_or(Point3{1, 1, 1});
      colors.insert(colors.end(), {c.x, c.y, c.z, 1.0});
    }
    std::vector<int32_t> corners;
    corners.reserve(mesh.colorFaces.size() * 3);
    for (size_t f = 0; f < mesh.colorFaces.size(); ++f) {
      for (uint32_t index : mesh.colorFaces[f]) {
        if (index >= mesh.vertexColors.size()) {
          Fail(node, "colour face " + std::to_string(f) + " names colour " + std::to_string(index) +
                         " of " + std::to_string(mesh.vertexColors.size()));
          return layer;
        }
        corners.push_back(static_cast<int32_t>(index));
      }
    }
    layer.Add("Colors", {FbxDoubleArray(colors)});
    layer.Add("ColorIndex", {FbxInt32Array(corners)});
    return layer;
  }

  // One Material object per host material, however many models use it; named as it is now.
  int64_t MaterialId(const Anim& material) {
    const auto [it, added] = materialIds_.emplace(&material, 0);
    if (!added) return it->second;
    it->second = nextId_++;
    FbxRecord record{"Material",
                     {FbxInt64(it->second), FbxString(ObjectName(material.GetName(), "Material")),
                      FbxString("")},
                     {}};
    record.Add("Version", {FbxInt32(102)});
    record.Add("ShadingModel", {FbxString("phong")});
    record.Add("MultiLayer", {FbxInt32(0)});
    record.Add("Properties70");
    materials_.push_back(std::move(record));
    return it->second;
  }

  FbxRecord Definitions(size_t modelCount) const {
    const std::pair<const char*, size_t> types[] = {
        {"GlobalSettings", 1},
        {"Model", modelCount},
        {"Geometry", geometryCount_},
        {"Material", materialIds_.size()},
    };
    size_t total = 0;
    for (const auto& type : types) total += type.second;
    FbxRecord definitions{"Definitions", {}, {}};
    definitions.Add("Version", {FbxInt32(100)});
    definitions.Add("Count", {FbxInt32(static_cast<int32_t>(total))});
    for (const auto& [type, n] : types) {
      if (n == 0) continue;
      definitions.Add("ObjectType", {FbxString(type)})
          .Add("Count", {FbxInt32(static_cast<int32_t>(n))});
    }
    return definitions;
  }

  const SimHost& host_;
  int64_t nextId_ = 1;  // 0 is the scene's root in the connections
  FbxRecord objects_{"Objects", {}, {}};
  FbxRecord connections_{"Connections", {}, {}};
  std::vector<FbxRecord> materials_;
  std::unordered_map<const Anim*, int64_t> materialIds_;
  size_t geometryCount_ = 0;
  std::string error_;
};

bool HasFbxExtension(const Text& path) {
  const size_t separator = path.find_last_of(u"\\/");
  const size_t dot = path.rfind(u'.');
  return dot != Text::npos && (separator == Text::npos || dot > separator) &&
         ToLowerAscii(path.substr(dot)) == u".fbx";
}

}  // namespace

FbxSceneResult BuildFbxScene(const SimHost& host) {
  return SceneBuilder(host).Build();
}

FbxWriteResult WriteFbxFile(const SimHost& host, const std::filesystem::path& path) {
  const FbxSceneResult scene = BuildFbxScene(host);
  if (!scene.ok) return FbxWriteResult{false, scene.message};
  const FbxEncodeResult encoded = EncodeFbxFile(scene.records);
  if (!encoded.ok) return FbxWriteResult{false, encoded.message};
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(encoded.bytes.data(), static_cast<std::streamsize>(encoded.bytes.size()));
  file.close();
  if (file.fail()) return FbxWriteResult{false, "cannot write " + ToUtf8(path.u16string())};
  return FbxWriteResult{true, {}};
}

bool RunFbxExporter(const SimHost& host, const Text& path) {
  if (!HasFbxExtension(path)) return false;
  switch (host.fbxExport) {
    case FbxExportMode::kFails:
      return false;
    case FbxExportMode::kNoFile:
      return true;
    case FbxExportMode::kWrites:
      break;
  }
  try {
    return WriteFbxFile(host, std::filesystem::path(path)).ok;
  } catch (const std::exception&) {
    return false;  // a path the file system cannot take, or no memory for the file
  }
}

}  // namespace larkspur::sim
