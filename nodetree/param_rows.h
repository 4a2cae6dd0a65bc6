// Parameter tables as data: a row names an output key, the host parameter it reads and the
// operation that turns the read into lines. One loop writes a table's rows in order, for materials
// and maps as for lights and displacement modifiers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "nodetree/param_lookup.h"

namespace larkspur {

// What a row operation works with: the host, the object whose parameters the rows read with its
// parameter index and, for the rows of a light, its node, the time and the metres per system
// unit. Rows read parameters only through here.
struct RowContext {
  host::Interface& ip;
  const host::Anim& object;
  const ParamIndex& params;  // of object
  const host::Node* node = nullptr;
  host::TimeValue time = 0;
  float metresPerUnit = 1.0f;

  ParamValue Value(std::u16string_view name) const { return FindParamValue(ip, params, name); }
  host::Anim* Ref(std::u16string_view name) const { return FindParamRef(ip, params, name); }
  int32_t TabCount(std::u16string_view name) const { return FindParamTabCount(params, name); }
  ParamValue TabValue(std::u16string_view name, int index) const {
    return FindParamTabValue(ip, params, name, index);
  }
};

// The lines of one table in UTF-8, in the order its rows write them, each written straight into
// one text.
class ParamLines {
 public:
  // "key":value, with the value in the text of its kind ("null" for none).
  void AddValue(std::u16string_view key, const ParamValue& value);
  // "key":number.
  void AddFloat(std::u16string_view key, float value);
  // "key":value for a value already in JSON text.
  void AddRaw(std::u16string_view key, std::u16string_view value);
  // A line already in JSON text, keys and all.
  void AddLine(std::u16string_view line);

  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t index) const;
  // The lines, converted, with separator between them.
  Text Joined(std::u16string_view separator) const;

 private:
  // Starts a line with "key": for its value to follow.
  std::string& Begin(std::u16string_view key);
  void End() { ends_.push_back(text_.size()); }

  std::string text_;
  std::vector<size_t> ends_;  // where each line ends in text_
};

struct ParamRow;

// Appends the lines of one row: usually one, none when the parameter is missing.
using RowOperation = void (*)(const RowContext& context, const ParamRow& row, ParamLines& lines);

struct ParamRow {
  std::u16string_view key;     // the output key; empty for a row that writes keys of its own
  std::u16string_view source;  // the host parameter's internal name, or a fixed value's text
  RowOperation write;
};

// The rows of one table, in emission order.
class ParamTable {
 public:
  // Made from the table's array itself, so that a dispatch rule can name the array.
  template <size_t N>
  constexpr ParamTable(const ParamRow (&rows)[N]) : begin_(rows), end_(rows + N) {}
  constexpr const ParamRow* begin() const { return begin_; }
  constexpr const ParamRow* end() const { return end_; }

 private:
  const ParamRow* begin_;
  const ParamRow* end_;
};

void AppendRows(const RowContext& context, ParamTable table, ParamLines& lines);
ParamLines ExportRows(const RowContext& context, ParamTable table);

// The value as read, in the text of its kind.
void LineRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// A float value times 100; nothing for any other kind.
void PercentRow(const RowContext& context, const ParamRow& row, ParamLines& lines);
// Always "key":source, whatever the object holds.
void FixedRow(const RowContext& context, const ParamRow& row, ParamLines& lines);

}  // namespace larkspur
