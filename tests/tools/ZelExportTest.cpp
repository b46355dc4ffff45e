#include "ZelRun.h"
#include "common/DateTimeValue.h"
#include "common/Error.h"
#include "session/NumberText.h"
#include "session/RecordTable.h"
#include "tools/zel/CsvTableWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;

namespace {

class ZelExportTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QByteArray contents(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }

    static void expectOneLineFailure(const ZelRun &run)
    {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
    }

    // A small session log: a header row and two data rows.
    QString writeSession()
    {
        RecordTable table;
        table.addColumn("RecordType", ColumnType::Integer);
        table.addColumn("ReadingID", ColumnType::Integer);
        table.addColumn("Driver", ColumnType::Text, 50);
        table.addColumn("Oil Temp", ColumnType::Real);
        table.addColumn("LapID", ColumnType::LongWord);
        table.open();
        const struct
        {
            int type;
            int reading;
            const char *driver;
            double oil;
            double lapId;
        } rows[] = { { 2, 0, "Ann, \"the\" driver", 0, 0 }, { 1, 1, "", 0.1f, 4000000000.0 },
            { 1, 2, "", -2.5, 7 } };
        for (const auto &r : rows) {
            table.Append();
            table.field(0).setInteger(r.type);
            table.field(1).setInteger(r.reading);
            table.field(2).setText(r.driver);
            if (r.type == 1) {
                table.field(3).setReal(r.oil);
                table.field(4).setReal(r.lapId);
            }
            table.Post();
        }
        table.saveToFile(path("run.kro"));
        return path("run.kro");
    }

    static constexpr char kCsv[] = "RecordType,ReadingID,Driver,Oil Temp,LapID\n"
                                   "1,1,,0.10000000149011612,4000000000\n"
                                   "1,2,,-2.5,7\n";

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZelExportTest, WritesDataRowsWithColumnNamesAtFullPrecision)
{
    const QString table = writeSession();
    const ZelRun run = runZelCommand({ "export", table, "--csv", path("run.csv") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(contents(path("run.csv")), kCsv);

    QFile::remove(path("run.csv"));
    expectOneLineFailure(runZelCommand({ "export", path("missing.kro"), "--csv", path("run.csv") }));
    expectOneLineFailure(runZelCommand({ "export", table, "--csv", path("no/such/run.csv") }));
    expectOneLineFailure(runZelCommand({ "export", table }));
    expectOneLineFailure(runZelCommand({ "export", table, "--csv", "" }));
    EXPECT_FALSE(QFileInfo::exists(path("run.csv")));
}

TEST_F(ZelExportTest, NeverReplacesTheTableAFileNotAskedForOrAnythingButAFile)
{
    const QString table = writeSession();
    const QByteArray saved = contents(table);
    QFile raw(path("run.Dsh"));
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write("raw log bytes");
    raw.close();
    ASSERT_TRUE(QFile::link(table, path("link.kro")));
    ASSERT_EQ(::link(QFile::encodeName(table).constData(),
                  QFile::encodeName(path("hard.kro")).constData()),
        0);
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));

    const QList<QStringList> refused {
        { "export", table, "--csv", table },
        { "export", table, "--csv", table, "--overwrite" },
        { "export", table, "--csv", path("link.kro"), "--overwrite" },
        { "export", table, "--csv", path("hard.kro"), "--overwrite" },
        { "export", table, "--csv", path("run.Dsh") },
        { "export", table, "--csv", path("pipe"), "--overwrite" },
        { "export", table, "--csv", path("folder"), "--overwrite" },
    };
    for (const QStringList &args : refused) {
        SCOPED_TRACE(args.join(' ').toStdString());
        expectOneLineFailure(runZelCommand(args));
    }
    EXPECT_EQ(contents(table), saved);
    EXPECT_EQ(contents(path("run.Dsh")), "raw log bytes");
    EXPECT_TRUE(QFileInfo(path("pipe")).exists() && !QFileInfo(path("pipe")).isFile());

    const ZelRun replaced
        = runZelCommand({ "export", table, "--csv", path("run.Dsh"), "--overwrite" });
    ASSERT_EQ(replaced.status, 0) << replaced.err.toStdString();
    EXPECT_EQ(contents(path("run.Dsh")), kCsv);
}

TEST_F(ZelExportTest, ADashWritesToStandardOutput)
{
    const ZelRun run = runZelCommand({ "export", writeSession(), "--csv", "-" });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kCsv);
    EXPECT_EQ(run.err, "Exported 2 rows\n");
    EXPECT_FALSE(QFileInfo::exists("-"));
}

TEST_F(ZelExportTest, NumbersThatAreNotFiniteAndDatesWithoutADateText)
{
    RecordTable table;
    table.addColumn("Value", ColumnType::Real);
    table.addColumn("When", ColumnType::DateTime);
    table.open();
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double value;
        double days;
    } rows[] = {
        { std::nan(""), daysFromDateTime(QDateTime(QDate(2026, 5, 1), QTime(14, 30))) },
        { inf, -700000.0 }, // before the year 1
        { -inf, 3000000.0 }, // after the year 9999
        { 1.5, 1.0e12 }, // beyond any calendar
    };
    for (const auto &r : rows) {
        table.Append();
        table.field(0).setReal(r.value);
        table.field(1).setReal(r.days);
        table.Post();
    }
    table.saveToFile(path("t.kro"));

    const ZelRun run = runZelCommand({ "export", path("t.kro"), "--csv", "-" });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Value,When\nnan,2026-05-01 14:30:00\ninf,\n-inf,\n1.5,\n");
}

namespace {

QByteArray quotedField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n')
        && !bytes.contains('\r'))
        return bytes;
    return '"' + bytes.replace("\"", "\"\"") + '"';
}

// A cell as the export writes it, worked out through the table's own text of it.
QByteArray expectedCell(const RecordTable &table, int column, int row)
{
    if (table.isNullAt(column, row))
        return {};
    const double number = table.numberAt(column, row);
    switch (table.column(column).type) {
    case ColumnType::Real:
        if (std::isnan(number))
            return "nan";
        if (std::isinf(number))
            return number < 0 ? "-inf" : "inf";
        return textFromNumber(number).toUtf8();
    case ColumnType::Boolean:
        return number != 0 ? "1" : "0";
    case ColumnType::DateTime: {
        const int year = dateTimeFromDays(number).date().year();
        return year >= 1 && year <= 9999 ? table.textAt(column, row).toUtf8() : QByteArray();
    }
    case ColumnType::Blob:
        return table.columnStore(column).asBytes(size_t(row)).toHex();
    default:
        return quotedField(table.textAt(column, row));
    }
}

} // namespace

// Some 3 MB of CSV, written a piece at a time: every kind of cell, texts that need quotes or
// hold characters of several bytes, empty cells, and a byte cell longer than a piece.
TEST_F(ZelExportTest, CellsOfEveryKindMatchTheirTextAcrossManyPieces)
{
    RecordTable table;
    table.addColumn("Real", ColumnType::Real);
    table.addColumn("Integer", ColumnType::Integer);
    table.addColumn("LongWord", ColumnType::LongWord);
    table.addColumn("Boolean", ColumnType::Boolean);
    table.addColumn("Note, \"quoted\"", ColumnType::Text, 255);
    table.addColumn("When", ColumnType::DateTime);
    table.addColumn("Blob", ColumnType::Blob);
    table.open();
    std::mt19937_64 random(7);
    const QString notes[]
        = { "", "plain", "comma, inside", "say \"hi\"", "two\nlines", "Zürich – 30 °C", "\r" };
    const double specials[] = { std::nan(""), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), -0.0, 5e-324 };
    for (int row = 0; row < 30000; ++row) {
        table.Append();
        if (row % 9 != 0) {
            const uint64_t bits = random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            table.field(0).setReal(row % 50 == 1 ? specials[row / 50 % 5] : value);
        }
        if (row % 7 != 0)
            table.field(1).setInteger(
                row == 1 ? std::numeric_limits<int32_t>::min() : int32_t(random()));
        table.field(2).setInteger(row == 2 ? 4294967295u : uint32_t(random()));
        table.field(3).setBoolean(row % 3 == 0);
        table.field(4).setText(notes[row % 7]);
        if (row % 1000 == 0)
            table.field(5).setReal(double(int64_t(random() % 7000000)) - 1000000.0 + 0.5);
        if (row == 20000)
            table.field(6).setBytes(QByteArray(700000, '\xab'));
        table.Post();
    }
    table.saveToFile(path("wide.kro"));

    QByteArray expected;
    for (int c = 0; c < table.columnCount(); ++c)
        expected += (c > 0 ? "," : "") + quotedField(table.column(c).name);
    expected += '\n';
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int c = 0; c < table.columnCount(); ++c)
            expected += (c > 0 ? "," : "") + expectedCell(table, c, row);
        expected += '\n';
    }
    ASSERT_GT(expected.size(), 2 << 20);

    const ZelRun toFile = runZelCommand({ "export", path("wide.kro"), "--csv", path("wide.csv") });
    ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();
    const QByteArray written = contents(path("wide.csv"));
    ASSERT_EQ(written.size(), expected.size());
    for (qsizetype at = 0; at < expected.size(); at += 4096) {
        ASSERT_EQ(written.mid(at, 4096), expected.mid(at, 4096)) << "at byte " << at;
    }
    const ZelRun toOutput = runZelCommand({ "export", path("wide.kro"), "--csv", "-" });
    ASSERT_EQ(toOutput.status, 0) << toOutput.err.toStdString();
    EXPECT_TRUE(toOutput.out.toUtf8() == expected);
}

// Output that cannot be written (a full disk) fails the command rather than being reported
// as exported, in-process and from the program itself.
TEST_F(ZelExportTest, StandardOutputThatCannotBeWrittenFails)
{
    const QString table = writeSession();
    QFile full("/dev/full");
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    QTextStream out(&full);
    QString errText;
    QTextStream err(&errText);
    EXPECT_EQ(zel::runZel({ "export", table, "--csv", "-" }, out, err), 1);
    err.flush();
    EXPECT_TRUE(errText.startsWith("zel export: ") && errText.count(u'\n') == 1)
        << errText.toStdString();

    QProcess zel;
    zel.setStandardOutputFile("/dev/full");
    zel.start(ZEL_BINARY, { "export", table, "--csv", "-" });
    ASSERT_TRUE(zel.waitForFinished(30000));
    EXPECT_EQ(zel.exitCode(), 1);
    const QString message = QString::fromUtf8(zel.readAllStandardError());
    EXPECT_TRUE(message.startsWith("zel export: ") && message.count(u'\n') == 1)
        << message.toStdString();
}

namespace {

// Some 54,000 data rows between header rows, in many blocks: numbers, texts that need quotes
// or hold characters of several bytes, and empty cells of each kind.
void fillDataAndHeaderRows(RecordTable &table)
{
    table.addColumn("RecordType", ColumnType::Integer);
    table.addColumn("Value", ColumnType::Real);
    table.addColumn("Note", ColumnType::Text, 50);
    table.addColumn("Flag", ColumnType::Boolean);
    table.addColumn("LapID", ColumnType::LongWord);
    table.open();
    const QString notes[] = { "", "plain", "a, b", "say \"hi\"", "two\nlines", "30 °C" };
    std::mt19937_64 random(11);
    for (int row = 0; row < 60000; ++row) {
        table.Append();
        table.field(0).setInteger(row % 10 == 0 ? 2 : 1);
        if (row % 13 != 0)
            table.field(1).setReal(std::ldexp(double(random() >> 11), int(random() % 80) - 60));
        table.field(2).setText(notes[row % 6]);
        if (row % 5 != 0)
            table.field(3).setBoolean(row % 3 == 0);
        if (row % 17 != 0)
            table.field(4).setInteger(uint32_t(random()));
        table.Post();
    }
    table.setFilter("RecordType = 1");
    table.setFiltered(true);
}

QByteArray expectedCsv(const RecordTable &table)
{
    QByteArray csv = "RecordType,Value,Note,Flag,LapID\n";
    for (int position = 0; position < table.recordCount(); ++position) {
        for (int c = 0; c < table.columnCount(); ++c)
            csv += (c > 0 ? "," : "") + expectedCell(table, c, table.viewRow(position));
        csv += '\n';
    }
    return csv;
}

} // namespace

// However many threads write the rows, the text is the same, in the view's order.
TEST_F(ZelExportTest, RowsWrittenOnManyThreadsGiveTheTextOfOne)
{
    RecordTable table;
    fillDataAndHeaderRows(table);
    const QByteArray expected = expectedCsv(table);
    for (const unsigned threads : { 1u, 2u, 3u, 8u }) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        QByteArray written;
        int pieces = 0;
        const int rows = CsvTableWriter(table, threads).write([&](QByteArrayView piece) {
            written += piece;
            ++pieces;
        });
        EXPECT_EQ(rows, 54000);
        EXPECT_GE(pieces, 10);
        ASSERT_EQ(written.size(), expected.size());
        for (qsizetype at = 0; at < expected.size(); at += 4096) {
            ASSERT_EQ(written.mid(at, 4096), expected.mid(at, 4096)) << "at byte " << at;
        }
    }
}

// Output that fails part of the way through stops the writing threads and fails the export:
// nothing is written after the failure, and the command returns rather than hangs.
TEST_F(ZelExportTest, OutputFailingPartOfTheWayStopsTheWriters)
{
    RecordTable table;
    fillDataAndHeaderRows(table);
    for (const unsigned threads : { 1u, 2u, 8u }) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        int pieces = 0;
        EXPECT_THROW(CsvTableWriter(table, threads).write([&](QByteArrayView) {
            if (++pieces == 5)
                throw FileError("disk full");
        }),
            FileError);
        EXPECT_EQ(pieces, 5);
    }

    table.saveToFile(path("big.kro"));
    QFile full("/dev/full");
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    QTextStream out(&full);
    QString errText;
    QTextStream err(&errText);
    EXPECT_EQ(zel::runZel({ "export", path("big.kro"), "--csv", "-" }, out, err), 1);
    err.flush();
    EXPECT_TRUE(errText.startsWith("zel export: ") && errText.count(u'\n') == 1)
        << errText.toStdString();

    QProcess zel;
    zel.setStandardOutputFile("/dev/full");
    zel.start(ZEL_BINARY, { "export", path("big.kro"), "--csv", "-" });
    ASSERT_TRUE(zel.waitForFinished(30000));
    EXPECT_EQ(zel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zel.exitCode(), 1);
}
