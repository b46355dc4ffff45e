#pragma once

#include <QString>

namespace zel {

class RecordTable;

/// True when column \a name of \a table holds plain numbers (integer, longword or real) and
/// so can be charted or sorted on as a channel; text, memo, date and binary columns (a
/// session log's "Memo", "Formulas", "Date") and unknown names cannot.
bool isChartableColumn(const RecordTable &table, const QString &name);

} // namespace zel
