// What one package build works out once per host object and reuses wherever the object occurs
// again: the object's parameter index, and the parameter lines of a material or map that several
// objects, trees or slots use. Only what cannot differ between occurrences is kept: node ids,
// the node registry and reference nodes belong to each tree and are never cached.
#pragma once

#include <unordered_map>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_lookup.h"

namespace larkspur {

// Lives for one build. Objects are keyed by their address: the scene's materials, maps,
// modifiers and lights outlive the build, and the only objects deleted meanwhile (temporaries
// of mesh conversion) never have their parameters read.
class BuildCache {
 public:
  // The object's parameter index, made on its first use in this build.
  const ParamIndex& ParamsOf(const host::Anim& object);

  // The parameter lines this build has made for the object's node, or null.
  const std::vector<Text>* NodeParams(const host::Anim& object) const;
  const std::vector<Text>& KeepNodeParams(const host::Anim& object, std::vector<Text> lines);

 private:
  std::unordered_map<const host::Anim*, ParamIndex> params_;
  std::unordered_map<const host::Anim*, std::vector<Text>> nodeParams_;
};

}  // namespace larkspur
