#include "session/ChartableColumn.h"

#include "session/RecordTable.h"

namespace zel {

bool isChartableColumn(const RecordTable &table, const QString &name)
{
    const int index = table.findColumn(name);
    if (index < 0)
        return false;
    switch (table.column(index).type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
    case ColumnType::Real:
        return true;
    default:
        return false;
    }
}

} // namespace zel
