#include "plugin/scene_preparation.h"

#include <string_view>

#include "host/scene_walk.h"
#include "host/script_text.h"

namespace larkspur {
namespace {

constexpr std::u16string_view kGroupExplosion =
    u"max select all\ntry(macros.run \"Group\" \"Explode\")catch()";
constexpr std::u16string_view kClearSelection = u"clearSelection()";

// The node is addressed by its name, escaped so that it stays inside its string literal.
host::Text FlattenNodeScript(const host::Text& nodeName) {
  host::Text script(u"try(\n  select (getNodeByName \"");
  script += EscapeScriptString(nodeName);
  script += u"\")\n  resetXForm $\n  collapseStack $\n  convertToPoly $\n)catch()";
  return script;
}

void RunScript(host::Interface& ip, std::u16string_view script) {
  ip.ExecuteMAXScriptScript(host::Text(script), false, nullptr);
}

}  // namespace

void RunResetXformAndConvertToPoly(host::Interface& ip) {
  RunScript(ip, kGroupExplosion);
  const host::TimeValue t = ip.GetTime();
  VisitNodesPostOrder(ip.GetRootNode(), [&ip, t](host::Node& node) {
    if (EvaluatedGeometry(node, t)) RunScript(ip, FlattenNodeScript(node.GetName()));
  });
  RunScript(ip, kClearSelection);
}

}  // namespace larkspur
