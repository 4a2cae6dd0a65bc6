// The scene walk every step shares: depth-first from the root, children before their parent,
// siblings in index order, the root itself left out.
#pragma once

#include <vector>

#include "host/host.h"

namespace larkspur {

std::vector<host::Node*> CollectSceneNodes(const host::Interface& ip);

// Calls visit(node) for every node below root in the order above, as the walk goes. A node's
// child count is read again after each child, so children that a visit adds or removes count
// as far as their index allows. Iterative, so that a deep hierarchy cannot exhaust the stack.
template <typename Visit>
void VisitNodesPostOrder(host::Node* root, Visit&& visit) {
  if (!root) return;
  struct Frame {
    host::Node* node;
    int nextChild;
  };
  std::vector<Frame> stack{{root, 0}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.nextChild < top.node->NumberOfChildren()) {
      host::Node* child = top.node->GetChildNode(top.nextChild++);
      if (child) stack.push_back({child, 0});
      continue;
    }
    host::Node* done = top.node;
    stack.pop_back();
    if (done != root) visit(*done);
  }
}

// The evaluated object of a node when it is geometry (super class GEOMOBJECT), otherwise null.
host::Anim* EvaluatedGeometry(const host::Node& node, host::TimeValue t);

}  // namespace larkspur
