#include "nodetree/map_tables.h"

namespace larkspur {

void HasMapRow(const RowContext& context, const ParamRow& row, std::vector<Text>& lines) {
  if (context.Ref(row.source)) lines.push_back(RawLine(row.key, u"true"));
}

}  // namespace larkspur
