#include "session/SqliteDatabase.h"

#include "session/RecordTableError.h"

#include <sqlite3.h>

namespace zel {

SqliteDatabase::SqliteDatabase(const QString &fileName, int flags, const QString &context)
    : m_context(context)
{
    const int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                    : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw RecordTableError(QStringLiteral("%1 (%2)").arg(context, reason));
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close(m_db);
}

void SqliteDatabase::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sql));
}

void SqliteDatabase::makeDefensive()
{
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    exec("PRAGMA trusted_schema=OFF");
}

void SqliteDatabase::fail(const QString &what) const
{
    throw RecordTableError(QStringLiteral("%1 (%2: %3)")
                               .arg(m_context, what, QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void SqliteDatabase::close()
{
    sqlite3 *db = m_db;
    m_db = nullptr;
    if (sqlite3_close(db) != SQLITE_OK) {
        // Unfinalised statements keep it open; the destructor of the last one cannot help.
        sqlite3_close_v2(db);
        throw RecordTableError(QStringLiteral("%1 (closing the database)").arg(m_context));
    }
}

} // namespace zel
