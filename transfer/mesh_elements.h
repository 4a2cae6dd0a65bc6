// The elements of a triangle mesh: groups of faces joined through shared edges.
#pragma once

#include <vector>

#include "host/host.h"

namespace larkspur {

// One element index per face: 0, 1, 2 ... in the order of each element's lowest face. Starting
// from its lowest face, an element takes in breadth-first every face h found in the face lists of
// the current face's vertices of which at least two corners are among those vertices. A face that
// repeats a vertex is in that vertex's list twice and each of its corners counts, so it can join
// a face with which it shares a single vertex. A corner whose index is beyond the vertex count is
// in no list. Time linear in the face count times the vertex valence.
std::vector<int32_t> ComputeMeshElements(const host::Mesh& mesh);

}  // namespace larkspur
