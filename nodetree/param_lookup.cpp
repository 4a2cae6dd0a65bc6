#include "nodetree/param_lookup.h"

#include "json/json_text.h"

namespace larkspur {
namespace pt = host::param_type;

namespace {

// Calls visit(block, def) for each definition named name, in block and descriptor order, until
// visit returns true.
template <typename Visit>
void ForEachNamedDef(const host::Anim* target, std::u16string_view name, Visit visit) {
  if (!target) return;
  const int blockCount = target->NumParamBlocks();
  for (int i = 0; i < blockCount; ++i) {
    const host::ParamBlock* block = target->GetParamBlock(i);
    if (!block || !block->HasDesc()) continue;
    const int defCount = block->DescCount();
    for (int d = 0; d < defCount; ++d) {
      const host::ParamDef def = block->DescParamDef(d);
      if (!def.internalName || !EqualsIgnoreCase(*def.internalName, name)) continue;
      if (visit(*block, def)) return;
    }
  }
}

// Reads element tabIndex of a definition as the kind its element type gives; false when the type
// has no kind. A read the host refuses leaves the zero value with the kind set.
bool ReadAsKind(const host::ParamBlock& block, host::ParamType elementType, host::ParamId id,
                host::TimeValue t, int tabIndex, ParamValue& out) {
  switch (elementType) {
    case pt::kFloat:
    case pt::kAngle:
    case pt::kPcntFrac:
    case pt::kWorld:
      out.kind = ParamKind::Float;
      block.GetValue(id, t, out.floatValue, tabIndex);
      return true;
    case pt::kInt:
    case pt::kIndex:
      out.kind = ParamKind::Int;
      block.GetValue(id, t, out.intValue, tabIndex);
      return true;
    case pt::kBool: {
      int stored = 0;
      block.GetValue(id, t, stored, tabIndex);
      out.kind = ParamKind::Bool;
      out.boolValue = stored != 0;
      return true;
    }
    case pt::kRgba:
    case pt::kFrgba:
      out.kind = ParamKind::Color;
      block.GetValue(id, t, out.colorValue, tabIndex);
      return true;
    case pt::kPoint3:
      out.kind = ParamKind::Point3;
      block.GetValue(id, t, out.pointValue, tabIndex);
      return true;
    case pt::kString:
    case pt::kFilename: {
      std::optional<Text> stored;
      block.GetValue(id, t, stored, tabIndex);
      out.kind = ParamKind::String;
      out.stringValue = stored.value_or(Text());
      return true;
    }
    default:
      return false;
  }
}

bool IsReadableTableType(host::ParamType type) {
  switch (type) {
    case pt::kTab + pt::kFloat:
    case pt::kTab + pt::kInt:
    case pt::kTab + pt::kRgba:
    case pt::kTab + pt::kPoint3:
    case pt::kTab + pt::kBool:
    case pt::kTab + pt::kString:
    case pt::kTab + pt::kFrgba:
      return true;
    default:
      return false;
  }
}

}  // namespace

ParamValue FindParamValue(const host::Interface& ip, const host::Anim* target,
                          std::u16string_view name) {
  ParamValue result;
  if (!target) return result;
  const host::TimeValue t = ip.GetTime();
  ForEachNamedDef(target, name, [&](const host::ParamBlock& block, const host::ParamDef& def) {
    ParamValue value;
    if (!ReadAsKind(block, def.type, def.id, t, 0, value)) return false;
    result = std::move(value);
    return true;
  });
  return result;
}

host::Anim* FindParamRef(const host::Interface& ip, const host::Anim* target,
                         std::u16string_view name) {
  host::Anim* result = nullptr;
  if (!target) return result;
  const host::TimeValue t = ip.GetTime();
  ForEachNamedDef(target, name, [&](const host::ParamBlock& block, const host::ParamDef& def) {
    if (def.type != pt::kMtl && def.type != pt::kTexmap && def.type != pt::kRefTarg) return false;
    block.GetValue(def.id, t, result, 0);
    return true;
  });
  return result;
}

int32_t FindParamTabCount(const host::Anim* target, std::u16string_view name) {
  int32_t count = -1;
  ForEachNamedDef(target, name, [&](const host::ParamBlock& block, const host::ParamDef& def) {
    if (IsReadableTableType(def.type)) count = block.Count(def.id);
    return true;
  });
  return count;
}

ParamValue FindParamTabValue(const host::Interface& ip, const host::Anim* target,
                             std::u16string_view name, int index) {
  ParamValue result;
  ForEachNamedDef(target, name, [&](const host::ParamBlock& block, const host::ParamDef& def) {
    if (IsReadableTableType(def.type)) {
      ReadAsKind(block, def.type - pt::kTab, def.id, ip.GetTime(), index, result);
    }
    return true;
  });
  return result;
}

Text RawLine(std::u16string_view key, std::u16string_view value) {
  Text line = u"\"";
  line += key;
  line += u"\":";
  line += value;
  return line;
}

Text ParamLine(std::u16string_view key, const ParamValue& value) {
  switch (value.kind) {
    case ParamKind::Float:
      return RawLine(key, FormatJsonFloat(value.floatValue));
    case ParamKind::Int:
      return RawLine(key, FormatInt(value.intValue));
    case ParamKind::Bool:
      return RawLine(key, FormatJsonBool(value.boolValue));
    case ParamKind::String:
      return RawLine(key, u"\"" + EscapeJsonString(value.stringValue) + u"\"");
    case ParamKind::Color:
      return RawLine(key, FormatJsonColor(value.colorValue));
    case ParamKind::Point3:
      return RawLine(key, FormatJsonPoint3(value.pointValue));
    case ParamKind::None:
      break;
  }
  return RawLine(key, u"null");
}

Text FloatLine(std::u16string_view key, float value) {
  return RawLine(key, FormatJsonFloat(value));
}

void AddParamLine(std::vector<Text>& lines, const host::Interface& ip, const host::Anim* target,
                  std::u16string_view paramName, std::u16string_view key) {
  const ParamValue value = FindParamValue(ip, target, paramName);
  if (value.kind != ParamKind::None) lines.push_back(ParamLine(key, value));
}

}  // namespace larkspur
