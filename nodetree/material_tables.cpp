#include "nodetree/material_tables.h"

#include "json/json_text.h"

namespace larkspur {

void OneMinusRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float) lines.AddFloat(row.key, 1.0f - value.floatValue);
}

void MetalnessFlagRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  bool on = false;
  if (value.kind == ParamKind::Bool) {
    on = value.boolValue;
  } else if (value.kind == ParamKind::Int) {
    on = value.intValue == 1;
  } else {
    return;
  }
  lines.AddRaw(row.key, FormatJsonBool(on));
}

}  // namespace larkspur
