#pragma once

#include "session/TableData.h"

#include <QString>

namespace zel {

/// Reads and writes saved record tables: one SQLite database per file with the tables
/// table_info, table_columns (values of a whole column as one blob) and table_indexes.
class TableFile
{
public:
    /// Writes \a data to \a path atomically: a temporary file in the same folder is written,
    /// flushed to disk and renamed over the target. On failure nothing is left behind and
    /// an existing target is untouched. Throws RecordTableError naming the file.
    static void save(const QString &path, const TableData &data);

    /// Reads the table in \a path, which may come from anywhere: the database is opened
    /// read-only and hardened, and every length, type and position is checked before use.
    /// Throws RecordTableError naming the file and the reason.
    static TableData load(const QString &path);
};

} // namespace zel
