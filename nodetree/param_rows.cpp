#include "nodetree/param_rows.h"

#include "nodetree/param_lookup.h"

namespace larkspur {

void LineRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
             const ParamRow& row) {
  AddParamLine(lines, ip, &object, row.source, row.key);
}

void PercentRow(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow& row) {
  AddPercentLine(lines, ip, &object, row.source, row.key);
}

void FixedRow(std::vector<Text>& lines, const host::Interface&, const host::Anim&,
              const ParamRow& row) {
  Text line = u"\"";
  line += row.key;
  line += u"\":";
  line += row.source;
  lines.push_back(std::move(line));
}

void AppendRows(std::vector<Text>& lines, const host::Interface& ip, const host::Anim& object,
                const ParamRow* begin, const ParamRow* end) {
  for (const ParamRow* row = begin; row != end; ++row) row->write(lines, ip, object, *row);
}

}  // namespace larkspur
