#pragma once

#include <QString>

struct sqlite3;

namespace zel {

/// Owns one SQLite connection; closes it on destruction. Failures throw RecordTableError
/// whose message is the given context (such as "<file>: cannot save") followed by the step
/// that failed and SQLite's own reason.
class SqliteDatabase
{
public:
    /// Opens \a fileName (a path, or a "file:" URI when \a flags hold SQLITE_OPEN_URI).
    SqliteDatabase(const QString &fileName, int flags, const QString &context);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    /// Runs one or more statements without results.
    void exec(const char *sql);
    /// Hardens the connection for reading a file of unknown origin: defensive mode, no
    /// extension loading, no functions from the schema.
    void makeDefensive();
    /// The raw handle, for statements.
    sqlite3 *handle() const { return m_db; }
    /// Throws the current SQLite error, prefixed by the context.
    [[noreturn]] void fail(const QString &what) const;
    /// Closes the connection now, reporting a failure to close.
    void close();

private:
    sqlite3 *m_db = nullptr;
    QString m_context;
};

} // namespace zel
