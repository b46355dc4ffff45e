#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace zel;

namespace {

QByteArray le32(int32_t v)
{
    return QByteArray(reinterpret_cast<const char *>(&v), 4);
}

QByteArray le64(double v)
{
    return QByteArray(reinterpret_cast<const char *>(&v), 8);
}

// Runs SQL on a saved file, as a hostile or careless tool would.
void tamper(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// Reads one blob (or reports NULL) from a saved file.
std::optional<QByteArray> readBlob(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    std::optional<QByteArray> result;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, 0));
        result = QByteArray(data, sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class TableFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // Every column type, with an empty cell in each and a NaN real.
    static void fillAllTypes(RecordTable &table)
    {
        table.addColumn("Int", ColumnType::Integer);
        table.addColumn("Word", ColumnType::LongWord);
        table.addColumn("Real", ColumnType::Real);
        table.addColumn("Track Condition", ColumnType::Text, 8);
        table.addColumn("When", ColumnType::DateTime);
        table.addColumn("Day", ColumnType::Date);
        table.addColumn("Flag", ColumnType::Boolean);
        table.addColumn("Memo", ColumnType::Memo);
        table.addColumn("Blob", ColumnType::Blob);
        table.addColumn("Block", ColumnType::Bytes, 3);
        table.addIndex("LapTimes", "Int; Real");
        table.addIndex("ByDay", "Day");
        table.open();
        table.Append();
        table.field(0).setInteger(-7);
        table.field(1).setInteger(4000000000LL);
        table.field(2).setReal(std::nan(""));
        table.field(3).setText(QString::fromUtf8("Grüße"));
        table.field(4).setDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
        table.field(5).setDateTime(QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
        table.field(6).setBoolean(true);
        table.field(7).setText(QString(300, QLatin1Char('m')));
        table.field(8).setBytes(QByteArray("\0\1\2\xff", 4));
        table.field(9).setBytes("xyz");
        table.Post();
        table.Append(); // all empty
        table.Post();
        table.Append();
        table.field(0).setInteger(0); // zero, not empty
        table.field(2).setReal(-0.0);
        table.field(6).setBoolean(false);
        table.Post();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(TableFileTest, RoundTripKeepsColumnsIndexesAndEveryCell)
{
    RecordTable saved;
    fillAllTypes(saved);
    saved.saveToFile(path("all.kro"));

    RecordTable loaded;
    loaded.addColumn("Old", ColumnType::Real);
    loaded.open();
    loaded.Append();
    loaded.Post();
    loaded.loadFromFile(path("all.kro"));
    EXPECT_TRUE(loaded.isOpen());
    ASSERT_EQ(loaded.columnCount(), saved.columnCount());
    for (int c = 0; c < saved.columnCount(); ++c)
        EXPECT_EQ(loaded.column(c), saved.column(c));
    EXPECT_EQ(loaded.findColumn("Old"), -1);
    EXPECT_EQ(loaded.indexes(), saved.indexes());
    ASSERT_EQ(loaded.rowCount(), 3);

    for (saved.First(), loaded.First(); !saved.eof(); saved.Next(), loaded.Next()) {
        for (int c = 0; c < saved.columnCount(); ++c) {
            EXPECT_EQ(loaded.field(c).isNull(), saved.field(c).isNull()) << c;
            EXPECT_EQ(loaded.field(c).asText(), saved.field(c).asText()) << c;
        }
    }
    const int real = loaded.columnIndex("Real");
    uint64_t savedBits = 0;
    uint64_t loadedBits = 0;
    std::memcpy(&savedBits, &saved.reals(real)[0], 8);
    std::memcpy(&loadedBits, &loaded.reals(real)[0], 8);
    EXPECT_EQ(loadedBits, savedBits); // NaN bit for bit
    EXPECT_TRUE(std::signbit(loaded.numberAt(real, 2)));
    EXPECT_FALSE(loaded.isNullAt(0, 2));
    EXPECT_TRUE(loaded.isNullAt(0, 1));
    EXPECT_EQ(loaded.numberAt(0, 1), 0.0);
}

TEST_F(TableFileTest, SavedLayoutIsByteExact)
{
    RecordTable table;
    table.addColumn("I", ColumnType::Integer);
    table.addColumn("R", ColumnType::Real);
    table.addColumn("T", ColumnType::Text, 4);
    table.addColumn("B", ColumnType::Boolean);
    table.addIndex("ByI", "I;R");
    table.open();
    const auto add = [&](QVariant i, QVariant r, QString t, bool b) {
        table.Append();
        if (i.isValid())
            table.field(0).setInteger(i.toLongLong());
        if (r.isValid())
            table.field(1).setReal(r.toDouble());
        table.field(2).setText(t);
        table.field(3).setBoolean(b);
        table.Post();
    };
    add(1, 1.5, "ab", true);
    add(QVariant(), -2.0, "", false);
    add(-2, QVariant(), QString::fromUtf8("é"), true);
    table.setFilter("I = 1");
    table.setFiltered(true); // saving ignores the filter
    const QString file = path("tiny.kro");
    table.saveToFile(file);

    EXPECT_EQ(readBlob(file, "SELECT CAST(value AS BLOB) FROM table_info WHERE key='format'"),
        QByteArray("zel-table"));
    EXPECT_EQ(readBlob(file,
                  "SELECT CAST(value AS BLOB) FROM table_info WHERE key='row_count' "
                  "AND typeof(value)='integer'"),
        QByteArray("3"));
    EXPECT_EQ(readBlob(file, "SELECT CAST(user_version AS BLOB) FROM pragma_user_version"),
        QByteArray("1"));
    EXPECT_EQ(readBlob(file,
                  "SELECT CAST(name || '|' || type || '|' || size AS BLOB) FROM table_columns "
                  "WHERE position=2"),
        QByteArray("T|text|4"));
    EXPECT_EQ(readBlob(file, "SELECT data FROM table_columns WHERE position=0"),
        le32(1) + le32(0) + le32(-2));
    EXPECT_EQ(readBlob(file, "SELECT empties FROM table_columns WHERE position=0"),
        QByteArray("\x02", 1));
    EXPECT_EQ(readBlob(file, "SELECT data FROM table_columns WHERE position=1"),
        le64(1.5) + le64(-2.0) + le64(0.0));
    EXPECT_EQ(readBlob(file, "SELECT empties FROM table_columns WHERE position=1"),
        QByteArray("\x04", 1));
    EXPECT_EQ(readBlob(file, "SELECT data FROM table_columns WHERE position=2"),
        le32(2) + "ab" + le32(0) + le32(2) + "\xc3\xa9");
    EXPECT_EQ(readBlob(file, "SELECT data FROM table_columns WHERE position=3"),
        QByteArray("\x01\x00\x01", 3));
    EXPECT_EQ(readBlob(file, "SELECT empties FROM table_columns WHERE position=3"), std::nullopt);
    EXPECT_EQ(readBlob(file,
                  "SELECT CAST(name || '|' || fields AS BLOB) FROM table_indexes WHERE position=0"),
        QByteArray("ByI|I;R"));
}

TEST_F(TableFileTest, SavingWhileFilteredWritesEveryRowAndNoFilter)
{
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Integer);
    table.open();
    for (int type : { 2, 1, 1 }) {
        table.Append();
        table.field(0).setInteger(type);
        table.Post();
    }
    table.setFilter("RecordType = 1");
    table.setFiltered(true);
    ASSERT_EQ(table.recordCount(), 2);
    table.saveToFile(path("log.kro"));

    RecordTable loaded;
    loaded.loadFromFile(path("log.kro"));
    EXPECT_FALSE(loaded.filtered());
    ASSERT_EQ(loaded.recordCount(), 3);
    EXPECT_EQ(loaded.field(0).asInteger(), 2); // the header row survives

    // A table that is filtered when loading applies its filter to the new rows.
    table.loadFromFile(path("log.kro"));
    EXPECT_EQ(table.recordCount(), 2);
}

TEST_F(TableFileTest, HostileFilesRaiseClearErrorsAndLeaveTheTableAsItWas)
{
    struct Case
    {
        const char *sql; // applied to a valid file; nullptr: the file is not SQLite at all
        const char *reason;
    };
    const Case cases[] = {
        { nullptr, "not a ZEL table file" },
        { "UPDATE table_info SET value='other' WHERE key='format'", "not a ZEL table file" },
        { "DROP TABLE table_indexes", "not a ZEL table file" },
        { "PRAGMA user_version=2", "version 2" },
        { "UPDATE table_info SET value='3' WHERE key='row_count'", "row count" },
        { "UPDATE table_info SET value=2000000000 WHERE key='row_count'", "need" },
        { "UPDATE table_info SET value=4 WHERE key='row_count'", "need" },
        { "UPDATE table_columns SET data=substr(data,1,16) WHERE name='Real'", "16 bytes" },
        { "UPDATE table_columns SET data=X'0100000041FFFFFF7F4142434445' WHERE name='Memo'",
            "past the end" },
        { "UPDATE table_columns SET data=X'FFFFFFFF' WHERE name='Blob'", "too short" },
        { "UPDATE table_columns SET data=X'020000' WHERE name='Flag'", "not a boolean" },
        { "UPDATE table_columns SET empties=X'0000' WHERE name='Int'", "empty-cell map" },
        { "UPDATE table_columns SET empties='x' WHERE name='Int'", "wrong type" },
        { "UPDATE table_columns SET position=20 WHERE name='Word'", "positions" },
        { "UPDATE table_columns SET type='float' WHERE name='Real'", "unknown type" },
        { "UPDATE table_columns SET size=0 WHERE name='Block'", "invalid size" },
        { "UPDATE table_columns SET size=2 WHERE name='Track Condition'", "longer than" },
        { "UPDATE table_columns SET name='INT' WHERE name='Word'", "twice" },
        { "UPDATE table_indexes SET fields='Int;Nope' WHERE name='LapTimes'", "Nope" },
        { "DELETE FROM table_columns", "no columns" },
    };
    RecordTable valid;
    fillAllTypes(valid);
    valid.saveToFile(path("valid.kro"));

    RecordTable table;
    table.addColumn("Keep", ColumnType::Text, 10);
    table.addIndex("K", "Keep");
    table.open();
    table.Append();
    table.field(0).setText("mine");
    table.Post();
    int n = 0;
    for (const Case &c : cases) {
        const QString file = path(QStringLiteral("bad%1.kro").arg(n++));
        if (c.sql) {
            QFile::copy(path("valid.kro"), file);
            tamper(file, c.sql);
        } else {
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write("RecordType,Lap_Number\n1,2\n");
        }
        try {
            table.loadFromFile(file);
            ADD_FAILURE() << "accepted: " << (c.sql ? c.sql : "text file");
        } catch (const RecordTableError &error) {
            EXPECT_TRUE(error.message().startsWith(file)) << error.what();
            EXPECT_TRUE(error.message().contains(QLatin1String(c.reason))) << error.what();
        }
        ASSERT_EQ(table.columnCount(), 1);
        EXPECT_EQ(table.column(0).name, "Keep");
        EXPECT_EQ(table.indexes().size(), 1u);
        EXPECT_EQ(table.rowCount(), 1);
        EXPECT_EQ(table.field(0).asText(), "mine");
    }
    EXPECT_THROW(table.loadFromFile(path("missing.kro")), RecordTableError);
    EXPECT_THROW(table.loadFromFile(dir.path()), RecordTableError);
    QFile empty(path("empty.kro"));
    empty.open(QIODevice::WriteOnly);
    empty.close();
    EXPECT_THROW(table.loadFromFile(path("empty.kro")), RecordTableError);
    EXPECT_EQ(table.field(0).asText(), "mine");
}

TEST_F(TableFileTest, OddFileNamesLoad)
{
    RecordTable table;
    fillAllTypes(table);
    const QString file = path("lap 3 #1?%20.kro");
    table.saveToFile(file);
    RecordTable loaded;
    loaded.loadFromFile(file);
    EXPECT_EQ(loaded.rowCount(), 3);
}

TEST_F(TableFileTest, FailedSavesLeaveNothingBehind)
{
    RecordTable table;
    table.addColumn("R", ColumnType::Real);
    table.open();
    for (int i = 0; i < 50000; ++i) {
        table.Append();
        table.field(0).setReal(i);
        table.Post();
    }

    // A missing folder: error, and nothing is created.
    const QString missing = path("no-such-folder/log.kro");
    EXPECT_THROW(table.saveToFile(missing), RecordTableError);
    EXPECT_FALSE(QFileInfo::exists(path("no-such-folder")));

    // A write that fails half-way (file size limit): the old file stays as it was.
    const QString target = path("log.kro");
    {
        QFile old(target);
        old.open(QIODevice::WriteOnly);
        old.write("previous contents");
    }
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_THROW(table.saveToFile(target), RecordTableError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    QFile old(target);
    old.open(QIODevice::ReadOnly);
    EXPECT_EQ(old.readAll(), QByteArray("previous contents"));
    EXPECT_EQ(folderEntries(dir.path()), QStringList { "log.kro" });

    // A target that cannot be replaced (a folder): error, no temporary file left.
    QDir(dir.path()).mkdir("folder.kro");
    EXPECT_THROW(table.saveToFile(path("folder.kro")), RecordTableError);
    EXPECT_EQ(folderEntries(dir.path()), (QStringList { "folder.kro", "log.kro" }));

    // A save that succeeds replaces the old file and leaves only it.
    table.saveToFile(target);
    EXPECT_EQ(folderEntries(dir.path()), (QStringList { "folder.kro", "log.kro" }));
    RecordTable loaded;
    loaded.loadFromFile(target);
    EXPECT_EQ(loaded.rowCount(), 50000);
}

// A table this large loads into one shared memory area; rows added later outgrow it and
// must take every value along.
TEST_F(TableFileTest, LargeTablesLoadWholeAndGrowAfterwards)
{
    constexpr int kRows = 260000; // over 4 MiB of values
    RecordTable saved;
    saved.addColumn("Real", ColumnType::Real);
    saved.addColumn("Int", ColumnType::Integer);
    saved.addColumn("Flag", ColumnType::Boolean);
    saved.addColumn("Note", ColumnType::Text, 8);
    saved.open();
    for (int row = 0; row < kRows; ++row) {
        const double cells[] = { row * 0.5, double(-row), double(row % 2), 0 };
        const unsigned char present[] = { row % 7 != 0, 1, 1, 0 };
        saved.AppendNumbers(cells, present);
    }
    saved.saveToFile(path("large.kro"));

    RecordTable loaded;
    loaded.loadFromFile(path("large.kro"));
    loaded.Append();
    loaded.field(0).setReal(1.5);
    loaded.field(3).setText("last");
    loaded.Post();
    ASSERT_EQ(loaded.rowCount(), kRows + 1);
    for (int row = 0; row < kRows; ++row) {
        ASSERT_EQ(loaded.isNullAt(0, row), row % 7 == 0) << row;
        ASSERT_EQ(loaded.numberAt(0, row), row % 7 == 0 ? 0.0 : row * 0.5) << row;
        ASSERT_EQ(loaded.numberAt(1, row), -row) << row;
        ASSERT_EQ(loaded.numberAt(2, row), row % 2) << row;
        ASSERT_TRUE(loaded.isNullAt(3, row)) << row;
    }
    EXPECT_EQ(loaded.numberAt(0, kRows), 1.5);
    EXPECT_TRUE(loaded.isNullAt(1, kRows));
    EXPECT_EQ(loaded.column(3).name, "Note");
}
