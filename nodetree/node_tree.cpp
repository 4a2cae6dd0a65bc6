#include "nodetree/node_tree.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "json/json_text.h"
#include "nodetree/class_dispatch.h"
#include "nodetree/node_registry.h"
#include "nodetree/param_lookup.h"

namespace larkspur {
namespace {

namespace sc = host::super_class;

// The process-wide state of node trees: the id counter, which counts for as long as the process
// runs, and the objects written into the current tree with the ids they were written under.
struct NodeTreeState {
  int32_t lastNodeId = 0;
  NodeRegistry writtenNodes;
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

std::u16string_view NodeType(std::u16string_view className) {
  for (const FixedNodeType& fixed : kFixedNodeTypes) {
    if (EqualsIgnoreCase(className, fixed.className)) return fixed.type;
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

// The child key of each texture slot: its name, or "slot_" and its number when the name is empty
// or an earlier slot of the node has taken it; escaped, in UTF-8.
void FillSlotKeys(const host::Anim& object, KeptTexts& keys) {
  if (!IsTexmap(object) && !IsMaterial(object)) return;
  std::unordered_set<Text> used;
  const int count = object.NumSubTexmaps();
  for (int i = 0; i < count; ++i) {
    Text slotName = object.GetSubTexmapSlotName(i);
    if (slotName.empty() || used.count(slotName) != 0) slotName = u"slot_" + FormatInt(i + 1);
    std::string key;
    AppendJsonEscapedUtf8(key, slotName);
    keys.emplace_back(key);
    used.insert(std::move(slotName));
  }
}

// Writes a tree into one UTF-8 text, each node once, so that the cost grows with the size of the
// text. What a node writes in every tree comes from the build's cache, already in UTF-8.
class NodeTreeWriter {
 public:
  // Indents are views of one run of spaces, long enough for the deepest level the limit allows.
  NodeTreeWriter(host::Interface& ip, BuildCache& cache, std::string& out, int depth)
      : ip_(ip),
        cache_(cache),
        out_(out),
        spaces_(
            cache.Spaces(2 * static_cast<size_t>(std::max(depth, 0) + kMaxNodeTreeLevels + 1))) {}

  // Keeps the ids this writer writes from here on in tree, their offsets counted from the
  // present end of out and their values from the last id drawn.
  void Record(TreeText& tree) {
    record_ = &tree;
    recordBase_ = out_.size();
    recordFrom_ = static_cast<uint32_t>(ProcessNodeTreeState().lastNodeId);
  }

  void WriteNode(host::Anim* object, int depth, int level) {
    if (!object) {
      out_ += "null";
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
    const std::string_view indent = Spaces(2 * depth);
    const std::string_view inner = Spaces(2 * depth + 2);

    NodeTreeState& state = ProcessNodeTreeState();
    const host::AnimHandle handle = object->GetHandle();
    if (handle != 0) {
      const int32_t* written = state.writtenNodes.Find(handle);
      if (written && *written != -1) {
        out_ += indent;
        out_ += "{ \"ref\": ";
        WriteId(*written, 0);
        out_ += " }";
        return;
      }
    }

    CachedNode& node = Described(*object);
    const int32_t id = DrawNodeId();
    // Registered before any child is visited, so that the object's own subtree refers to it.
    if (handle != 0) state.writtenNodes.Add(handle, id);
    out_ += indent;
    out_ += "{\n";
    out_ += inner;
    out_ += "\"node_id\": ";
    WriteId(id, handle);
    out_ += Fields(*object, node, depth, inner);

    if (IsTexmap(*object) && EqualsIgnoreCase(node.className, u"MultiTexture")) {
      WriteTextures(*object, depth, level, inner);
    } else {
      WriteChildren(*object, node.slotKeys, depth, level, inner);
    }
    out_ += "\n";
    out_ += indent;
    out_ += "}";
  }

 private:
  std::string_view Spaces(int count) const {
    return spaces_.substr(0, static_cast<size_t>(std::max(count, 0)));
  }

  CachedNode& Described(const host::Anim& object) {
    CachedNode& node = cache_.NodeOf(object);
    if (!node.described) {
      node.className = object.GetClassName();
      FillSlotKeys(object, node.slotKeys);
      node.described = true;
    }
    return node;
  }

  // "type", "name" and the parameter lines, at this depth's indent. Each piece converted holds
  // whole strings, so that the text reads as one conversion.
  const KeptText& Fields(const host::Anim& object, CachedNode& node, int depth,
                         std::string_view inner) {
    for (const auto& [keptDepth, kept] : node.fieldsAtDepth) {
      if (keptDepth == depth) return kept;
    }
    std::string& fields = scratch_;
    fields = ",\n";
    fields += inner;
    fields += "\"type\": \"";
    AppendJsonEscapedUtf8(fields, NodeType(node.className));
    fields += "\",\n";
    fields += inner;
    fields += "\"name\": \"";
    AppendJsonEscapedUtf8(fields, NodeName(object));
    fields += "\"";
    for (const KeptText& line : ExportNodeParams(ip_, cache_, object)) {
      fields += ",\n";
      fields += inner;
      fields += line;
    }
    return node.fieldsAtDepth.emplace_back(depth, KeptText(fields, cache_.Memory())).second;
  }

  // A multi-texture lists its switched-on maps under "textures" and has no children.
  void WriteTextures(const host::Anim& object, int depth, int level, std::string_view inner) {
    bool any = false;
    const ParamIndex& params = cache_.ParamsOf(object);
    const int count = object.NumSubTexmaps();
    for (int i = 0; i < count; ++i) {
      const ParamValue on = FindParamTabValue(ip_, params, u"submap_on", i);
      if (on.kind == ParamKind::Bool && !on.boolValue) continue;
      host::Anim* map = object.GetSubTexmap(i);
      if (!map) continue;
      if (!any) {
        out_ += ",\n";
        out_ += inner;
        out_ += inner;
        out_ += "\"textures\": [\n";
        any = true;
      } else {
        out_ += ",\n";
      }
      WriteNode(map, depth + 1, level + 1);
    }
    if (any) {
      out_ += "\n";
      out_ += inner;
      out_ += "]";
    }
  }

  // Texture slots by slot name, then sub-materials as numbered layers.
  void WriteChildren(const host::Anim& object, const KeptTexts& slotKeys, int depth, int level,
                     std::string_view inner) {
    bool any = false;
    auto beginChild = [&] {
      if (!any) {
        out_ += ",\n";
        out_ += inner;
        out_ += "\"children\": {\n";
        any = true;
      } else {
        out_ += ",\n";
      }
      out_ += inner;
    };

    for (size_t i = 0; i < slotKeys.size(); ++i) {
      host::Anim* map = object.GetSubTexmap(static_cast<int>(i));
      if (!map) continue;
      beginChild();
      out_ += "  \"";
      out_ += slotKeys[i];
      out_ += "\": ";
      WriteNode(map, depth + 1, level + 1);
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
        out_ += "  \"layer_";
        AppendInt(out_, i + 1);
        out_ += "\": {\n";
        out_ += inner;
        out_ += "    \"material\": ";
        WriteNode(material, depth + 1, level + 1);
        out_ += ",\n";
        out_ += inner;
        out_ += "    \"blend_amount\": ";
        AppendUtf8(out_, FormatJsonFloat(blend));
        out_ += "\n";
        out_ += inner;
        out_ += "  }";
      }
    }

    if (any) {
      out_ += "\n";
      out_ += inner;
      out_ += "}";
    }
  }

  void WriteId(int32_t id, host::AnimHandle handle) {
    if (record_) {
      const size_t offset = out_.size();
      AppendInt(out_, id);
      record_->ids.push_back({offset - recordBase_, out_.size() - offset,
                              static_cast<uint32_t>(id) - recordFrom_, handle});
    } else {
      AppendInt(out_, id);
    }
  }

  host::Interface& ip_;
  BuildCache& cache_;
  std::string& out_;
  const std::string_view spaces_;
  int nodesWritten_ = 0;
  std::string scratch_;  // where a node's fields are put together before they are kept
  TreeText* record_ = nullptr;
  size_t recordBase_ = 0;
  uint32_t recordFrom_ = 0;
};

// True when drawing count ids from here on never yields -1, the id the registry ignores, so
// that a tree kept from an earlier occurrence reads the same as a fresh walk.
bool IdsFit(uint32_t count) {
  const uint64_t last = static_cast<uint32_t>(ProcessNodeTreeState().lastNodeId);
  return last + count < 0xFFFFFFFFull;
}

// Writes a kept tree with the ids of this occurrence and registers its nodes as the walk would.
void WriteKeptTree(const TreeText& tree, std::string& out) {
  NodeTreeState& state = ProcessNodeTreeState();
  const uint32_t from = static_cast<uint32_t>(state.lastNodeId);
  size_t copied = 0;
  for (const TreeIdSlot& slot : tree.ids) {
    out.append(tree.text, copied, slot.offset - copied);
    const int32_t id = static_cast<int32_t>(from + slot.distance);
    AppendInt(out, id);
    if (slot.handle != 0) state.writtenNodes.Add(slot.handle, id);
    copied = slot.offset + slot.length;
  }
  out.append(tree.text, copied, std::string::npos);
  state.lastNodeId = static_cast<int32_t>(from + tree.idsDrawn);
}

}  // namespace

void BuildNodeTree(host::Interface& ip, BuildCache& cache, host::Anim* object, int depth,
                   std::string& out) {
  NodeTreeState& state = ProcessNodeTreeState();
  // A tree's text depends only on its top object and depth when the registry starts empty (the
  // host does not change during a build), so a material's tree is walked once per build.
  if (!object || !state.writtenNodes.Empty()) {
    NodeTreeWriter(ip, cache, out, depth).WriteNode(object, depth, 0);
    return;
  }
  auto& trees = cache.NodeOf(*object).treesAtDepth;
  for (const auto& [keptDepth, tree] : trees) {
    if (keptDepth == depth && IdsFit(tree.idsDrawn)) {
      WriteKeptTree(tree, out);
      return;
    }
  }
  const size_t start = out.size();
  const uint32_t from = static_cast<uint32_t>(state.lastNodeId);
  TreeText tree(cache.Memory());
  NodeTreeWriter writer(ip, cache, out, depth);
  writer.Record(tree);
  writer.WriteNode(object, depth, 0);
  tree.idsDrawn = static_cast<uint32_t>(state.lastNodeId) - from;
  if (static_cast<uint64_t>(from) + tree.idsDrawn >= 0xFFFFFFFFull) return;
  tree.text.assign(out.data() + start, out.size() - start);
  trees.emplace_back(depth, std::move(tree));
}

void ResetNodeRegistry() {
  ProcessNodeTreeState().writtenNodes.Clear();
}

}  // namespace larkspur
