#include "transfer/mesh_elements.h"

#include <algorithm>
#include <array>

namespace larkspur {
namespace {

constexpr int32_t kUnassigned = -1;

// The faces of every vertex in one flat array: the faces of v are faces[start[v]] up to
// faces[start[v + 1]], in face order, a face once per corner on v.
struct VertexFaceLists {
  std::vector<size_t> start;
  std::vector<int32_t> faces;
};

VertexFaceLists BuildVertexFaceLists(const std::vector<std::array<uint32_t, 3>>& corners,
                                     uint32_t vertexCount) {
  VertexFaceLists lists;
  lists.start.assign(static_cast<size_t>(vertexCount) + 1, 0);
  for (const auto& face : corners) {
    for (const uint32_t v : face) {
      if (v < vertexCount) ++lists.start[v + 1];
    }
  }
  for (size_t v = 0; v < vertexCount; ++v) lists.start[v + 1] += lists.start[v];
  lists.faces.resize(lists.start[vertexCount]);
  std::vector<size_t> next(lists.start.begin(), lists.start.end() - 1);
  for (size_t f = 0; f < corners.size(); ++f) {
    for (const uint32_t v : corners[f]) {
      if (v < vertexCount) lists.faces[next[v]++] = static_cast<int32_t>(f);
    }
  }
  return lists;
}

int SharedCorners(const std::array<uint32_t, 3>& face, const std::array<uint32_t, 3>& of) {
  int shared = 0;
  for (const uint32_t v : face) shared += (v == of[0] || v == of[1] || v == of[2]) ? 1 : 0;
  return shared;
}

}  // namespace

std::vector<int32_t> ComputeMeshElements(const host::Mesh& mesh) {
  const size_t faceCount = static_cast<size_t>(std::max(mesh.GetNumFaces(), 0));
  const uint32_t vertexCount = static_cast<uint32_t>(std::max(mesh.GetNumVerts(), 0));
  std::vector<std::array<uint32_t, 3>> corners(faceCount);
  for (size_t f = 0; f < faceCount; ++f) corners[f] = mesh.GetFaceVerts(static_cast<int>(f));
  const VertexFaceLists lists = BuildVertexFaceLists(corners, vertexCount);

  std::vector<int32_t> elements(faceCount, kUnassigned);
  // Every face enters the queue once over all elements, so one queue serves them all.
  std::vector<int32_t> queue(faceCount);
  size_t head = 0;
  size_t tail = 0;
  int32_t nextElement = 0;
  for (size_t first = 0; first < faceCount; ++first) {
    if (elements[first] != kUnassigned) continue;
    const int32_t element = nextElement++;
    elements[first] = element;
    queue[tail++] = static_cast<int32_t>(first);
    while (head < tail) {
      const std::array<uint32_t, 3>& g = corners[queue[head++]];
      for (int k = 0; k < 3; ++k) {
        const uint32_t v = g[k];
        // A vertex the face repeats has had its list looked at: a second look joins nothing new.
        if (v >= vertexCount || (k > 0 && v == g[0]) || (k == 2 && v == g[1])) continue;
        for (size_t i = lists.start[v]; i < lists.start[v + 1]; ++i) {
          const int32_t h = lists.faces[i];
          if (elements[h] != kUnassigned || SharedCorners(corners[h], g) < 2) continue;
          elements[h] = element;
          queue[tail++] = h;
        }
      }
    }
  }
  return elements;
}

}  // namespace larkspur
