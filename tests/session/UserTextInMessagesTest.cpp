// Names, filters and paths are user or file text: a "%1" in them is shown as it is, never
// taken for a place of a later value of the message.
#include "session/RecordTable.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace zel;

namespace {

void tamper(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

} // namespace

TEST(UserTextInMessages, PercentSignsReachTheMessageUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("run%2.kro"));
    {
        RecordTable saved;
        saved.addColumn(QStringLiteral("Block%1"), ColumnType::Bytes, 3);
        saved.saveToFile(file);
        tamper(file, "UPDATE table_columns SET size=0");
    }

    RecordTable table;
    table.addColumn(QStringLiteral("Lap%1"), ColumnType::Integer);
    table.open();

    struct Case
    {
        std::function<void()> action;
        QString message;
    };
    const Case cases[] = {
        { [&] { RecordTable().loadFromFile(file); },
            file + QStringLiteral(": column 'Block%1' has the invalid size 0") },
        { [] { RecordTable().addColumn(QStringLiteral("Speed%1"), ColumnType::Text, 0); },
            QStringLiteral("Column 'Speed%1' needs a size from 1 to ")
                + QString::number(kMaxColumnSize) },
        { [&] {
             table.setFiltered(true);
             table.setFilter(QStringLiteral("Name%1 = 1"));
         },
            QStringLiteral(
                "Invalid filter \"Name%1 = 1\": '=' expected after column 'Name' at position 5") },
        { [&] {
             table.Locate(QStringLiteral("Lap%1"), { 1, 2 });
         },
            QStringLiteral("Locate on \"Lap%1\" needs 1 values, got 2") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        try {
            c.action();
            ADD_FAILURE() << "no error";
        } catch (const RecordTableError &e) {
            EXPECT_EQ(e.message().toStdString(), c.message.toStdString());
        }
    }
}
