// Parameter tables as data: a row names an output key, the host parameter it reads and the
// operation that turns the read into a line. One loop writes a table's rows in order.
#pragma once

#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace larkspur {

struct ParamRow;

// Appends the lines of one row (usually one line, or none when the parameter is missing).
using RowOperation = void (*)(std::vector<Text>& lines, const host::Interface& ip,
                              const host::Anim& object, const ParamRow& row);

struct ParamRow {
  std::u16string_view key;
  std::u16string_view source;  // the host parameter's internal name, or a fixed value's text
  RowOperation write;
};

// The value as read, in the text of its kind.
void LineRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
             const ParamRow& row);
// A float value times 100; nothing for any other kind.
void PercentRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow& row);
// Always "key":source, whatever the object holds.
void FixedRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
              const ParamRow& row);

void AppendRows(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow* begin, const ParamRow* end);

template <size_t N>
void AppendRows(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow (&rows)[N]) {
  AppendRows(lines, ip, object, rows, rows + N);
}

template <size_t N>
std::vector<Text> ExportRows(const host::Interface& ip, const host::Anim& object,
                             const ParamRow (&rows)[N]) {
  std::vector<Text> lines;
  AppendRows(lines, ip, object, rows, rows + N);
  return lines;
}

}  // namespace larkspur
