#include "host/scene_walk.h"

namespace larkspur {

std::vector<host::Node*> CollectSceneNodes(const host::Interface& ip) {
  // Iterative post-order, so that a deep hierarchy cannot exhaust the stack.
  std::vector<host::Node*> order;
  host::Node* root = ip.GetRootNode();
  if (!root) return order;
  struct Frame {
    host::Node* node;
    int next;
  };
  std::vector<Frame> stack{{root, 0}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < top.node->NumberOfChildren()) {
      host::Node* child = top.node->GetChildNode(top.next++);
      if (child) stack.push_back({child, 0});
      continue;
    }
    host::Node* done = top.node;
    stack.pop_back();
    if (done != root) order.push_back(done);
  }
  return order;
}

host::Anim* EvaluatedGeometry(const host::Node& node, host::TimeValue t) {
  host::Anim* object = node.EvalWorldState(t);
  if (!object || object->SuperClassID() != host::super_class::kGeomObject) return nullptr;
  return object;
}

}  // namespace larkspur
