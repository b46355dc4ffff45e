#include "session/SqliteStatement.h"

#include "session/SqliteDatabase.h"

#include <sqlite3.h>

namespace zel {

SqliteStatement::SqliteStatement(SqliteDatabase &db, const char *sql)
    : m_db(db)
{
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        db.fail(QString::fromUtf8(sql));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bindInt(int index, int64_t value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_db.fail(QStringLiteral("binding a value"));
}

void SqliteStatement::bindText(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
            SQLITE_TRANSIENT, SQLITE_UTF8)
        != SQLITE_OK)
        m_db.fail(QStringLiteral("binding a value"));
}

void SqliteStatement::bindBlob(int index, const void *data, size_t size)
{
    // A null pointer would bind NULL; an empty blob must stay a blob.
    const int rc = size == 0
        ? sqlite3_bind_zeroblob(m_stmt, index, 0)
        : sqlite3_bind_blob64(m_stmt, index, data, sqlite3_uint64(size), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        m_db.fail(QStringLiteral("binding a value"));
}

void SqliteStatement::bindZeroBlob(int index, size_t size)
{
    if (sqlite3_bind_zeroblob64(m_stmt, index, sqlite3_uint64(size)) != SQLITE_OK)
        m_db.fail(QStringLiteral("binding a value"));
}

void SqliteStatement::bindNull(int index)
{
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        m_db.fail(QStringLiteral("binding a value"));
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail(QString::fromUtf8(sqlite3_sql(m_stmt)));
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int SqliteStatement::columnType(int col) const
{
    return sqlite3_column_type(m_stmt, col);
}

int64_t SqliteStatement::columnInt(int col) const
{
    return sqlite3_column_int64(m_stmt, col);
}

QString SqliteStatement::columnText(int col) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, col));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, col));
}

const unsigned char *SqliteStatement::columnBlob(int col) const
{
    return static_cast<const unsigned char *>(sqlite3_column_blob(m_stmt, col));
}

size_t SqliteStatement::columnBytes(int col) const
{
    return size_t(sqlite3_column_bytes(m_stmt, col));
}

} // namespace zel
