#include "card/DemoCard.h"

#include "logger/LoggerChannelCount.h"
#include "logger/TKROSettings.h"
#include "logger/TLogFile.h"
#include "session/ChannelGrid.h"
#include "session/ImportObserver.h"
#include "session/LapPages.h"
#include "session/LogImport.h"
#include "session/RecordTable.h"
#include "session/TKROData.h"
#include "session/TKRO_Data.h"
#include "session/TimingNode.h"
#include "session/TimingTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class SilentObserver : public ImportObserver
{
public:
    void showMessage(const QString &text) override { messages << text; }
    void showStatus(const QString &) override { }
    void setProgressRange(qint64) override { }
    void advanceProgress() override { }
    QStringList messages;
};

class DemoCardTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLoggerChannelCount(); }

    // Smallest and largest data-row value of a column.
    static std::pair<double, double> range(const RecordTable &table, const QString &column)
    {
        const int c = table.columnIndex(column);
        double low = 1e300, high = -1e300;
        for (int row = 1; row < table.rowCount(); ++row) {
            low = std::min(low, table.numberAt(c, row));
            high = std::max(high, table.numberAt(c, row));
        }
        return { low, high };
    }

    static int count(const RecordTable &table, const QString &column, double value)
    {
        const int c = table.columnIndex(column);
        int n = 0;
        for (int row = 1; row < table.rowCount(); ++row)
            n += table.numberAt(c, row) == value;
        return n;
    }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(DemoCardTest, TheCardIsInitialisedAndItsLogsImportCleanly)
{
    const QStringList logs = DemoCard().write(m_root.path());
    ASSERT_EQ(logs.size(), DemoCard::kLogCount);

    TKROSettings settings;
    settings.setSettingsFileName(QDir(m_root.path()).filePath("Data/Settings.prm"));
    settings.LoadSettingsTable();
    EXPECT_EQ(settings.channelCount(), 47);
    EXPECT_EQ(settings.settings().DataDict.DriverName.toString(), "DEMO");
    EXPECT_EQ(settings.settings().DataDict.NumberOfChannels, 47);
    EXPECT_TRUE(QFileInfo::exists(QDir(m_root.path()).filePath("Data/Translation.prm")));

    for (int i = 0; i < logs.size(); ++i) {
        TKRO_Data data;
        SilentObserver observer;
        LogImport import(data, observer);
        import.setChannelCount(settings.channelCount());
        TLogFile log;
        import.importFile(log, logs[i]);
        const RecordTable &table = data.LogDataTable();
        SCOPED_TRACE(logs[i].toStdString());
        EXPECT_TRUE(observer.messages.isEmpty());
        EXPECT_EQ(table.columnCount(), 30 + 47);

        const int laps = 4 + i;
        EXPECT_EQ(count(table, "Lap_Marker", 1), laps);
        EXPECT_EQ(count(table, "Sector_Marker", 1), 3 * laps);
        const int lapTime = table.columnIndex("Lap_Time");
        const int marker = table.columnIndex("Lap_Marker");
        for (int row = 1; row < table.rowCount(); ++row) {
            if (table.numberAt(marker, row) == 1) {
                EXPECT_GT(table.numberAt(lapTime, row), 30.0);
                EXPECT_LT(table.numberAt(lapTime, row), 120.0);
            }
        }
        // Plausible values: GPS in millionths of a degree round the circuit's centre,
        // speeds, engine speed, throttle and g-forces of a racing car.
        const auto [latLow, latHigh] = range(table, "GPSLat");
        EXPECT_GT(latLow, 52073600 - 10000);
        EXPECT_LT(latHigh, 52073600 + 10000);
        EXPECT_GT(latHigh - latLow, 3000);
        const auto [longLow, longHigh] = range(table, "GPSLong");
        EXPECT_GT(longLow, -1016700 - 15000);
        EXPECT_LT(longHigh, -1016700 + 15000);
        EXPECT_GT(range(table, "GPSSpeed").second, 150.0);
        EXPECT_LT(range(table, "GPSSpeed").second, 260.0);
        EXPECT_LE(range(table, "ECU_RPM").second, 7800.0);
        EXPECT_GE(range(table, "ECU_RPM").first, 2400.0);
        EXPECT_GE(range(table, "ECU_TPS").first, 0.0);
        EXPECT_LE(range(table, "ECU_TPS").second, 100.0);
        EXPECT_LT(range(table, "GPS_Lat_G_Force").first, -1.0);
        EXPECT_GT(range(table, "GPS_Lat_G_Force").second, 1.0);
        EXPECT_LT(range(table, "GPS_Lon_G_Force").first, -0.8);
    }
}

TEST_F(DemoCardTest, TheSameSeedWritesTheSameBytes)
{
    QTemporaryDir other;
    const QStringList first = DemoCard().write(m_root.path());
    const QStringList second = DemoCard().write(other.path());
    ASSERT_EQ(first.size(), second.size());
    for (const QString &name :
        { QStringLiteral("Data/Settings.prm"), QStringLiteral("Data/Translation.prm"),
            QStringLiteral("Data/GaugeParam.prm"), QStringLiteral("Data/PWMLoop.prm"),
            QStringLiteral("Data/screen1.scn"), QStringLiteral("Data/screen2.scn"),
            QStringLiteral("Logs/Datalog1.Dsh"), QStringLiteral("Logs/Datalog3.Dsh") }) {
        QFile a(QDir(m_root.path()).filePath(name));
        QFile b(QDir(other.path()).filePath(name));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly))
            << name.toStdString();
        EXPECT_TRUE(a.readAll() == b.readAll()) << name.toStdString();
    }
}

// The road of a log: raw log on the card, import, saved session file, opened session.
TEST_F(DemoCardTest, AnImportedDemoLogOpensAsASessionWithItsLaps)
{
    const QStringList logs = DemoCard().write(m_root.path());
    TKRO_Data data;
    SilentObserver observer;
    LogImport import(data, observer);
    import.setChannelCount(47);
    TLogFile log;
    import.importFile(log, logs[0]);
    const QString file = QDir(m_root.path()).filePath("Datalog1.kro");
    data.LogDataTable().saveToFile(file);

    data.ExLogData().loadFromFile(file);
    ChannelGrid grid;
    LapPages pages;
    TimingTree tree;
    TKROData session;
    session.setExLogData(&data.ExLogData());
    session.setStringGrid(&grid);
    session.setPageControl(&pages);
    session.setTimeDataView(&tree);
    session.setLocale(QLocale::c());
    EXPECT_EQ(session.OpenLogTable(file), 1);
    EXPECT_EQ(session.LogLaps().first(), "Lap_Number : 1");
    EXPECT_EQ(session.LogLaps().size(), 4); // the log ends as its last lap completes
    ASSERT_EQ(tree.topLevel().size(), 1u);
    const TimingNode &top = *tree.topLevel().front();
    EXPECT_EQ(top.text, "Datalog1.kro");
    ASSERT_EQ(top.children.size(), 4u);
    for (const auto &lap : top.children) {
        EXPECT_TRUE(lap->text.contains(" Time: 0")) << lap->text.toStdString();
        EXPECT_EQ(lap->children.size(), 3u); // three sectors
    }
    EXPECT_FALSE(grid.cell(1, grid.rowOfName("ECU_RPM")).isEmpty());
}
