#pragma once

#include "common/AtomicFile.h"
#include "session/TableData.h"

#include <QString>
#include <functional>

namespace zel {

/// Reads and writes saved record tables: one SQLite database per file with the tables
/// table_info, table_columns (values of a whole column as one blob) and table_indexes.
class TableFile
{
public:
    /// Writes \a data to \a path atomically (see AtomicFile): on failure nothing is left
    /// behind and an existing target is untouched. Throws RecordTableError naming the file,
    /// or FileExistsError when \a placement is NoReplace and the name is taken.
    static void save(const QString &path, const TableData &data,
        AtomicFile::Placement placement = AtomicFile::Placement::Replace);

    /// Writes \a data once and puts it under the first name \a nextName gives that no file
    /// holds at that moment, asking \a nextName again after every name found taken (by
    /// another program racing for it, say); returns the name used. Throws RecordTableError.
    static QString saveUnderFreeName(
        const TableData &data, const std::function<QString()> &nextName);

    /// Reads the table in \a path, which may come from anywhere: the database is opened
    /// read-only and hardened, and every length, type and position is checked before use.
    /// Throws RecordTableError naming the file and the reason.
    static TableData load(const QString &path);
};

} // namespace zel
