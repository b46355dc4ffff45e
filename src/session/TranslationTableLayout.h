#pragma once

#include <QString>
#include <QStringList>

namespace zel {

class RecordTable;

/// The columns of a translation table as the translation grid reads and writes it and as
/// ".trn" files hold it: `RecId`, `RecordType`, `RowNumber`, `Description`, the gauge
/// columns up to `ColumnCount`, then 99 real point columns "Col_0" ... "Col_99", of which
/// "Col_3" was never part of the layout. Points are addressed by position from "Col_0", so
/// point 3 lives in "Col_4".
namespace TranslationTableLayout {

/// Record type of the two rows of a channel's translation table.
inline constexpr auto kAnalogueInput = "ANLINPUT";
/// Most points a translation table holds (the translation record's fixed arrays).
inline constexpr int kMaxPoints = 70;
/// Number of real point columns.
inline constexpr int kPointColumnCount = 99;

/// The names of the point columns, in table order.
QStringList pointColumnNames();

/// Adds every column of the layout, in order, to the closed table \a table.
void addColumns(RecordTable &table);

/// Gives \a table an integer column `ColumnCount` when it has none, keeping its rows (a
/// closed table is opened empty). A table read from an older ".trn" file may lack it.
void ensureColumnCount(RecordTable &table);

} // namespace TranslationTableLayout

} // namespace zel
