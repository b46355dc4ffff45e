#include "ZelRun.h"
#include "common/DateTimeValue.h"
#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
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
