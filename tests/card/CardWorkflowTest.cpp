#include "card/CardColumns.h"
#include "card/CardImportSource.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "logger/LoggerChannelCount.h"
#include "logger/RawLogWriter.h"
#include "logger/TKROSettings.h"
#include "logger/TLogFile.h"
#include "session/ImportObserver.h"
#include "session/LogImport.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class NoObserver : public ImportObserver
{
public:
    void showMessage(const QString &) override { }
    void showStatus(const QString &) override { }
    void setProgressRange(qint64) override { }
    void advanceProgress() override { }
};

class CardWorkflowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_root.filePath(name); }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(CardWorkflowTest, PathsAreFoundWithoutRegardToCase)
{
    ASSERT_TRUE(QDir().mkpath(path("DATA")));
    ASSERT_TRUE(QDir().mkpath(path("logs")));
    for (const char *name : { "DATA/settings.PRM", "DATA/MATHS.prm" }) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const CardPaths card(m_root.path());
    EXPECT_EQ(card.dataFolder(), path("DATA"));
    EXPECT_EQ(card.settingsFile(), path("DATA/settings.PRM"));
    EXPECT_EQ(card.mathsFile(), path("DATA/MATHS.prm"));
    EXPECT_EQ(card.logsFolder(), path("logs"));
    // A missing file has its usual name, where it would be created.
    EXPECT_EQ(card.translationFile(), path("DATA/Translation.prm"));
    EXPECT_EQ(CardPaths(path("none")).settingsFile(), path("none/Data/Settings.prm"));
}

// What the maths editor is told an import will create is what the import creates, suffixes
// included.
TEST_F(CardWorkflowTest, TheCardsColumnsAreTheColumnsItsImportCreates)
{
    DemoCard().write(m_root.path());
    const CardPaths card(m_root.path());
    TKROSettings settings;
    settings.setSettingsFileName(card.settingsFile());
    settings.LoadSettingsTable();
    TDataDictionary &header = settings.settings().DataDict;
    const char *names[] = { "RPM", "rpm", "ECU Air Temp.", "ECU Air Temp", "Lap ID", "LapID" };
    for (int j = 0; j < int(std::size(names)); ++j)
        header.ChannelNames[j].assign(QString::fromLatin1(names[j]));
    QFile file(card.settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char *>(&settings.settings()), TKROSettings::kRecordSize);
    file.close();

    // A log the dash writes carries the settings' header.
    QStringList logged;
    QList<int> numbers;
    for (int j = 0; j < header.NumberOfChannels; ++j) {
        logged << header.ChannelNames[j].toString();
        numbers << header.LogChannels[j];
    }
    RawLogWriter writer(logged, numbers);
    TLogRecord record {};
    record.RecordID = 1;
    writer.appendRecord(record);
    writer.save(path("run.Dsh"));

    const CardColumns columns(card);
    TKRO_Data data;
    NoObserver observer;
    LogImport import(data, observer);
    CardImportSource(card, data).configure(import);
    TLogFile log;
    import.importFile(log, path("run.Dsh"));
    QStringList imported;
    for (int i = 0; i < data.LogDataTable().columnCount(); ++i)
        imported << data.LogDataTable().column(i).name;

    EXPECT_EQ(columns.columns(), imported);
    EXPECT_EQ(columns.logChannels(), import.LogChannels());
    EXPECT_EQ(imported.mid(30, 6),
        QStringList({ "RPM", "rpm_1", "ECU_Air_Temp", "ECU_Air_Temp_2", "Lap_ID", "LapID_3" }));

    const struct
    {
        const char *name;
        const char *error;
    } cases[] = {
        { "Power", "" },
        { "rpm_1", "is a column of the session log" },
        { "ecu_air_temp_2", "is a column of the session log" },
        { "lapid", "is a column of the session log" },
        { "", "needs a name" },
    };
    for (const auto &c : cases)
        EXPECT_TRUE(columns.mathsNameError(c.name).contains(c.error)) << c.name;
    EXPECT_TRUE(columns.mathsNameError("Power").isEmpty());
}
