#include "host/sim/sim_scripts.h"

#include <charconv>
#include <optional>
#include <unordered_set>

#include "host/text.h"

namespace larkspur::sim {
namespace {

constexpr std::u16string_view kGroupExplosion =
    u"max select all\ntry(macros.run \"Group\" \"Explode\")catch()";
constexpr std::u16string_view kFlattenHead = u"try(\n  select (getNodeByName \"";
constexpr std::u16string_view kFlattenTail =
    u"\")\n  resetXForm $\n  collapseStack $\n  convertToPoly $\n)catch()";
constexpr std::u16string_view kClearSelection = u"clearSelection()";
constexpr std::u16string_view kProbeCall = u"LK_findGradientRamp \"";

struct Literal {
  Text value;
  size_t end = 0;  // the index just after the closing quote
};

// The string literal whose text starts at begin (just after its opening quote), with the script
// language's escapes. An unknown escape or a missing closing quote is a syntax error: nullopt.
std::optional<Literal> ReadStringLiteral(std::u16string_view script, size_t begin) {
  Literal literal;
  for (size_t i = begin; i < script.size(); ++i) {
    const char16_t c = script[i];
    if (c == u'"') {
      literal.end = i + 1;
      return literal;
    }
    if (c != u'\\') {
      literal.value += c;
      continue;
    }
    if (++i == script.size()) return std::nullopt;
    switch (script[i]) {
      case u'"':
        literal.value += u'"';
        break;
      case u'\\':
        literal.value += u'\\';
        break;
      case u'n':
        literal.value += u'\n';
        break;
      case u'r':
        literal.value += u'\r';
        break;
      case u't':
        literal.value += u'\t';
        break;
      case u'%':
        literal.value += u'%';
        break;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

// Moves the children of every group head into its place, recursively; the heads are handed to
// removed so that nothing points at them once the walk is done.
void ExplodeGroups(SimNode& parent, std::vector<std::unique_ptr<SimNode>>& removed) {
  std::vector<std::unique_ptr<SimNode>> kept;
  for (std::unique_ptr<SimNode>& child : parent.children) {
    ExplodeGroups(*child, removed);
    if (!child->groupHead) {
      kept.push_back(std::move(child));
      continue;
    }
    for (std::unique_ptr<SimNode>& grandChild : child->children) {
      kept.push_back(std::move(grandChild));
    }
    child->children.clear();
    removed.push_back(std::move(child));
  }
  parent.children = std::move(kept);
}

void RunGroupExplosion(SimHost& host) {
  for (const SimNode* node : PreOrderNodes(host.Root())) host.selection.insert(node);
  std::vector<std::unique_ptr<SimNode>> removed;
  ExplodeGroups(host.Root(), removed);
  std::unordered_set<const SimNode*> gone;
  for (const auto& node : removed) {
    gone.insert(node.get());
    host.selection.erase(node.get());
  }
  for (SimNode* node : PreOrderNodes(host.Root())) {
    if (gone.count(node->target)) node->target = nullptr;
  }
}

// getNodeByName with its defaults: the first node in scene order whose name matches, ignoring
// case. Like the host's, the lookup walks the scene.
SimNode* FindNodeByName(SimNode& parent, const Text& name) {
  for (const auto& child : parent.children) {
    if (EqualsIgnoreCase(child->name, name)) return child.get();
    if (SimNode* found = FindNodeByName(*child, name)) return found;
  }
  return nullptr;
}

Point3 RotateAndScale(const Point3& v, const Matrix3& m) {
  return Point3{v.x * m.rows[0].x + v.y * m.rows[1].x + v.z * m.rows[2].x,
                v.x * m.rows[0].y + v.y * m.rows[1].y + v.z * m.rows[2].y,
                v.x * m.rows[0].z + v.y * m.rows[1].z + v.z * m.rows[2].z};
}

// resetXForm, collapseStack and convertToPoly on one node. An object without a mesh cannot
// become a poly: the script's catch swallows that and the node stays as it was.
void FlattenNode(SimHost& host, SimNode& node) {
  host.selection = {&node};
  SimAnim* evaluated = host.Owned(node.EvalWorldState(host.time));
  if (!evaluated || evaluated->superClass != host::super_class::kGeomObject || !evaluated->mesh) {
    return;
  }
  SimAnim& poly = host.NewAnim(host::super_class::kGeomObject, u"Editable Poly",
                               host::kEditablePolyClassId, evaluated->id + "_poly");
  poly.mesh = evaluated->mesh;
  for (Point3& vertex : poly.mesh->vertices) vertex = RotateAndScale(vertex, node.transform);
  node.object = &poly;
  Matrix3 positionOnly;
  positionOnly.rows[3] = node.transform.rows[3];
  node.transform = positionOnly;
}

// A float as the script language prints it: the shortest form that reads back, with a decimal
// point.
Text ScriptFloat(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return Widen(text);
}

// LK_findTexmapByName: the first map named name reachable from root, sub-materials before
// sub-maps.
Anim* FindMapByName(Anim* root, const Text& name, std::unordered_set<const Anim*>& visited) {
  if (!root || !visited.insert(root).second) return nullptr;
  const host::SClassId super = root->SuperClassID();
  if (super == host::super_class::kTexmap && root->GetName() == name) return root;
  if (super == host::super_class::kMaterial) {
    for (int i = 0; i < root->NumSubMtls(); ++i) {
      if (Anim* found = FindMapByName(root->GetSubMtl(i), name, visited)) return found;
    }
  }
  if (super == host::super_class::kMaterial || super == host::super_class::kTexmap) {
    for (int i = 0; i < root->NumSubTexmaps(); ++i) {
      if (Anim* found = FindMapByName(root->GetSubTexmap(i), name, visited)) return found;
    }
  }
  return nullptr;
}

Text GradientProbeAnswer(SimHost& host, const Text& mapName) {
  std::unordered_set<const Anim*> visited;
  Anim* found = nullptr;
  for (SimNode* node : PreOrderNodes(host.Root())) {
    if ((found = FindMapByName(node->material, mapName, visited))) break;
  }
  if (!found && host.sceneMaterials) {
    for (Anim* material : *host.sceneMaterials) {
      if ((found = FindMapByName(material, mapName, visited))) break;
    }
  }
  if (!found) return u"ERROR:NOTFOUND";
  const SimAnim* map = host.Owned(found);
  if (!map || map->gradientStops.empty()) return u"ERROR:NOCONTAINER";
  Text answer;
  for (size_t i = 0; i < map->gradientStops.size(); ++i) {
    const SimGradientStop& stop = map->gradientStops[i];
    const float position = stop.position.value_or(i == 0 ? 0.0f : 100.0f);
    if (i > 0) answer += u'|';
    answer += ScriptFloat(position) + u',' + ScriptFloat(stop.color.r) + u',' +
              ScriptFloat(stop.color.g) + u',' + ScriptFloat(stop.color.b);
  }
  return answer;
}

void SetResult(host::ScriptResult* result, bool isString, Text text) {
  if (!result) return;
  result->isString = isString;
  result->text = std::move(text);
}

}  // namespace

std::optional<Text> FlattenScriptNodeName(std::u16string_view script) {
  if (script.substr(0, kFlattenHead.size()) != kFlattenHead) return std::nullopt;
  const std::optional<Literal> name = ReadStringLiteral(script, kFlattenHead.size());
  if (!name || script.substr(name->end - 1) != kFlattenTail) return std::nullopt;
  return name->value;
}

bool RunScript(SimHost& host, const Text& script, host::ScriptResult* result) {
  const std::u16string_view text = script;
  if (text == kGroupExplosion) {
    RunGroupExplosion(host);
    SetResult(result, false, Text());
    return true;
  }
  if (text == kClearSelection) {
    host.selection.clear();
    SetResult(result, false, Text());
    return true;
  }
  if (text.substr(0, kFlattenHead.size()) == kFlattenHead) {
    const std::optional<Text> name = FlattenScriptNodeName(text);
    if (!name) return false;
    if (SimNode* node = FindNodeByName(host.Root(), *name)) FlattenNode(host, *node);
    SetResult(result, false, Text());
    return true;
  }
  const size_t call = text.find(kProbeCall);
  if (call != std::u16string_view::npos) {
    const std::optional<Literal> name = ReadStringLiteral(text, call + kProbeCall.size());
    if (!name) return false;
    SetResult(result, true, GradientProbeAnswer(host, name->value));
    return true;
  }
  return false;
}

}  // namespace larkspur::sim
