#include "ZelRun.h"
#include "logger/LoggerChannelCount.h"
#include "logger/RawLogWriter.h"
#include "logger/TMathsChannels.h"
#include "session/RecordTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class ZelImportTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeLog(const QString &name, int records)
    {
        RawLogWriter writer({ QStringLiteral("RPM"), QStringLiteral("Oil Temp.") });
        TLogRecord record {};
        for (int i = 1; i <= records; ++i) {
            record.RecordID = std::uint32_t(i);
            record.LapNumber = 1;
            record.ChannelData[0] = 1000.0f * float(i);
            record.ChannelData[1] = 0.1f;
            writer.appendRecord(record);
        }
        writer.save(path(name));
        return path(name);
    }

    // Every ".kro" file below the test folder, without regard to case.
    QStringList sessionFiles() const
    {
        QStringList files;
        QDirIterator it(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.endsWith(".kro", Qt::CaseInsensitive))
                files << QDir(m_dir.path()).relativeFilePath(file);
        }
        files.sort();
        return files;
    }

    static void expectOneLineFailure(const ZelRun &run)
    {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(u'\n'));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZelImportTest, ADemoCardImportsIntoItsCardFolderWithoutReplacingEarlierImports)
{
    const ZelRun demo = runZelCommand({ "demo", path("card") });
    ASSERT_EQ(demo.status, 0) << demo.err.toStdString();
    EXPECT_TRUE(demo.out.contains("Datalog1.Dsh"));

    const QStringList import { "import", path("card/Logs/Datalog1.Dsh"), "--card", path("card"),
        "--data", path("Data") };
    const ZelRun first = runZelCommand(import);
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, "Saved " + path("Data/DEMO/Datalog1.kro") + "\n");
    const ZelRun second = runZelCommand(import);
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, "Saved " + path("Data/DEMO/Datalog1 (2).kro") + "\n");

    RecordTable table;
    table.loadFromFile(path("Data/DEMO/Datalog1.kro"));
    EXPECT_EQ(table.columnCount(), 30 + 47);
    EXPECT_EQ(table.column(30).name, "KRO_Analogue_1");
    EXPECT_GT(table.rowCount(), 1000);
}

TEST_F(ZelImportTest, PercentSignsInALogNameStayInTheSessionFileNames)
{
    const QString log = writeLog("lap%1.Dsh", 3);
    const QStringList import { "import", log, "--data", path("Data") };
    EXPECT_EQ(runZelCommand(import).out, "Saved " + path("Data/lap%1.kro") + "\n");
    EXPECT_EQ(runZelCommand(import).out, "Saved " + path("Data/lap%1 (2).kro") + "\n");
}

TEST_F(ZelImportTest, OutputIsReplacedOnlyWhenAskedTo)
{
    const QString log = writeLog("run.Dsh", 3);
    QFile existing(path("out.kro"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();

    const ZelRun refused
        = runZelCommand({ "import", log, "-o", path("out.kro"), "--data", path("Data") });
    expectOneLineFailure(refused);
    EXPECT_TRUE(refused.err.contains("--overwrite"));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "old");
    existing.close();

    const ZelRun replaced = runZelCommand({ "import", log, "-o", path("out.kro"), "--overwrite" });
    ASSERT_EQ(replaced.status, 0) << replaced.err.toStdString();
    RecordTable table;
    table.loadFromFile(path("out.kro"));
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.column(31).name, "Oil_Temp");
}

TEST_F(ZelImportTest, EveryFailureExitsWithOneLineAndLeavesNoSessionFile)
{
    writeLog("run.Dsh", 3);
    QFile text(path("notes.Dsh"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a raw log\n");
    text.close();
    // A saved table and a CSV text renamed to ".Dsh" are long enough to hold a header.
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Integer);
    table.saveToFile(path("table.Dsh"));
    QFile csv(path("csv.Dsh"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    for (int row = 0; row < 1000; ++row)
        csv.write("RecordType,GPSLat,GPSLong\n1,52000000,4000000\n");
    csv.close();

    const QList<QStringList> cases {
        { "import", path("missing.Dsh"), "--data", path("Data") },
        { "import", path("notes.Dsh"), "--data", path("Data") },
        { "import", path("table.Dsh"), "--data", path("Data") },
        { "import", path("csv.Dsh"), "--data", path("Data") },
        { "import", path("run.Dsh"), "-o", path("no/such/folder/out.kro") },
        // Folders that cannot be made: a file stands where they would go.
        { "import", path("run.Dsh"), "--data", path("notes.Dsh") },
        { "import", path("run.Dsh"), "-o", path("notes.Dsh/out.kro") },
        { "import", path("run.Dsh"), "--card", path("nocard") },
        { "import" },
        { "import", path("run.Dsh"), "--bogus" },
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        expectOneLineFailure(runZelCommand(args));
    }
    EXPECT_EQ(sessionFiles(), QStringList());
}

TEST_F(ZelImportTest, ASplitImportReportsEveryPart)
{
    // A "%2" in the log name stays as it is in the names of the parts.
    const QString log = writeLog("big%2.Dsh", 180001);
    const ZelRun run = runZelCommand({ "import", log, "--data", path("Data") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
        "Saved " + path("Data/big%2_1.KRO") + "\nSaved " + path("Data/big%2_2.KRO") + "\n");
    EXPECT_TRUE(run.err.startsWith("This log is very large and will be split into sections\n"));
    EXPECT_TRUE(run.err.contains("Split number 1 saved.\n"));
    EXPECT_TRUE(run.err.contains("It is saved and split into 2 Sections"));
}

// Channel columns of a session log: every column after the fixed ones.
static QStringList channelColumnsOf(const QString &file)
{
    RecordTable table;
    table.loadFromFile(file);
    QStringList names;
    for (int i = 30; i < table.columnCount(); ++i)
        names << table.column(i).name;
    return names;
}

TEST_F(ZelImportTest, DamagedSettingsNeverDropALoggedChannel)
{
    ASSERT_EQ(runZelCommand({ "demo", path("card") }).status, 0);
    const QString settingsFile = path("card/Data/Settings.prm");
    QFile file(settingsFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    const auto withCodes = [&](char feature, char ecuMake) {
        QByteArray bytes = whole;
        bytes[283] = feature;
        bytes[285] = ecuMake;
        return bytes;
    };
    const struct
    {
        const char *what;
        QByteArray settings;
        bool warned;
    } cases[] = {
        { "whole", whole, false },
        { "empty", QByteArray(), true },
        { "100 bytes", whole.left(100), true },
        { "unknown dash and ECU", withCodes(char(200), char(200)), true },
        { "unknown ECU", withCodes(3, char(200)), true },
    };
    QStringList logged;
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile settings(settingsFile);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write(c.settings);
        settings.close();
        const QString out = path(QStringLiteral("out%1.kro").arg(++n));
        const ZelRun run = runZelCommand(
            { "import", path("card/Logs/Datalog1.Dsh"), "--card", path("card"), "-o", out });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.err.contains(settingsFile), c.warned) << run.err.toStdString();
        const QStringList columns = channelColumnsOf(out);
        if (logged.isEmpty())
            logged = columns;
        EXPECT_EQ(columns, logged);
    }
    ASSERT_EQ(logged.size(), 47);
    EXPECT_EQ(logged.first(), "KRO_Analogue_1");
}

TEST_F(ZelImportTest, AMathsChannelWithoutANameIsSkippedNamingItsRecord)
{
    ASSERT_EQ(runZelCommand({ "demo", path("card") }).status, 0);
    const QString mathsFile = path("card/Data/Maths.prm");
    {
        TMathsChannels maths;
        maths.setMathsFileName(mathsFile);
        maths.CreateMathsTables();
        maths.AddFormula("Double", "ECU_RPM * 2");
        maths.AddFormula("", "1");
        maths.AddFormula("   ", "2");
        maths.AddFormula("Three", "3");
        maths.CloseMathsTables();
    }
    const ZelRun run = runZelCommand({ "import", path("card/Logs/Datalog1.Dsh"), "--card",
        path("card"), "-o", path("out.kro") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    for (const int record : { 2, 3 }) {
        EXPECT_TRUE(
            run.err.contains(QStringLiteral("record %1 of \"%2\"").arg(record).arg(mathsFile)))
            << run.err.toStdString();
    }
    RecordTable log;
    log.loadFromFile(path("out.kro"));
    ASSERT_EQ(log.columnCount(), 30 + 47 + 2);
    EXPECT_EQ(log.column(30 + 47).name, "Double");
    EXPECT_EQ(log.column(30 + 48).name, "Three");
    EXPECT_EQ(log.numberAt(30 + 48, 1), 3.0);
}
