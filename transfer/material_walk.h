// The walk every job-asset step makes through a material: depth-first, an anim before what it
// holds, sub-maps before sub-materials, each in index order.
#pragma once

#include <unordered_set>
#include <vector>

#include "host/host.h"

namespace larkspur {

// What the walk does after visiting one anim.
enum class WalkStep { kDescend, kSkipChildren, kStop };

// Which children the walk follows.
enum class WalkChildren {
  kSubMapsThenSubMaterials,  // sub-maps of every anim, then sub-materials of a material
  kSubMaterials,             // sub-materials only
};

// Walks root and what it holds, calling visit(anim) once per anim not yet in visited. The caller
// owns visited, so that anims shared by several roots (or by a tree and itself) are visited once
// and cycles end. Iterative, so that a deep tree cannot exhaust the stack: an anim's children are
// read when it is visited and each is checked against visited only when its turn comes, exactly
// as a recursive walk would. Returns the anim whose visit answered kStop, or null.
template <typename Visit>
host::Anim* WalkMaterialTree(host::Anim* root, WalkChildren children,
                             std::unordered_set<const host::Anim*>& visited, Visit&& visit) {
  std::vector<host::Anim*> pending{root};
  while (!pending.empty()) {
    host::Anim* anim = pending.back();
    pending.pop_back();
    if (!anim || !visited.insert(anim).second) continue;
    const WalkStep step = visit(*anim);
    if (step == WalkStep::kStop) return anim;
    if (step == WalkStep::kSkipChildren) continue;
    // Pushed last child first, so that the first one is walked next.
    if (children == WalkChildren::kSubMaterials ||
        anim->SuperClassID() == host::super_class::kMaterial) {
      for (int i = anim->NumSubMtls(); i-- > 0;) pending.push_back(anim->GetSubMtl(i));
    }
    if (children == WalkChildren::kSubMapsThenSubMaterials) {
      for (int i = anim->NumSubTexmaps(); i-- > 0;) pending.push_back(anim->GetSubTexmap(i));
    }
  }
  return nullptr;
}

}  // namespace larkspur
