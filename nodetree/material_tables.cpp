#include "nodetree/material_tables.h"

namespace larkspur {

void OneMinusRow(const RowContext& context, const ParamRow& row, std::vector<Text>& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float) lines.push_back(FloatLine(row.key, 1.0f - value.floatValue));
}

void MetalnessFlagRow(const RowContext& context, const ParamRow& row, std::vector<Text>& lines) {
  const ParamValue value = context.Value(row.source);
  ParamValue flag;
  flag.kind = ParamKind::Bool;
  if (value.kind == ParamKind::Bool) {
    flag.boolValue = value.boolValue;
  } else if (value.kind == ParamKind::Int) {
    flag.boolValue = value.intValue == 1;
  } else {
    return;
  }
  lines.push_back(ParamLine(row.key, flag));
}

}  // namespace larkspur
