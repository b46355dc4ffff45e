#include "ZelRun.h"
#include "logger/LoggerChannelCount.h"
#include "logger/RawLogWriter.h"
#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class ZelImportOutputTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeLog(const QString &name, int records, float rpm = 1000.0f)
    {
        RawLogWriter writer({ QStringLiteral("RPM") });
        TLogRecord record {};
        for (int i = 1; i <= records; ++i) {
            record.RecordID = std::uint32_t(i);
            record.ChannelData[0] = rpm;
            writer.appendRecord(record);
        }
        writer.save(path(name));
        return path(name);
    }

    QStringList entries(const QString &folder) const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZelImportOutputTest, SplitPartsAreNamedAfterTheOutputAndNeverReplaceAFile)
{
    const QString log = writeLog("big.Dsh", 180001);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
    const ZelRun run = runZelCommand({ "import", log, "-o", path("out/session.kro") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
        "Saved " + path("out/session_1.KRO") + "\nSaved " + path("out/session_2.KRO") + "\n");
    EXPECT_EQ(entries("out"), (QStringList { "session_1.KRO", "session_2.KRO" }));

    const ZelRun again = runZelCommand({ "import", log, "-o", path("out/session.kro") });
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains("session_1.KRO")) << again.err.toStdString();
    EXPECT_EQ(entries("out"), (QStringList { "session_1.KRO", "session_2.KRO" }));

    const ZelRun replaced
        = runZelCommand({ "import", log, "-o", path("out/session.kro"), "--overwrite" });
    EXPECT_EQ(replaced.status, 0) << replaced.err.toStdString();
}

TEST_F(ZelImportOutputTest, EmptyValuesAreRefusedRatherThanReadAsTheProgramFolder)
{
    const QString log = writeLog("run.Dsh", 3);
    for (const char *option : { "-o", "--data", "--card" }) {
        SCOPED_TRACE(option);
        const ZelRun run = runZelCommand({ "import", log, option, "" });
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("usage")) << run.err.toStdString();
    }
}

TEST_F(ZelImportOutputTest, ImportsRunningAtOnceKeepEveryResult)
{
    // "run.1.Dsh" and "run.2.Dsh" both want "run.kro"; the logs differ so that every saved
    // file can be told apart.
    constexpr int kRounds = 6;
    const QString logs[] = { writeLog("run.1.Dsh", 40000, 1000.0f),
        writeLog("run.2.Dsh", 40000, 2000.0f) };
    for (int round = 0; round < kRounds; ++round) {
        QProcess imports[2];
        for (int i = 0; i < 2; ++i) {
            imports[i].start(QStringLiteral(ZEL_BINARY),
                { "import", logs[i], "--data", path("Data") });
        }
        for (QProcess &import : imports) {
            ASSERT_TRUE(import.waitForFinished(60000));
            ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
        }
    }
    const QStringList saved = entries("Data");
    ASSERT_EQ(saved.size(), 2 * kRounds) << saved.join(", ").toStdString();
    int fromSecondLog = 0;
    for (const QString &name : saved) {
        RecordTable table;
        table.loadFromFile(path("Data/" + name));
        fromSecondLog += table.numberAt(table.columnIndex("RPM"), 1) == 2000.0;
    }
    EXPECT_EQ(fromSecondLog, kRounds);
}
