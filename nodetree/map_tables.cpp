#include "nodetree/map_tables.h"

namespace larkspur {

void HasMapRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  if (context.Ref(row.source)) lines.AddRaw(row.key, u"true");
}

}  // namespace larkspur
