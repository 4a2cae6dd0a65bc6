// Bakes the per-element choice of MultiTexture and CoronaMultiMap maps into vertex colours, so
// that it travels with the geometry: each mesh element gets a grey level that encodes which of
// the map's switched-on inputs it selects. Every decision goes to the host log.
#pragma once

#include <unordered_set>

#include "host/host.h"

namespace larkspur {

// The first MultiTexture or CoronaMultiMap in object's tree (sub-maps before sub-materials),
// skipping anims already in visited; isCoronaMultiMap tells which of the two it is.
host::Anim* FindRandomMultiMap(host::Anim* object, std::unordered_set<const host::Anim*>& visited,
                               bool& isCoronaMultiMap);

// Colours the node's triangle mesh by element with the map's seed. A node whose object is not
// already a triangle object gets the coloured one as its object. False when there is no object
// or it has no triangle mesh.
bool BakeNodeElementColors(const host::Interface& ip, host::Node& node, const host::Anim& map,
                           int32_t activeCount, host::TimeValue t);

// Bakes every geometry node whose material holds such a map and asks for a choice per element;
// returns the number of nodes baked.
int32_t BakeMultiTextureVC(host::Interface& ip);

}  // namespace larkspur
