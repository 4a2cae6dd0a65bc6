#include "host/scene_walk.h"

namespace larkspur {

std::vector<host::Node*> CollectSceneNodes(const host::Interface& ip) {
  std::vector<host::Node*> order;
  VisitNodesPostOrder(ip.GetRootNode(), [&order](host::Node& node) { order.push_back(&node); });
  return order;
}

host::Anim* EvaluatedGeometry(const host::Node& node, host::TimeValue t) {
  host::Anim* object = node.EvalWorldState(t);
  if (!object || object->SuperClassID() != host::super_class::kGeomObject) return nullptr;
  return object;
}

}  // namespace larkspur
