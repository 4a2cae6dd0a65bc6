#include <algorithm>
#include <fstream>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "host/sim/scene_file.h"
#include "host/sim/scene_layout.h"
#include "host/sim/scene_names.h"
#include "host/sim/scene_text.h"
#include "host/text.h"

namespace larkspur::sim::scene_file {
namespace {

Out PointOut(const Point3& p) {
  return Floats({p.x, p.y, p.z});
}

Out FaceOut(const std::array<uint32_t, 3>& face) {
  return Out::List().Push(Int(face[0])).Push(Int(face[1])).Push(Int(face[2]));
}

bool IsIdentity(const Matrix3& m) {
  const Matrix3 identity;
  for (size_t row = 0; row < 4; ++row) {
    const Point3& a = m.rows[row];
    const Point3& b = identity.rows[row];
    if (a.x != b.x || a.y != b.y || a.z != b.z) return false;
  }
  return true;
}

class SceneWriter {
 public:
  explicit SceneWriter(const SimHost& host) : host_(host) {}

  // The document, or nullopt with Error() set when the scene holds what no file can say.
  std::optional<std::string> Write() {
    AssignNodeIds();
    Out document = Out::Object();
    document.Add("format", String("larkspur-scene")).Add("version", Int(1));
    Out settings = Settings();
    if (!settings.Empty()) document.Add("scene", std::move(settings));
    Out nodes = Out::List();
    for (const auto& child : host_.Root().children) nodes.Push(NodeOut(*child));
    document.Add("nodes", std::move(nodes));
    Out anims = Out::Object();
    for (const SimAnim* anim : host_.Anims()) anims.Add(anim->id, AnimOut(*anim));
    document.Add("anims", std::move(anims));
    if (error_) return std::nullopt;
    return Render(document);
  }

  const std::string& Error() const { return *error_; }

 private:
  void SetError(std::string message) {
    if (!error_) error_ = std::move(message);
  }

  Out Ref(const Anim* anim, std::string_view where) {
    if (!anim) return Null();
    const SimAnim* owned = host_.Owned(anim);
    if (!owned) {
      SetError(std::string(where) + " refers to an anim that is not part of the scene");
      return Null();
    }
    return String(owned->id);
  }

  // Node ids: a node's own, and fresh ones for targets that have none.
  void AssignNodeIds() {
    const std::vector<const SimNode*> nodes = PreOrderNodes(host_.Root());
    std::unordered_set<std::string> used;
    for (const SimNode* node : nodes) {
      inScene_.insert(node);
      if (!node->id.empty()) {
        used.insert(node->id);
        nodeIds_[node] = node->id;
      }
    }
    int next = 1;
    for (const SimNode* node : nodes) {
      const SimNode* target = node->target;
      if (!target || nodeIds_.count(target)) continue;
      std::string id;
      do {
        id = "node_" + std::to_string(next++);
      } while (used.count(id));
      used.insert(id);
      nodeIds_[target] = id;
    }
  }

  Out Settings() {
    Out s = Out::Object();
    if (!host_.fileName.empty()) s.Add("file_name", String(host_.fileName));
    if (!host_.filePath.empty()) s.Add("file_path", String(host_.filePath));
    if (host_.time != 0) s.Add("time", Int(host_.time));
    if (host_.metersPerUnit != 0.0254) s.Add("meters_per_unit", Number(host_.metersPerUnit));
    if (host_.userScriptsDir != DefaultUserScriptsDir()) {
      s.Add("user_scripts_dir", String(host_.userScriptsDir));
    }
    if (host_.fbxExport == FbxExportMode::kFails) s.Add("fbx_export", String("fails"));
    if (host_.fbxExport == FbxExportMode::kNoFile) s.Add("fbx_export", String("no_file"));
    if (!host_.resolve.empty()) {
      // In the order of the UTF-8 text, then of the UTF-16 text (lone surrogates alike in UTF-8).
      std::vector<std::tuple<std::string, Text, Text>> sorted;
      for (const auto& [from, to] : host_.resolve) sorted.emplace_back(ToUtf8(from), from, to);
      std::sort(sorted.begin(), sorted.end());
      Out resolve = Out::Object();
      for (const auto& [utf8, from, to] : sorted) resolve.Add(from, String(to));
      s.Add("resolve", std::move(resolve));
    }
    if (host_.sceneMaterials) {
      Out list = Out::List();
      for (const Anim* material : *host_.sceneMaterials)
        list.Push(Ref(material, "scene_materials"));
      s.Add("scene_materials", std::move(list));
    }
    return s;
  }

  // A matrix that only moves is written as its position, any other as the matrix itself.
  Out TransformOut(const Matrix3& m) {
    Matrix3 axes = m;
    axes.rows[3] = Point3{};
    if (IsIdentity(axes)) return Out::Object().Add("position", PointOut(m.rows[3]));
    Out matrix = Out::List();
    for (const Point3& row : m.rows) matrix.Push(PointOut(row));
    return Out::Object().Add("matrix", std::move(matrix));
  }

  Out NodeOut(const SimNode& node) {
    Out out = Out::Object();
    out.Add("name", String(node.name));
    if (auto id = nodeIds_.find(&node); id != nodeIds_.end()) out.Add("id", String(id->second));
    const std::string where = "the node " + QuoteJson(ToUtf8(node.name));
    if (node.object) out.Add("object", Ref(node.object, where));
    if (node.material) out.Add("material", Ref(node.material, where));
    if (!IsIdentity(node.transform)) out.Add("transform", TransformOut(node.transform));
    if (node.target) {
      if (!inScene_.count(node.target))
        SetError(where + " targets a node that is not in the scene");
      out.Add("target", String(nodeIds_[node.target]));
    }
    if (node.groupHead) out.Add("group_head", Bool(true));
    if (!node.children.empty()) {
      Out children = Out::List();
      for (const auto& child : node.children) children.Push(NodeOut(*child));
      out.Add("children", std::move(children));
    }
    return out;
  }

  Out ValueOut(const SimValue& value, ParamType type, const std::string& where) {
    switch (ValueKindOf(type)) {
      case SimValueKind::kFloat:
        return Number(static_cast<float>(value.Number()));
      case SimValueKind::kInt:
        return Int(static_cast<long long>(value.Number()));
      case SimValueKind::kBool:
        if (value.Number() == 0 || value.Number() == 1) return Bool(value.Number() == 1);
        return Int(static_cast<long long>(value.Number()));
      case SimValueKind::kColor: {
        const Color color = value.GetColor();
        if (value.HasAlpha()) return Floats({color.r, color.g, color.b, value.Alpha()});
        return Floats({color.r, color.g, color.b});
      }
      case SimValueKind::kPoint:
        return PointOut(value.GetPoint());
      case SimValueKind::kText: {
        const std::optional<Text> text = value.GetText();
        return text ? String(*text) : Null();
      }
      case SimValueKind::kRef:
        return Ref(value.Ref(), where);
      case SimValueKind::kNone:
        break;
    }
    return Null();
  }

  Out ParamsOut(const SimAnim& anim) {
    Out blocks = Out::List();
    for (const auto& block : anim.blocks) {
      if (!block || !block->desc) {
        blocks.Push(Null());
        continue;
      }
      Out defs = Out::List();
      const std::vector<host::ParamDef>& descDefs = block->desc->Defs();
      for (size_t i = 0; i < descDefs.size(); ++i) {
        const host::ParamDef& def = descDefs[i];
        Out out = Out::Object();
        out.Add("name", def.internalName ? String(*def.internalName) : Null());
        const std::string typeName = ParamTypeName(def.type);
        out.Add("type", typeName.empty() ? Int(def.type) : String(typeName));
        if (def.id != static_cast<ParamId>(i) || i > 32767) out.Add("id", Int(def.id));
        if (i < block->values.size() && ValueKindOf(def.type) != SimValueKind::kNone) {
          const SimValues& values = block->values[i];
          const std::string where = "a parameter of anim " + QuoteJson(anim.id);
          if (IsTableType(def.type)) {
            Out table = Out::List();
            for (const SimValue& v : values) table.Push(ValueOut(v, def.type, where));
            out.Add("value", std::move(table));
          } else if (!values.empty()) {
            out.Add("value", ValueOut(values.front(), def.type, where));
          }
        }
        defs.Push(std::move(out));
      }
      blocks.Push(std::move(defs));
    }
    return blocks;
  }

  Out MeshOut(const SimMesh& mesh) {
    Out out = Out::Object();
    Out vertices = Out::List();
    for (const Point3& v : mesh.vertices) vertices.Push(PointOut(v));
    out.Add("vertices", std::move(vertices));
    Out faces = Out::List();
    bool anyMatId = false;
    bool colorFacesAreFaces = mesh.colorFaces.size() == mesh.faces.size();
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
      faces.Push(FaceOut(mesh.faces[i].verts));
      anyMatId = anyMatId || mesh.faces[i].matId != 0;
      colorFacesAreFaces = colorFacesAreFaces && mesh.colorFaces[i] == mesh.faces[i].verts;
    }
    out.Add("faces", std::move(faces));
    if (anyMatId) {
      Out ids = Out::List();
      for (const SimFace& face : mesh.faces) ids.Push(Int(face.matId));
      out.Add("mat_ids", std::move(ids));
    }
    if (mesh.hasVertexColors) {
      Out colors = Out::List();
      for (const auto& color : mesh.vertexColors) colors.Push(color ? PointOut(*color) : Null());
      out.Add("vertex_colors", std::move(colors));
      if (!colorFacesAreFaces || mesh.vertexColors.size() != mesh.vertices.size()) {
        Out colorFaces = Out::List();
        for (const auto& face : mesh.colorFaces) colorFaces.Push(FaceOut(face));
        out.Add("vertex_color_faces", std::move(colorFaces));
      }
    }
    return out;
  }

  Out AnimOut(const SimAnim& anim) {
    const std::string where = "the anim " + QuoteJson(anim.id);
    Out out = Out::Object();
    const std::string_view super = SuperClassName(anim.superClass);
    out.Add("super", super.empty() ? Int(anim.superClass) : String(super));
    out.Add("class", String(anim.className));
    if (anim.classId != ClassId{}) {
      out.Add("class_id", Out::List().Push(Int(anim.classId.a)).Push(Int(anim.classId.b)));
    }
    out.Add("handle", Int(anim.handle));
    if (!anim.name.empty()) out.Add("name", String(anim.name));
    if (!anim.blocks.empty()) out.Add("params", ParamsOut(anim));
    if (anim.mesh) out.Add("mesh", MeshOut(*anim.mesh));
    if (!anim.modifiers.empty()) {
      Out modifiers = Out::List();
      for (const Anim* modifier : anim.modifiers) modifiers.Push(Ref(modifier, where));
      out.Add("modifiers", std::move(modifiers));
    }
    if (anim.objRef) out.Add("object", Ref(anim.objRef, where));
    if (anim.evaluatesTo) out.Add("evaluates_to", Ref(anim.evaluatesTo, where));
    if (!anim.subTexmaps.empty()) {
      Out slots = Out::List();
      for (const SimSubTexmap& slot : anim.subTexmaps) {
        slots.Push(
            Out::Object().Add("slot", String(slot.slotName)).Add("map", Ref(slot.map, where)));
      }
      out.Add("sub_texmaps", std::move(slots));
    }
    if (!anim.subMtls.empty()) {
      Out mtls = Out::List();
      for (const Anim* mtl : anim.subMtls) mtls.Push(Ref(mtl, where));
      out.Add("sub_materials", std::move(mtls));
    }
    if (anim.mapName) out.Add("map_name", String(*anim.mapName));
    if (anim.uvGen) {
      const SimUvGen& uv = *anim.uvGen;
      out.Add("uvgen", Out::Object()
                           .Add("u_scale", Number(uv.uScale))
                           .Add("v_scale", Number(uv.vScale))
                           .Add("tiling", Int(uv.tiling))
                           .Add("offset", Floats({uv.offsetU, uv.offsetV}))
                           .Add("channel", Int(uv.channel))
                           .Add("w_angle", Number(uv.wAngle)));
    }
    if (!anim.gradientStops.empty()) {
      Out stops = Out::List();
      for (const SimGradientStop& stop : anim.gradientStops) {
        stops.Push(Out::Object()
                       .Add("position", stop.position ? Number(*stop.position) : Null())
                       .Add("color", Floats({stop.color.r, stop.color.g, stop.color.b})));
      }
      out.Add("gradient_flags", std::move(stops));
    }
    return out;
  }

  const SimHost& host_;
  std::unordered_map<const SimNode*, std::string> nodeIds_;
  std::unordered_set<const SimNode*> inScene_;
  std::optional<std::string> error_;
};

}  // namespace
}  // namespace larkspur::sim::scene_file

namespace larkspur::sim {

SceneWriteResult WriteSceneText(const SimHost& host) {
  SceneWriteResult result;
  try {
    scene_file::SceneWriter writer(host);
    if (std::optional<std::string> text = writer.Write()) {
      result.ok = true;
      result.text = std::move(*text);
    } else {
      result.message = "the scene cannot be written: " + writer.Error();
    }
  } catch (const std::exception& error) {
    result.message = std::string("the scene cannot be written: ") + error.what();
  }
  return result;
}

SceneWriteResult WriteSceneFile(const SimHost& host, const std::filesystem::path& file) {
  SceneWriteResult result = WriteSceneText(host);
  if (!result.ok) return result;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << result.text;
  out.close();
  if (out.fail()) {
    result.ok = false;
    result.message = file.u8string() + ": cannot write the file";
  }
  return result;
}

}  // namespace larkspur::sim
