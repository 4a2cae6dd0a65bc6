#include "nodetree/param_rows.h"

namespace larkspur {

void AppendRows(const RowContext& context, ParamTable table, std::vector<Text>& lines) {
  for (const ParamRow& row : table) row.write(context, row, lines);
}

std::vector<Text> ExportRows(const RowContext& context, ParamTable table) {
  std::vector<Text> lines;
  lines.reserve(static_cast<size_t>(table.end() - table.begin()));
  AppendRows(context, table, lines);
  return lines;
}

void LineRow(const RowContext& context, const ParamRow& row, std::vector<Text>& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind != ParamKind::None) lines.push_back(ParamLine(row.key, value));
}

void PercentRow(const RowContext& context, const ParamRow& row, std::vector<Text>& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float)
    lines.push_back(FloatLine(row.key, value.floatValue * 100.0f));
}

void FixedRow(const RowContext&, const ParamRow& row, std::vector<Text>& lines) {
  lines.push_back(RawLine(row.key, row.source));
}

}  // namespace larkspur
