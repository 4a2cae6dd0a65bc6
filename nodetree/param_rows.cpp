#include "nodetree/param_rows.h"

#include "json/json_text.h"

namespace larkspur {

std::string& ParamLines::Begin(std::u16string_view key) {
  text_ += '"';
  AppendUtf8(text_, key);
  text_ += "\":";
  return text_;
}

void ParamLines::AddValue(std::u16string_view key, const ParamValue& value) {
  std::string& out = Begin(key);
  switch (value.kind) {
    case ParamKind::Float:
      AppendJsonFloat(out, value.floatValue);
      break;
    case ParamKind::Int:
      AppendInt(out, value.intValue);
      break;
    case ParamKind::Bool:
      out += value.boolValue ? "true" : "false";
      break;
    case ParamKind::String:
      out += '"';
      AppendJsonEscapedUtf8(out, value.stringValue);
      out += '"';
      break;
    case ParamKind::Color:
      AppendJsonFloats(out, {value.colorValue.r, value.colorValue.g, value.colorValue.b});
      break;
    case ParamKind::Point3:
      AppendJsonFloats(out, {value.pointValue.x, value.pointValue.y, value.pointValue.z});
      break;
    case ParamKind::None:
      out += "null";
      break;
  }
  End();
}

void ParamLines::AddFloat(std::u16string_view key, float value) {
  AppendJsonFloat(Begin(key), value);
  End();
}

void ParamLines::AddRaw(std::u16string_view key, std::u16string_view value) {
  AppendUtf8(Begin(key), value);
  End();
}

void ParamLines::AddLine(std::u16string_view line) {
  AppendUtf8(text_, line);
  End();
}

std::string_view ParamLines::operator[](size_t index) const {
  const size_t start = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_).substr(start, ends_[index] - start);
}

Text ParamLines::Joined(std::u16string_view separator) const {
  Text joined;
  for (size_t i = 0; i < size(); ++i) {
    if (i > 0) joined += separator;
    joined += FromUtf8((*this)[i]);
  }
  return joined;
}

void AppendRows(const RowContext& context, ParamTable table, ParamLines& lines) {
  for (const ParamRow& row : table) row.write(context, row, lines);
}

ParamLines ExportRows(const RowContext& context, ParamTable table) {
  ParamLines lines;
  AppendRows(context, table, lines);
  return lines;
}

void LineRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind != ParamKind::None) lines.AddValue(row.key, value);
}

void PercentRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const ParamValue value = context.Value(row.source);
  if (value.kind == ParamKind::Float) lines.AddFloat(row.key, value.floatValue * 100.0f);
}

void FixedRow(const RowContext&, const ParamRow& row, ParamLines& lines) {
  lines.AddRaw(row.key, row.source);
}

}  // namespace larkspur
