#include "host/sim/anims_by_id.h"

#include "host/sim/sim_scene.h"

namespace larkspur::sim {

void AnimsById::Insert(SimAnim* anim) {
  anims_.emplace(anim->id, anim);
}

}  // namespace larkspur::sim
