#include "nodetree/node_tree.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "json/json_text.h"
#include "nodetree/class_dispatch.h"
#include "nodetree/param_lookup.h"

namespace larkspur {
namespace {

namespace sc = host::super_class;

// The process-wide state of node trees: the id counter, which counts for as long as the process
// runs, and the objects written into the current tree with the ids they were written under.
struct NodeTreeState {
  int32_t lastNodeId = 0;
  std::unordered_map<host::AnimHandle, int32_t> writtenNodes;
};

NodeTreeState& ProcessNodeTreeState() {
  static NodeTreeState state;
  return state;
}

int32_t DrawNodeId() {
  int32_t& last = ProcessNodeTreeState().lastNodeId;
  // Wraps like the host's 32-bit counter instead of overflowing.
  last = static_cast<int32_t>(static_cast<uint32_t>(last) + 1u);
  return last;
}

// Classes whose node type is fixed rather than their class name.
struct FixedNodeType {
  std::u16string_view className;
  std::u16string_view type;
};
constexpr FixedNodeType kFixedNodeTypes[] = {
    {u"Bitmap",           u"Bitmaptexture"      },
    {u"Falloff",          u"falloff"            },
    {u"Composite",        u"CompositeTexturemap"},
    {u"Color Correction", u"Color_Correction"   },
    {u"Output",           u"output"             },
};

Text NodeType(const Text& className) {
  for (const FixedNodeType& fixed : kFixedNodeTypes) {
    if (EqualsIgnoreCase(className, fixed.className)) return Text(fixed.type);
  }
  return className;
}

bool IsMaterial(const host::Anim& object) {
  return object.SuperClassID() == sc::kMaterial;
}
bool IsTexmap(const host::Anim& object) {
  return object.SuperClassID() == sc::kTexmap;
}

Text NodeName(const host::Anim& object) {
  return IsMaterial(object) || IsTexmap(object) ? object.GetName() : Text();
}

Text Spaces(int count) {
  return Text(static_cast<size_t>(count > 0 ? count : 0), u' ');
}

// Writes a tree into one text, each node once, so that the cost grows with the size of the text.
class NodeTreeWriter {
 public:
  NodeTreeWriter(host::Interface& ip, BuildCache& cache, Text& out)
      : ip_(ip), cache_(cache), out_(out) {}

  void WriteNode(host::Anim* object, int depth, int level) {
    if (!object) {
      out_ += u"null";
      return;
    }
    if (level > kMaxNodeTreeLevels) {
      throw NodeTreeError("material graph nested deeper than " +
                          std::to_string(kMaxNodeTreeLevels) + " levels");
    }
    if (++nodesWritten_ > kMaxNodeTreeNodes) {
      throw NodeTreeError("material graph larger than " + std::to_string(kMaxNodeTreeNodes) +
                          " nodes");
    }
    const Text indent = Spaces(2 * depth);
    const Text inner = Spaces(2 * depth + 2);

    NodeTreeState& state = ProcessNodeTreeState();
    const host::AnimHandle handle = object->GetHandle();
    if (handle != 0) {
      auto written = state.writtenNodes.find(handle);
      if (written != state.writtenNodes.end() && written->second != -1) {
        out_ += indent;
        out_ += u"{ \"ref\": ";
        out_ += FormatInt(written->second);
        out_ += u" }";
        return;
      }
    }

    const Text className = object->GetClassName();
    const int32_t id = DrawNodeId();
    // Registered before any child is visited, so that the object's own subtree refers to it.
    if (handle != 0) state.writtenNodes.emplace(handle, id);
    WriteFields(*object, className, id, indent, inner);

    if (IsTexmap(*object) && EqualsIgnoreCase(className, u"MultiTexture")) {
      WriteTextures(*object, depth, level, inner);
    } else {
      WriteChildren(*object, depth, level, inner);
    }
    out_ += u"\n";
    out_ += indent;
    out_ += u"}";
  }

 private:
  void WriteFields(const host::Anim& object, const Text& className, int32_t id, const Text& indent,
                   const Text& inner) {
    out_ += indent;
    out_ += u"{\n";
    out_ += inner;
    out_ += u"\"node_id\": ";
    out_ += FormatInt(id);
    out_ += u",\n";
    out_ += inner;
    out_ += u"\"type\": \"";
    out_ += EscapeJsonString(NodeType(className));
    out_ += u"\",\n";
    out_ += inner;
    out_ += u"\"name\": \"";
    out_ += EscapeJsonString(NodeName(object));
    out_ += u"\"";
    for (const Text& line : ExportNodeParams(ip_, cache_, object)) {
      out_ += u",\n";
      out_ += inner;
      out_ += line;
    }
  }

  // A multi-texture lists its switched-on maps under "textures" and has no children.
  void WriteTextures(const host::Anim& object, int depth, int level, const Text& inner) {
    bool any = false;
    const ParamIndex& params = cache_.ParamsOf(object);
    const int count = object.NumSubTexmaps();
    for (int i = 0; i < count; ++i) {
      const ParamValue on = FindParamTabValue(ip_, params, u"submap_on", i);
      if (on.kind == ParamKind::Bool && !on.boolValue) continue;
      host::Anim* map = object.GetSubTexmap(i);
      if (!map) continue;
      if (!any) {
        out_ += u",\n";
        out_ += inner;
        out_ += inner;
        out_ += u"\"textures\": [\n";
        any = true;
      } else {
        out_ += u",\n";
      }
      WriteNode(map, depth + 1, level + 1);
    }
    if (any) {
      out_ += u"\n";
      out_ += inner;
      out_ += u"]";
    }
  }

  // Texture slots by slot name, then sub-materials as numbered layers.
  void WriteChildren(const host::Anim& object, int depth, int level, const Text& inner) {
    bool any = false;
    auto beginChild = [&] {
      if (!any) {
        out_ += u",\n";
        out_ += inner;
        out_ += u"\"children\": {\n";
        any = true;
      } else {
        out_ += u",\n";
      }
      out_ += inner;
    };

    if (IsTexmap(object) || IsMaterial(object)) {
      std::unordered_set<Text> usedSlotNames;
      const int count = object.NumSubTexmaps();
      for (int i = 0; i < count; ++i) {
        Text slotName = object.GetSubTexmapSlotName(i);
        if (slotName.empty() || usedSlotNames.count(slotName) != 0) {
          slotName = u"slot_" + FormatInt(i + 1);
        }
        usedSlotNames.insert(slotName);
        host::Anim* map = object.GetSubTexmap(i);
        if (!map) continue;
        beginChild();
        out_ += u"  \"";
        out_ += EscapeJsonString(slotName);
        out_ += u"\": ";
        WriteNode(map, depth + 1, level + 1);
      }
    }

    if (IsMaterial(object)) {
      const int count = object.NumSubMtls();
      for (int i = 0; i < count; ++i) {
        host::Anim* material = object.GetSubMtl(i);
        float blend = 1.0f;
        const ParamValue amount =
            FindParamTabValue(ip_, cache_.ParamsOf(object), u"blendAmounts", i);
        if (amount.kind == ParamKind::Float) blend = amount.floatValue;
        beginChild();
        out_ += u"  \"layer_";
        out_ += FormatInt(i + 1);
        out_ += u"\": {\n";
        out_ += inner;
        out_ += u"    \"material\": ";
        WriteNode(material, depth + 1, level + 1);
        out_ += u",\n";
        out_ += inner;
        out_ += u"    \"blend_amount\": ";
        out_ += FormatJsonFloat(blend);
        out_ += u"\n";
        out_ += inner;
        out_ += u"  }";
      }
    }

    if (any) {
      out_ += u"\n";
      out_ += inner;
      out_ += u"}";
    }
  }

  host::Interface& ip_;
  BuildCache& cache_;
  Text& out_;
  int nodesWritten_ = 0;
};

}  // namespace

Text BuildNodeTree(host::Interface& ip, BuildCache& cache, host::Anim* object, int depth) {
  Text out;
  NodeTreeWriter(ip, cache, out).WriteNode(object, depth, 0);
  return out;
}

void ResetNodeRegistry() {
  ProcessNodeTreeState().writtenNodes.clear();
}

}  // namespace larkspur
