#include "host/sim/scene_read_geometry.h"

#include <cmath>

#include "host/sim/scene_values.h"

namespace larkspur::sim::scene_file {
namespace {

// The colour channel: one colour or null per vertex, with the geometry's faces; or colours of any
// number with faces of their own.
void ReadVertexColors(SimMesh& mesh, const JsonValue* colors, const JsonValue* colorFaces,
                      const KeyPath& path) {
  if (colorFaces && !colors) Fail(Key(path, "vertex_color_faces"), "needs \"vertex_colors\"");
  if (!colors) return;
  const KeyPath colorsPath = Key(path, "vertex_colors");
  ExpectList(*colors, colorsPath, "the vertex colours");
  if (!colorFaces && colors->Size() != mesh.vertices.size()) {
    Expected(*colors, colorsPath,
             "one colour or null per vertex (" + std::to_string(mesh.vertices.size()) + ")");
  }
  mesh.hasVertexColors = true;
  for (const JsonValue& color : *colors) {
    if (color.IsNull()) {
      mesh.vertexColors.emplace_back();
    } else {
      mesh.vertexColors.emplace_back(
          ReadPoint3(color, Index(colorsPath, mesh.vertexColors.size())));
    }
  }
  if (!colorFaces) {
    for (const SimFace& face : mesh.faces) mesh.colorFaces.push_back(face.verts);
    return;
  }
  const KeyPath facesPath = Key(path, "vertex_color_faces");
  ExpectList(*colorFaces, facesPath, "the colour faces");
  for (const JsonValue& face : *colorFaces) {
    mesh.colorFaces.push_back(ReadFace(face, Index(facesPath, mesh.colorFaces.size()),
                                       mesh.vertexColors.size(), "vertex colours"));
  }
}

}  // namespace

SimMesh ReadMesh(const JsonValue& j, const KeyPath& path) {
  ExpectObject(j, path, "a mesh");
  const auto [vertices, faces, matIds, colors, colorFaces] = CheckKeys(
      j, path, "a mesh", {"vertices", "faces", "mat_ids", "vertex_colors", "vertex_color_faces"});
  SimMesh mesh;
  const KeyPath verticesPath = Key(path, "vertices");
  const JsonValue& vertexList = Required(vertices, path, "vertices");
  ExpectList(vertexList, verticesPath, "the vertices");
  mesh.vertices.reserve(vertexList.Size());
  for (const JsonValue& vertex : vertexList) {
    mesh.vertices.push_back(ReadPoint3(vertex, Index(verticesPath, mesh.vertices.size())));
  }
  const KeyPath facesPath = Key(path, "faces");
  const JsonValue& faceList = Required(faces, path, "faces");
  ExpectList(faceList, facesPath, "the faces");
  mesh.faces.reserve(faceList.Size());
  for (const JsonValue& face : faceList) {
    SimFace read;
    read.verts =
        ReadFace(face, Index(facesPath, mesh.faces.size()), mesh.vertices.size(), "vertices");
    mesh.faces.push_back(read);
  }
  if (matIds) {
    const KeyPath idsPath = Key(path, "mat_ids");
    if (!matIds->IsList() || matIds->Size() != mesh.faces.size()) {
      Expected(*matIds, idsPath,
               "a list of one material id per face (" + std::to_string(mesh.faces.size()) + ")");
    }
    size_t i = 0;
    for (const JsonValue& id : *matIds) {
      mesh.faces[i].matId = static_cast<uint16_t>(ReadInteger(id, Index(idsPath, i), 0, 65535));
      ++i;
    }
  }
  ReadVertexColors(mesh, colors, colorFaces, path);
  return mesh;
}

Matrix3 ReadTransform(const JsonValue& j, const KeyPath& path) {
  ExpectObject(j, path, "a transform");
  if (const JsonValue* matrix = j.Member("matrix")) {
    CheckKeys(j, path, "a transform given as a matrix", {"matrix"});
    const KeyPath matrixPath = Key(path, "matrix");
    if (!matrix->IsList() || matrix->Size() != 4) {
      Expected(*matrix, matrixPath,
               "four rows [[r00, r01, r02], [r10, r11, r12], [r20, r21, r22], [tx, ty, tz]]");
    }
    Matrix3 m;
    size_t row = 0;
    for (const JsonValue& values : *matrix) {
      m.rows[row] = ReadPoint3(values, Index(matrixPath, row));
      ++row;
    }
    return m;
  }
  CheckKeys(j, path, "a transform", {"position", "rotation", "scale", "matrix"});
  Point3 position;
  Quat rotation;
  Point3 scale{1, 1, 1};
  if (const JsonValue* p = j.Member("position")) position = ReadPoint3(*p, Key(path, "position"));
  if (const JsonValue* r = j.Member("rotation")) {
    const FloatList q = ReadFloatList(*r, Key(path, "rotation"), 4, 4, "[x, y, z, w]");
    const double length = std::sqrt(double(q[0]) * q[0] + double(q[1]) * q[1] +
                                    double(q[2]) * q[2] + double(q[3]) * q[3]);
    if (length == 0) Fail(Key(path, "rotation"), "a rotation must not be the zero quaternion");
    rotation = Quat{float(q[0] / length), float(q[1] / length), float(q[2] / length),
                    float(q[3] / length)};
  }
  if (const JsonValue* s = j.Member("scale")) scale = ReadPoint3(*s, Key(path, "scale"));
  return ComposeMatrix(position, rotation, scale);
}

SimUvGen ReadUvGen(const JsonValue& j, const KeyPath& path) {
  ExpectObject(j, path, "a UV generator");
  CheckKeys(j, path, "a UV generator",
            {"u_scale", "v_scale", "tiling", "offset", "channel", "w_angle"});
  SimUvGen uv;
  if (const JsonValue* v = j.Member("u_scale")) uv.uScale = ReadFloat(*v, Key(path, "u_scale"));
  if (const JsonValue* v = j.Member("v_scale")) uv.vScale = ReadFloat(*v, Key(path, "v_scale"));
  if (const JsonValue* v = j.Member("tiling")) uv.tiling = ReadInt32(*v, Key(path, "tiling"));
  if (const JsonValue* v = j.Member("offset")) {
    const FloatList offset = ReadFloatList(*v, Key(path, "offset"), 2, 2, "[u, v]");
    uv.offsetU = offset[0];
    uv.offsetV = offset[1];
  }
  if (const JsonValue* v = j.Member("channel")) uv.channel = ReadInt32(*v, Key(path, "channel"));
  if (const JsonValue* v = j.Member("w_angle")) uv.wAngle = ReadFloat(*v, Key(path, "w_angle"));
  return uv;
}

std::vector<SimGradientStop> ReadGradientStops(const JsonValue& j, const KeyPath& path) {
  ExpectList(j, path, "the gradient's colour stops");
  std::vector<SimGradientStop> stops;
  for (const JsonValue& item : j) {
    const KeyPath stopPath = Index(path, stops.size());
    ExpectObject(item, stopPath, "a colour stop");
    CheckKeys(item, stopPath, "a colour stop", {"position", "color"});
    SimGradientStop stop;
    const JsonValue& position = Required(item, stopPath, "position");
    if (!position.IsNull())
      stop.position = ReadFloatIn(position, Key(stopPath, "position"), 0, 100);
    const KeyPath colorPath = Key(stopPath, "color");
    const JsonValue& color = Required(item, stopPath, "color");
    if (!color.IsList() || color.Size() != 3) Expected(color, colorPath, "[r, g, b]");
    stop.color = Color{ReadFloatIn(color.Item(0), Index(colorPath, 0), 0, 255),
                       ReadFloatIn(color.Item(1), Index(colorPath, 1), 0, 255),
                       ReadFloatIn(color.Item(2), Index(colorPath, 2), 0, 255)};
    stops.push_back(stop);
  }
  return stops;
}

}  // namespace larkspur::sim::scene_file
