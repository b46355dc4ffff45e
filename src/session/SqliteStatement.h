#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

struct sqlite3_stmt;

namespace zel {

class SqliteDatabase;

/// One prepared SQLite statement; finalised on destruction.
class SqliteStatement
{
public:
    /// Prepares \a sql on \a db; throws RecordTableError on failure.
    SqliteStatement(SqliteDatabase &db, const char *sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    /// Binds an integer to parameter \a index (1-based).
    void bindInt(int index, int64_t value);
    /// Binds UTF-8 text.
    void bindText(int index, const QString &value);
    /// Binds bytes without copying; they must stay alive until step() has run.
    void bindBlob(int index, const void *data, size_t size);
    /// Binds a blob of \a size zero bytes, to be filled afterwards through incremental blob
    /// I/O without SQLite building the whole value in memory first.
    void bindZeroBlob(int index, size_t size);
    /// Binds NULL.
    void bindNull(int index);
    /// Runs one step: true while a row is available, false when done; throws on error.
    bool step();
    /// Makes the statement ready to run again with new bindings.
    void reset();

    /// The SQLite type code (SQLITE_INTEGER, SQLITE_TEXT, ...) of result column \a col.
    int columnType(int col) const;
    /// Result column as an integer.
    int64_t columnInt(int col) const;
    /// Result column as UTF-8 text.
    QString columnText(int col) const;
    /// Result column's bytes (valid until the next step); null for an empty blob.
    const unsigned char *columnBlob(int col) const;
    /// Byte length of the result column.
    size_t columnBytes(int col) const;

private:
    SqliteDatabase &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace zel
