#include "app/AboutBox.h"
#include "app/ChannelChart.h"
#include "app/LogChartSeries.h"
#include "app/ProgramStart.h"
#include "card/CardDrives.h"
#include "card/DemoCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "session/ChartColours.h"
#include "session/LapCheckList.h"
#include "session/LogColours.h"
#include "session/SessionColumns.h"
#include "session/TKROData.h"
#include "session/TKRO_Data.h"
#include "track/MapTable.h"
#include "track/widgets/TTrackLapForm.h"
#include "track/widgets/TrackMapView.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zel;

namespace {

// Saves a session log with a header row (driver "Ann") and one data row per lap number,
// RPM 1, 2, 3, ... in row order.
void writeSessionLog(const QString &path, std::initializer_list<int> laps)
{
    RecordTable table;
    SessionColumns::defineFixedColumns(table);
    table.addColumn("RPM", ColumnType::Real);
    table.open();
    table.Append();
    table.fieldByName("RecordType").setInteger(SessionColumns::kHeaderRow);
    table.fieldByName("ReadingID").setInteger(0);
    table.fieldByName("Driver").setText("Ann");
    table.Post();
    int reading = 0;
    for (int lap : laps) {
        ++reading;
        table.Append();
        table.fieldByName("RecordType").setInteger(SessionColumns::kDataRow);
        table.fieldByName("ReadingID").setInteger(reading);
        table.fieldByName("Lap_Number").setInteger(lap);
        table.fieldByName("LapID").setInteger(reading);
        table.fieldByName("RPM").setReal(reading);
        table.Post();
    }
    table.saveToFile(path);
}

// A session log with three numeric channels and a text one, three data rows at three
// positions.
void writeChannelLog(const QString &path)
{
    RecordTable table;
    SessionColumns::defineFixedColumns(table);
    for (const char *channel : { "RPM", "Speed", "Temp" })
        table.addColumn(channel, ColumnType::Real);
    table.addColumn("Note", ColumnType::Text, 20);
    table.open();
    for (int reading = 1; reading <= 3; ++reading) {
        table.Append();
        table.fieldByName("RecordType").setInteger(SessionColumns::kDataRow);
        table.fieldByName("ReadingID").setInteger(reading);
        table.fieldByName("LapID").setInteger(reading);
        table.fieldByName("RPM").setReal(1000 * reading);
        table.fieldByName("Speed").setReal(10 * reading);
        table.fieldByName("Temp").setReal(80 + reading);
        table.fieldByName("GPSLong").setInteger(151000000 + 10 * reading);
        table.fieldByName("GPSLat").setInteger(-33000000 + 10 * (reading % 2));
        table.fieldByName("Note").setText("n");
        table.Post();
    }
    table.saveToFile(path);
}

class RecordingChart : public LogChartSeries
{
public:
    void removeSeriesOf(int column, int row) override { removed.push_back({ column, row }); }
    std::vector<std::pair<int, int>> removed;
};

class TMainFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QDir(program.path()).mkpath("Data");
        start();
    }
    void TearDown() override
    {
        started = {};
        qunsetenv("XDG_DATA_HOME");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    void start(FolderWritable writable = folderWritable)
    {
        started = {};
        started = startProgram(
            program.path(), dialogs, writable, [this](const QString &path) { opened << path; });
    }

    TMainForm &window() { return *started.window; }
    QString file(const QString &name) const { return QDir(program.path()).filePath(name); }
    QAction *action(const char *name) { return window().findChild<QAction *>(name); }
    template <typename W> W *widget(const char *name) { return window().findChild<W *>(name); }

    void trigger(const char *name) { action(name)->trigger(); }
    void openSession(const QString &path)
    {
        dialogs.answerOpenFile(path);
        trigger("OpenLogFile1");
    }
    void openAsLaps(const QString &path)
    {
        dialogs.answerOpenFile(path);
        trigger("OpenLogAsLaps");
    }
    QTableView &grid() { return *widget<QTableView>("StringGrid1"); }
    int rowOf(const char *channel) { return window().StringGrid1().rowOfName(channel); }
    QPoint cellCentre(int c, int r)
    {
        return grid().visualRect(grid().model()->index(r, c)).center();
    }
    // Clicks grid cell (c, r) as the user does, then picks an entry of its pop-up menu.
    void clickCell(int c, int r)
    {
        grid().scrollTo(grid().model()->index(r, c));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(c, r));
    }
    void chartCell(int c, int r)
    {
        clickCell(c, r);
        trigger("AddtoChart1");
    }
    void unchartCell(int c, int r)
    {
        clickCell(c, r);
        trigger("RemovefromChart1");
    }
    ChannelChart &chart() { return window().chart(); }
    std::vector<ChartBand> bands()
    {
        std::vector<ChartBand> all;
        for (const auto &axis : chart().view().axes())
            all.push_back(axis->band);
        return all;
    }
    void openChannelLogs(int count)
    {
        writeChannelLog(file("Data/c.kro"));
        window().resize(1400, 900);
        window().show();
        for (int i = 0; i < count; ++i)
            openSession(file("Data/c.kro"));
    }

    QStringList errors() const { return dialogs.shownTexts(DialogKind::Error); }

    QTemporaryDir program, home;
    ScriptedUserDialogs dialogs;
    QStringList opened;
    Program started;
};

} // namespace

TEST_F(TMainFormTest, StartsWithItsCaptionStateAndEntries)
{
    EXPECT_EQ(window().windowTitle(), "ZEL Data Analyzer");
    EXPECT_EQ(window().SelectedLog, 0);
    EXPECT_EQ(window().XLabels, "ReadingID");
    EXPECT_EQ(window().DefaultSort, "ReadingID");
    EXPECT_EQ(window().CrshairX, 999999);
    EXPECT_EQ(window().CrshairY, 999999);
    EXPECT_FALSE(window().ChartOverlay);
    EXPECT_FALSE(window().LapMode);
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "0");
    EXPECT_TRUE(window().AxisTemplate.isOpen());
    EXPECT_EQ(window().chartColours(), ChartColours {});

    const struct
    {
        const char *name;
        const char *caption;
        bool enabled;
        bool visible;
    } entries[] = {
        { "OpenLogFile1", "Open Log as Session", true, true },
        { "OpenLogAsLaps", "Open Log As Separate Laps", true, true },
        { "OpenMapFile1", "Open Map File", true, false },
        { "OpenSectorFile1", "Open Sector File", false, false },
        { "SaveLogFile1", "Save Log File", true, true },
        { "Clearalllogs1", "Clear all logs", true, true },
        { "TrackMap1", "Track Map Editor", true, true },
        { "ShowTrackMap1", "Show Track Map", true, true },
        { "KRO71", "KRO 7", true, true }, // start-up gives it the removable drives
        { "RaceDash1", "Race Dash", true, true },
        { "ManagerSoftware1", "Manager Software", true, true },
        { "About1", "About", true, true },
        { "RemoveLog1", "Remove Log", true, false },
        { "UnSortData1", "Un-Sort Data", true, true },
        { "AddtoChart1", "Add to Chart", false, true },
        { "RemovefromChart1", "Remove from Chart", false, true },
        { "SmoothenData1", "Smoothen Channel - Level 1 ", false, true },
        { "SmoothenData2", "Smoothen Channel - Level 2", false, true },
        { "SmoothenData3", "Smoothen Channel - Level 3", false, true },
        { "SortonthisChannel1", "Sort on selected Channel", false, true },
        { "AddRaceLineData1", "Add Race Line Data", false, true },
        { "RemoveRaceLine1", "Remove Race Line", false, true },
        { "SetChartSpan1", "Set Display Options", true, true },
        { "ImportasInsideTrackMap1", "Import as Inside Track Map", false, true },
        { "ImportasOutsideTrackMap1", "Import as Outside Track Map", false, true },
        { "SaveLogfile2", "Save Log file", true, true },
        { "SeparateSelect", "Separated", true, true },
        { "OverlaySelect", "Overlayed", true, true },
        { "LineSelect", "Line", true, true },
        { "PointSelect", "Scatter", true, true },
        { "BarSelect", "Bar", true, false },
        { "StackBarSelect", "Stacked Bar", true, false },
        { "SpeedButton1", "Telemetry Gauges", true, false },
    };
    for (const auto &e : entries) {
        QAction *a = action(e.name);
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->text(), e.caption) << e.name;
        EXPECT_EQ(a->isVisible(), e.visible) << e.name;
        if (e.visible) { // a hidden action also reads as disabled
            EXPECT_EQ(a->isEnabled(), e.enabled) << e.name;
        }
    }
    EXPECT_TRUE(action("SeparateSelect")->isChecked());
    EXPECT_TRUE(action("LineSelect")->isChecked());

    auto *pages = widget<QTabWidget>("PageControl2");
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(3), "Session Info");
    EXPECT_FALSE(pages->isTabEnabled(3));
    EXPECT_FALSE(widget<QPushButton>("Button2")->isEnabled());
    EXPECT_EQ(widget<QPlainTextEdit>("Memo4")->parentWidget()->findChild<QLabel *>()->text(),
        "General Commaents");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(TMainFormTest, TheLoggerConfigurationWindowQuickImportsIntoTheMainWindow)
{
    struct OneCard : CardDrives
    {
        QStringList roots() const override { return { root }; }
        QString identity(const QString &) const override { return QStringLiteral("card"); }
        QString root;
    } drives;
    drives.root = file("card");
    DemoCard().write(drives.root);
    window().setCardDrives(&drives);
    ASSERT_TRUE(action("KRO71")->isEnabled());

    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *config = qobject_cast<TfrmLoggerConfig *>(QApplication::activeModalWidget());
        if (!config)
            return;
        shown = config->windowTitle() == "Logger Configuration";
        auto *cards = config->findChild<QComboBox *>("SelectionDriveList");
        cards->setCurrentIndex(cards->findData(drives.root));
        dialogs.answerOpenFile(QDir(drives.root).filePath("Logs/Datalog2.Dsh"));
        config->findChild<QPushButton *>("QuickLogImport")->click();
    });
    trigger("KRO71");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(window().findChildren<TfrmLoggerConfig *>().isEmpty()); // freed on close
    ASSERT_NE(window().logAt(1), nullptr);
    EXPECT_EQ(window().logAt(1)->LogFileName(), file("Data/DEMO/Datalog2.kro"));
    EXPECT_TRUE(errors().isEmpty()) << errors().join("; ").toStdString();

    window().setCardDrives(nullptr);
    EXPECT_FALSE(action("KRO71")->isEnabled());
}

TEST_F(TMainFormTest, OpensTwoLogsIntoColumnsOneAndTwo)
{
    writeSessionLog(file("Data/a.kro"), { 1, 1, 2 });
    writeSessionLog(file("Data/b.kro"), { 1, 2 });
    openSession(file("Data/a.kro"));
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "1");
    ASSERT_NE(window().logAt(1), nullptr);
    EXPECT_EQ(window().StringGrid1().cell(1, 0), "a.kro");
    openSession(file("Data/b.kro"));
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "2");
    ASSERT_NE(window().logAt(2), nullptr);
    EXPECT_EQ(window().logAt(2)->LogFileName(), file("Data/b.kro"));
    EXPECT_FALSE(started.data->ExLogData().isOpen());
    EXPECT_FALSE(action("OpenLogAsLaps")->isEnabled());
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].file.filter, "ZEL Data Log|*.kro");
    EXPECT_EQ(dialogs.shown()[0].file.initialFolder, file("Data"));
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, ALogThatCannotBeLoadedLeavesNothingOpen)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
    } files[] = {
        { "empty.kro", QByteArray() },
        { "text.kro", QByteArray("RecordType,RPM\n1,5000\n") },
        { "cut.kro", QByteArray("SQLite format 3\0\x10\0", 19) },
    };
    RecordingChart chart;
    window().setChartSeries(&chart);
    writeSessionLog(file("Data/good.kro"), { 1 });
    for (const auto &f : files) {
        QFile bad(file(f.name));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(f.bytes);
        bad.close();
        const qsizetype shown = dialogs.shown().size();
        openSession(bad.fileName());
        ASSERT_EQ(dialogs.shown().size(), shown + 2) << f.name; // the file dialog, the error
        EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error) << f.name;
        EXPECT_TRUE(dialogs.shown().last().text.contains(f.name)) << f.name;
        EXPECT_FALSE(started.data->ExLogData().isOpen()) << f.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << f.name;
        EXPECT_EQ(window().StringGrid1().cell(0, 0), "0") << f.name;
        EXPECT_EQ(window().findChildren<TKROData *>().size(), 0) << f.name;
        EXPECT_EQ(window().ProgressBar1().maximum(), 0) << f.name;
    }
    openSession(file("Data/good.kro"));
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "1");
}

TEST_F(TMainFormTest, OpensAsSeparateLapsWithTheHeaderRowAsLapZero)
{
    const struct
    {
        std::initializer_list<int> laps;
    } cases[] = { { { 0, 1, 2 } }, { { 1, 1, 2 } } };
    for (const auto &c : cases) {
        writeSessionLog(file("Data/laps.kro"), c.laps);
        openAsLaps(file("Data/laps.kro"));
        EXPECT_TRUE(window().LapMode);
        EXPECT_EQ(window().StringGrid1().cell(0, 0), "0");
        EXPECT_EQ(window().DefaultSort, "LapID");
        EXPECT_EQ(window().XLabels, "LapID");
        ASSERT_EQ(window().PageControl3().count(), 1);
        EXPECT_EQ(window().PageControl3().title(0), "laps.kro");
        EXPECT_EQ(window().PageControl3().tag(0), 1);
        ASSERT_EQ(window().YLists.size(), 1u);
        EXPECT_EQ(window().YLists[0]->items(), QStringList({ "Lap 0", "Lap 1", "Lap 2" }));
        EXPECT_EQ(window().lapFileName(), file("Data/laps.kro"));
        EXPECT_TRUE(widget<QPushButton>("Button2")->isEnabled());
        EXPECT_FALSE(action("OpenLogFile1")->isEnabled());
        EXPECT_FALSE(action("OpenLogAsLaps")->isEnabled());
        EXPECT_EQ(widget<QTabWidget>("PageControl2")->currentIndex(), 2);

        trigger("Clearalllogs1");
        EXPECT_EQ(window().PageControl3().count(), 0);
        EXPECT_TRUE(window().YLists.empty());
        EXPECT_EQ(window().YListCount, 0);
        EXPECT_FALSE(widget<QPushButton>("Button2")->isEnabled());
        EXPECT_TRUE(action("OpenLogFile1")->isEnabled());
        EXPECT_TRUE(action("OpenLogAsLaps")->isEnabled());
        EXPECT_TRUE(window().TreeView1().topLevel().empty());
    }
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, ClearAllLogsEmptiesGridSeriesPagesAndSelection)
{
    RecordingChart chart;
    window().setChartSeries(&chart);
    writeSessionLog(file("Data/a.kro"), { 1, 2 });
    openSession(file("Data/a.kro"));
    openSession(file("Data/a.kro"));
    window().StringGrid1SelectCell(2, 1);
    EXPECT_EQ(window().SelectedLog, 2);
    EXPECT_TRUE(action("AddtoChart1")->isEnabled());
    const int rows = window().StringGrid1().rowCount();
    EXPECT_EQ(window().PageControl3().count(), 2);

    trigger("Clearalllogs1");
    EXPECT_EQ(chart.removed.size(), size_t(2 * (rows - 1)));
    EXPECT_EQ(chart.removed.front(), std::make_pair(2, 1));
    EXPECT_EQ(window().StringGrid1().colCount(), 2);
    EXPECT_EQ(window().StringGrid1().rowCount(), 2);
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "0");
    EXPECT_EQ(window().StringGrid1().cell(1, 0), "");
    EXPECT_EQ(window().findChildren<TKROData *>().size(), 0);
    EXPECT_EQ(window().PageControl3().count(), 0);
    EXPECT_EQ(window().SelectedLog, 0);
    EXPECT_FALSE(action("AddtoChart1")->isEnabled());
    EXPECT_FALSE(widget<QTabWidget>("PageControl2")->isTabEnabled(3));
}

TEST_F(TMainFormTest, SessionInfoSaveWritesBackToTheOpenedFile)
{
    writeSessionLog(file("Data/a.kro"), { 1, 2 });
    openSession(file("Data/a.kro"));
    window().StringGrid1SelectCell(1, 1);
    EXPECT_TRUE(widget<QTabWidget>("PageControl2")->isTabEnabled(3));
    EXPECT_EQ(widget<QLineEdit>("Edit1")->text(), "Ann");

    widget<QLineEdit>("Edit1")->setText("Bob");
    widget<QLineEdit>("Edit2")->setText("Spa");
    widget<QPlainTextEdit>("Memo4")->setPlainText(QString(300, u'm')); // cut to 255
    widget<QPlainTextEdit>("Memo5")->setPlainText("V8");
    widget<QPushButton>("Button1")->click();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
    EXPECT_FALSE(started.data->ExLogData().isOpen());

    trigger("Clearalllogs1");
    openSession(file("Data/a.kro"));
    ASSERT_NE(window().logAt(1), nullptr);
    const TKROData &log = *window().logAt(1);
    EXPECT_EQ(log.Driver, "Bob");
    EXPECT_EQ(log.Track, "Spa");
    EXPECT_EQ(log.Engine, "V8");
    EXPECT_EQ(log.MemoStr, QString(255, u'm'));
    EXPECT_FALSE(log.LogDate.isValid());
    EXPECT_EQ(window().logAt(1)->LogData().recordCount(), 2);
}

TEST_F(TMainFormTest, SaveLogFileWritesTheShownRowsAndHeaderUnderAKroName)
{
    writeSessionLog(file("Data/a.kro"), { 1, 2, 2 });
    openSession(file("Data/a.kro"));
    trigger("SaveLogFile1"); // no log selected: nothing asked
    EXPECT_EQ(dialogs.shown().size(), 1);

    window().StringGrid1SelectCell(1, 2);
    dialogs.answerSaveFile(file("run1.txt"));
    trigger("SaveLogfile2");
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].file.filter, "ZEL Data Logs|*.KRO");
    EXPECT_EQ(dialogs.shown()[1].file.defaultExtension, "KRO");
    EXPECT_TRUE(dialogs.shown()[1].file.confirmOverwrite);
    EXPECT_FALSE(QFile::exists(file("run1.txt")));
    EXPECT_FALSE(started.data->ExLogData().isOpen());

    RecordTable saved;
    saved.loadFromFile(file("run1.KRO"));
    EXPECT_EQ(saved.recordCount(), 4);
    ASSERT_TRUE(saved.Locate("RecordType", { SessionColumns::kHeaderRow }));
    EXPECT_EQ(saved.fieldByName("Driver").asText(), "Ann");
    EXPECT_EQ(window().logAt(1)->LogData().recordCount(), 3); // the log shows what it did

    // A name the rule changed to an existing file is not replaced unasked.
    dialogs.answerSaveFile(file("run1.csv"));
    dialogs.answerQuestion(false);
    QFile::remove(file("Data/a.kro"));
    trigger("SaveLogFile1");
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Question);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TMainFormTest, UserGuidesOpenBelowTheProgramFolder)
{
    QDir(program.path()).mkpath("Help");
    QFile guide(file("Help/KRO-7 Quick Start.pdf")); // the case differs from the menu's
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    trigger("RaceDash1");
    EXPECT_EQ(opened, QStringList { file("Help/KRO-7 Quick Start.pdf") });
    trigger("ManagerSoftware1");
    EXPECT_EQ(opened.size(), 1);
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("KRO Analyser manual.pdf"));
}

TEST(AboutBoxTest, ShowsTheVersionAndCloses)
{
    AboutBox box;
    QStringList texts;
    for (const QLabel *label : box.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Version 3.10.2"));
    auto *close = box.findChild<QPushButton *>();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "Close");
    box.show();
    close->click();
    EXPECT_FALSE(box.isVisible());
}

TEST_F(TMainFormTest, AFailingDataModuleIsReportedAndTheProgramRunsOn)
{
    QFile bad(file("Data/CardID.dta"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a table");
    bad.close();
    start();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("CardID.dta"));
    ASSERT_NE(started.window, nullptr);
    writeSessionLog(file("Data/a.kro"), { 1 });
    openSession(file("Data/a.kro"));
    EXPECT_EQ(window().StringGrid1().cell(0, 0), "1");
}

TEST_F(TMainFormTest, AnUnwritableProgramFolderUsesTheUsersDataFolder)
{
    start([](const QString &) { return false; });
    const QString data = started.data->ProgramDataFolder();
    EXPECT_TRUE(data.startsWith(home.path())) << data.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(data).filePath("CardID.dta")));
    dialogs.answerOpenFile(std::nullopt);
    trigger("OpenLogFile1");
    EXPECT_EQ(dialogs.shown().last().file.initialFolder, data);
}

TEST_F(TMainFormTest, TheAxisTemplateGivesTheChartColours)
{
    RecordTable axes;
    axes.addColumn("ChannelName", ColumnType::Text, 30);
    axes.addColumn("LogIndex", ColumnType::Integer);
    axes.addColumn("BottomGrid", ColumnType::Boolean);
    axes.addColumn("BackColour", ColumnType::LongWord);
    axes.addColumn("GridColour", ColumnType::LongWord);
    axes.open();
    axes.Append();
    axes.fieldByName("ChannelName").setText("RPM");
    axes.fieldByName("LogIndex").setInteger(0);
    axes.Post();
    axes.Append();
    axes.fieldByName("ChannelName").setText("GLOBAL");
    axes.fieldByName("LogIndex").setInteger(0);
    axes.fieldByName("BottomGrid").setBoolean(false);
    axes.fieldByName("BackColour").setInteger(0x00FF0000); // blue, stored as 0x00BBGGRR
    axes.fieldByName("GridColour").setInteger(0x000000FF); // red
    axes.Post();
    axes.saveToFile(file("DefaultAxis.axt"));
    start();
    EXPECT_EQ(window().chartColours(), (ChartColours { false, 0x0000FF, 0xFF0000 }));
    EXPECT_EQ(window().AxisTemplate.recordCount(), 2);

    QFile damaged(file("DefaultAxis.axt"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("garbage");
    damaged.close();
    start();
    EXPECT_EQ(errors().size(), 1);
    EXPECT_TRUE(window().AxisTemplate.isOpen());
    EXPECT_EQ(window().AxisTemplate.recordCount(), 0);
    EXPECT_EQ(window().chartColours(), ChartColours {});
}

MATCHER_P2(IsBand, start, end, "")
{
    return std::abs(arg.start - start) < 0.1 && std::abs(arg.end - end) < 0.1;
}

TEST_F(TMainFormTest, OneChannelOfTwoLogsSharesAnAxisUntilItsLastSeriesGoes)
{
    openChannelLogs(2);
    const int rpm = rowOf("RPM");
    ASSERT_GT(rpm, 0);
    chartCell(1, rpm);
    // A double click on the grid charts as "Add to Chart" does.
    clickCell(2, rpm);
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(2, rpm));
    ASSERT_EQ(chart().view().axes().size(), 1);
    ASSERT_EQ(chart().view().series().size(), 2);
    ChartAxis *axis = chart().axisOf(rpm);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->style.title, "RPM");
    EXPECT_EQ(axis->style.titleColour, QColor(192, 192, 192));
    EXPECT_EQ(chart().seriesOf(1, rpm)->axis, axis);
    EXPECT_EQ(chart().seriesOf(2, rpm)->yColumn, "RPM");
    EXPECT_EQ(chart().seriesOf(2, rpm)->xColumn, "ReadingID");
    EXPECT_EQ(chart().seriesOf(1, rpm)->data.size(), 3);

    unchartCell(1, rpm);
    EXPECT_EQ(chart().axisOf(rpm), axis);
    EXPECT_EQ(chart().seriesOf(1, rpm), nullptr);
    EXPECT_EQ(chart().view().series().size(), 1);
    unchartCell(1, rpm); // nothing left in this cell, the other log still draws on the axis
    EXPECT_EQ(chart().view().axes().size(), 1);
    unchartCell(2, rpm);
    EXPECT_EQ(chart().axisOf(rpm), nullptr);
    EXPECT_TRUE(chart().view().axes().empty());
    EXPECT_TRUE(chart().view().series().empty());
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, SeparatedAxesAreStackedAndOverlaidOnesShareTheFullHeight)
{
    openChannelLogs(1);
    for (const char *channel : { "RPM", "Speed", "Temp" })
        chartCell(1, rowOf(channel));
    EXPECT_THAT(
        bands(), ::testing::ElementsAre(IsBand(0, 33.3), IsBand(35.3, 66.7), IsBand(68.7, 100)));
    for (const auto &axis : chart().view().axes())
        EXPECT_TRUE(axis->style.showLine);

    // After a removal the plot's own left axis takes the first band.
    unchartCell(1, rowOf("RPM"));
    EXPECT_THAT(bands(), ::testing::ElementsAre(IsBand(35.3, 66.7), IsBand(68.7, 100)));
    // The next addition stacks the titled axes only.
    chartCell(1, rowOf("RPM"));
    EXPECT_THAT(
        bands(), ::testing::ElementsAre(IsBand(0, 33.3), IsBand(35.3, 66.7), IsBand(68.7, 100)));

    trigger("Clearalllogs1");
    openChannelLogs(1);
    trigger("OverlaySelect");
    EXPECT_TRUE(window().ChartOverlay);
    trigger("PointSelect");
    for (const char *channel : { "RPM", "Speed", "Temp" })
        chartCell(1, rowOf(channel));
    EXPECT_THAT(bands(), ::testing::Each(IsBand(0, 100)));
    for (const auto &axis : chart().view().axes()) {
        EXPECT_FALSE(axis->style.showLine);
        EXPECT_TRUE(axis->axis->label().isEmpty());
    }
    for (const auto &series : chart().view().series())
        EXPECT_EQ(series->kind, ChartSeries::Kind::Points);
}

TEST_F(TMainFormTest, NonNumericOrUnloggedCellsChartNothing)
{
    openChannelLogs(1);
    for (const char *channel : { "Note", "Memo", "Formulas", "Date" }) {
        const int row = rowOf(channel);
        if (row < 0)
            continue;
        chartCell(1, row);
        EXPECT_EQ(chart().axisOf(row), nullptr) << channel;
    }
    ASSERT_GT(rowOf("Note"), 0);
    chartCell(0, rowOf("RPM")); // the names column holds no log
    EXPECT_TRUE(chart().view().axes().empty());
    EXPECT_TRUE(chart().view().series().empty());
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, ClearingAllLogsRemovesEverySeriesAndAxis)
{
    openChannelLogs(2);
    for (int c : { 1, 2 })
        for (const char *channel : { "RPM", "Speed" })
            chartCell(c, rowOf(channel));
    ASSERT_EQ(chart().view().series().size(), 4);
    ASSERT_EQ(chart().view().axes().size(), 2);
    trigger("Clearalllogs1");
    EXPECT_TRUE(chart().view().series().empty());
    EXPECT_TRUE(chart().view().axes().empty());
    EXPECT_EQ(widget<QCustomPlot>("LogChart")->plottableCount(), 0);
}

TEST_F(TMainFormTest, ChartedCellsAreFramedInTheirSeriesColour)
{
    openChannelLogs(1);
    const int rpm = rowOf("RPM");
    chartCell(1, rpm);
    const QColor colour = chart().seriesOf(1, rpm)->colour;
    clickCell(1, rowOf("Speed"));
    const QImage image = grid().viewport()->grab().toImage();
    const QRect charted = grid().visualRect(grid().model()->index(rpm, 1));
    EXPECT_EQ(image.pixelColor(charted.left() + 1, charted.center().y()), colour);
    const QRect plain = grid().visualRect(grid().model()->index(rowOf("Temp"), 1));
    EXPECT_EQ(image.pixelColor(plain.left() + 1, plain.center().y()), QColor(Qt::white));
    const QRect selected = grid().visualRect(grid().model()->index(rowOf("Speed"), 1));
    EXPECT_EQ(image.pixelColor(selected.left() + 1, selected.center().y()),
        grid().palette().color(QPalette::Highlight));
    const QRect title = grid().visualRect(grid().model()->index(0, 1));
    EXPECT_EQ(image.pixelColor(title.left(), title.center().y()), QColor::fromRgb(logColour(1)));
}

TEST_F(TMainFormTest, AxisTemplateRowsPresetTheAxisAndSeriesOfTheirLogColumn)
{
    RecordTable axes;
    defineAxisTemplateColumns(axes);
    axes.open();
    const auto row = [&](const char *channel, int log) {
        axes.Append();
        axes.fieldByName("ChannelName").setText(channel);
        axes.fieldByName("LogIndex").setInteger(log);
    };
    row("GLOBAL", 0);
    axes.fieldByName("AxisColour").setInteger(0x0000FF00); // green, stored as 0x00BBGGRR
    axes.fieldByName("GridColour").setInteger(0x000000FF); // red
    axes.Post();
    row("RPM", 1);
    axes.fieldByName("Minimum").setReal(0);
    axes.fieldByName("Maximum").setReal(8000);
    axes.fieldByName("LeftGrid").setBoolean(true);
    axes.fieldByName("Increment").setReal(4); // divisions
    axes.fieldByName("Colour").setInteger(0x00FF0000); // blue
    axes.Post();
    axes.saveToFile(file("DefaultAxis.axt"));
    start();
    openChannelLogs(1);

    chartCell(1, rowOf("RPM"));
    const ChartAxisStyle &rpm = chart().axisOf(rowOf("RPM"))->style;
    EXPECT_EQ(rpm.labelColour, QColor(0, 255, 0));
    EXPECT_EQ(rpm.gridColour, QColor(255, 0, 0));
    ASSERT_TRUE(rpm.fixedRange.has_value());
    EXPECT_EQ(rpm.fixedRange->upper, 8000);
    EXPECT_TRUE(rpm.showGrid);
    EXPECT_EQ(rpm.step, 2000);
    EXPECT_EQ(chart().seriesOf(1, rowOf("RPM"))->colour, QColor(0, 0, 255));
    EXPECT_EQ(widget<QCustomPlot>("LogChart")->xAxis->tickLabelColor(), QColor(0, 255, 0));

    // A channel without its own row: automatic, white, in the log's colour.
    chartCell(1, rowOf("Speed"));
    const ChartAxisStyle &speed = chart().axisOf(rowOf("Speed"))->style;
    EXPECT_FALSE(speed.fixedRange.has_value());
    EXPECT_EQ(speed.step, 0);
    EXPECT_EQ(speed.labelColour, QColor(Qt::white));
    EXPECT_EQ(chart().seriesOf(1, rowOf("Speed"))->colour, QColor::fromRgb(logColour(1)));
}

// The keyboard chooses a cell as the mouse does: the selection follows, and the chart
// entries apply to the cell reached.
TEST_F(TMainFormTest, CellsChosenByKeyboardAreSelected)
{
    openChannelLogs(2);
    const int rpm = rowOf("RPM");
    ASSERT_GT(rpm, 0);
    clickCell(1, rpm);
    EXPECT_EQ(window().SelectedLog, 1);
    grid().setFocus();
    QTest::keyClick(grid().viewport(), Qt::Key_Right);
    EXPECT_EQ(window().SelectedLog, 2);
    EXPECT_EQ(window().SelectedChannel, rpm);
    trigger("AddtoChart1");
    EXPECT_NE(chart().seriesOf(2, rpm), nullptr);
    EXPECT_EQ(chart().seriesOf(1, rpm), nullptr);
}

TEST_F(TMainFormTest, RaceLinesOfTheSelectedLogGoToTheTrackLapWindowAndLeaveWithTheLogs)
{
    openChannelLogs(2);
    QCustomPlot &map = started.trackLap->TrackMap().plot();
    EXPECT_FALSE(started.trackLap->isVisible());
    trigger("ShowTrackMap1");
    EXPECT_TRUE(started.trackLap->isVisible());

    clickCell(1, rowOf("RPM"));
    trigger("AddRaceLineData1");
    trigger("AddRaceLineData1"); // once per log
    clickCell(2, rowOf("RPM"));
    trigger("AddRaceLineData1");
    ASSERT_EQ(map.plottableCount(), 4);
    const auto *second = qobject_cast<QCPCurve *>(map.plottable(3));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->scatterStyle().pixmap().toImage().pixelColor(0, 0),
        QColor::fromRgb(logColour(2)));
    EXPECT_EQ(second->dataCount(), 3);
    trigger("RemoveRaceLine1");
    EXPECT_EQ(map.plottableCount(), 3);

    trigger("AddRaceLineData1");
    EXPECT_EQ(map.plottableCount(), 4);
    trigger("Clearalllogs1");
    EXPECT_EQ(map.plottableCount(), 2);

    // Clearing the logs alone, as opening laps does, takes their race lines too.
    openSession(file("Data/c.kro"));
    clickCell(1, rowOf("RPM"));
    trigger("AddRaceLineData1");
    EXPECT_EQ(map.plottableCount(), 3);
    window().ClearLogs();
    EXPECT_EQ(map.plottableCount(), 2);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(TMainFormTest, TheTrackMapEditorTakesTheSelectedLogsAsEdgesWhileItIsOpen)
{
    openChannelLogs(1);
    EXPECT_FALSE(action("ImportasInsideTrackMap1")->isEnabled());
    trigger("TrackMap1");
    EXPECT_TRUE(started.trackMap->isVisible());
    EXPECT_TRUE(action("ImportasInsideTrackMap1")->isEnabled());
    EXPECT_TRUE(action("ImportasOutsideTrackMap1")->isEnabled());

    clickCell(1, rowOf("RPM"));
    trigger("ImportasInsideTrackMap1");
    EXPECT_EQ(started.trackMap->MapTable.recordCount(), 3);
    EXPECT_EQ(started.trackMap->TrackMap().edgePointCount(0), 3);
    EXPECT_TRUE(errors().isEmpty());

    started.trackMap->close();
    EXPECT_FALSE(action("ImportasInsideTrackMap1")->isEnabled());
    EXPECT_FALSE(action("ImportasOutsideTrackMap1")->isEnabled());
}

TEST_F(TMainFormTest, TheCursorMovesEveryLogAndMarksTheirPositionsOnTheMap)
{
    RecordTable map;
    defineMapTable(map);
    map.open();
    for (int k = 1; k <= 3; ++k) {
        map.Append();
        map.fieldByName(MapColumn::ReadingID).setInteger(k);
        map.fieldByName(MapColumn::InsideLong).setReal(151000000 + 10 * k);
        map.fieldByName(MapColumn::InsideLat).setReal(-33000000 + 5 * k);
        map.Post();
    }
    saveMapFile(map, file("Data/circuit.map"));
    dialogs.answerOpenFile(file("Data/circuit.map"));
    started.trackLap->findChild<QAction *>("OpenTrackFile1")->trigger();

    openChannelLogs(2);
    chartCell(1, rowOf("RPM"));
    chartCell(2, rowOf("RPM"));
    auto &plot = *widget<QCustomPlot>("LogChart");
    plot.replot();
    const QRect area = plot.axisRect()->rect();
    const auto move = [&](QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton, buttons, {});
        QApplication::sendEvent(&plot, &event);
    };
    const int atTwo = int(plot.xAxis->coordToPixel(2));

    move({ atTwo, area.center().y() }, Qt::NoButton);
    EXPECT_EQ(window().StringGrid1().cell(1, rowOf("RPM")), "2000");
    EXPECT_EQ(window().StringGrid1().cell(2, rowOf("RPM")), "2000");
    EXPECT_EQ(window().CrshairX, atTwo);
    EXPECT_TRUE(window().chart().view().hairLineShown());
    const TrackMapView &track = started.trackLap->TrackMap();
    ASSERT_EQ(track.positionDots().size(), 2u);
    for (int c : { 1, 2 }) {
        const QCPItemTracer *dot = track.positionDots()[size_t(c - 1)];
        EXPECT_EQ(dot->brush().color(), QColor::fromRgb(logColour(c))) << c;
        EXPECT_EQ(dot->position->coords(), QPointF(151000020, -33000000)) << c;
        EXPECT_EQ(dot->size(), 10) << c;
    }

    // A press takes the hair line away; moving with a button held or onto the plot's
    // border draws none.
    QTest::mousePress(&plot, Qt::LeftButton, {}, { atTwo, area.center().y() });
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, { atTwo, area.center().y() });
    EXPECT_FALSE(window().chart().view().hairLineShown());
    EXPECT_EQ(window().CrshairX, 999999);
    move({ atTwo + 20, area.center().y() }, Qt::LeftButton);
    move({ area.left(), area.center().y() }, Qt::NoButton);
    move({ atTwo, area.bottom() }, Qt::NoButton);
    EXPECT_FALSE(window().chart().view().hairLineShown());
    EXPECT_EQ(window().CrshairX, 999999);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(TMainFormTest, AppliedLapSelectionOpensOneColumnPerTickedLap)
{
    const struct
    {
        std::initializer_list<int> laps;
        std::vector<int> ticked; // entries of the lap list
        QStringList titles;
    } cases[] = {
        { { 1, 1, 2, 3 }, { 1, 3 }, { "laps.kro - Lap: 1", "laps.kro - Lap: 3" } },
        { { 2, 5, 5, 9 }, { 2 }, { "laps.kro - Lap: 5" } }, // numbered with gaps
    };
    for (const auto &c : cases) {
        writeSessionLog(file("Data/laps.kro"), c.laps);
        openAsLaps(file("Data/laps.kro"));
        LapCheckList &list = *window().YLists[0];
        for (int entry : c.ticked)
            list.setChecked(entry, true);
        widget<QPushButton>("Button2")->click();
        ASSERT_EQ(window().StringGrid1().colCount(), int(c.titles.size()) + 1);
        for (int column = 1; column <= c.titles.size(); ++column)
            EXPECT_EQ(window().StringGrid1().cell(column, 0), c.titles[column - 1]);
        EXPECT_EQ(window().StringGrid1().cell(0, 0), QString::number(c.titles.size()));
        EXPECT_EQ(window().XLabels, "LapID");
        EXPECT_EQ(widget<QTabWidget>("PageControl2")->currentIndex(), 0);
        // The lap list stays for another selection.
        EXPECT_EQ(window().PageControl3().count(), 1);
        trigger("Clearalllogs1");
    }
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, SortingOnAChannelReplotsEverySeriesAgainstItAndUnSortingRestores)
{
    openChannelLogs(2);
    chartCell(1, rowOf("Speed"));
    chartCell(2, rowOf("Speed"));
    clickCell(1, rowOf("RPM"));
    trigger("SortonthisChannel1");
    EXPECT_EQ(window().XLabels, "RPM");
    for (int c : { 1, 2 }) {
        const ChartSeries *series = chart().seriesOf(c, rowOf("Speed"));
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->xColumn, "RPM") << c;
        EXPECT_EQ(series->data.keys, QVector<double>({ 1000, 2000, 3000 })) << c;
        EXPECT_EQ(window().findChildren<TKROData *>()[c - 1]->LogData().indexFieldNames(), "RPM");
    }
    // A text channel orders nothing.
    clickCell(1, rowOf("Note"));
    trigger("SortonthisChannel1");
    EXPECT_EQ(window().XLabels, "RPM");

    trigger("UnSortData1");
    EXPECT_EQ(window().XLabels, "ReadingID");
    EXPECT_EQ(chart().seriesOf(2, rowOf("Speed"))->xColumn, "ReadingID");
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, TickingALapOrdersEveryLogByLapIdAndUntickingRestoresItsRows)
{
    writeSessionLog(file("Data/a.kro"), { 1, 1, 2, 2, 3 });
    openSession(file("Data/a.kro"));
    openSession(file("Data/a.kro"));
    chartCell(2, rowOf("RPM"));
    TKROData *first = window().findChildren<TKROData *>()[0];
    ASSERT_EQ(first->LogData().recordCount(), 5);
    LapCheckList *laps = window().PageControl3().list(0);
    ASSERT_NE(laps, nullptr);
    laps->clickCheck(1); // lap 2
    EXPECT_EQ(first->LogData().recordCount(), 2);
    EXPECT_EQ(window().XLabels, "LapID");
    EXPECT_EQ(chart().seriesOf(2, rowOf("RPM"))->xColumn, "LapID");
    for (TKROData *log : window().findChildren<TKROData *>())
        EXPECT_EQ(log->LogData().indexFieldNames(), "LapID");

    laps->clickCheck(1);
    EXPECT_EQ(first->LogData().recordCount(), 5);
    EXPECT_EQ(window().XLabels, "LapID");
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, SmoothingChangesTheChartsCopyOnly)
{
    openChannelLogs(1);
    chartCell(1, rowOf("RPM"));
    const ChartSeries *series = chart().seriesOf(1, rowOf("RPM"));
    ASSERT_NE(series, nullptr);
    trigger("SmoothenData1");
    EXPECT_EQ(series->data.values, QVector<double>({ 1700, 2000 * 0.3 + 1700 * 0.7, 3000 }));
    TKROData *log = window().findChildren<TKROData *>()[0];
    EXPECT_EQ(log->LogData().numberAt(log->LogData().findColumn("RPM"), log->LogData().viewRow(0)), 1000);
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}

TEST_F(TMainFormTest, ALogWithoutGpsFollowsTheCursorWithoutADot)
{
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Integer);
    table.addColumn("ReadingID", ColumnType::Integer);
    // The grid lists a log without LapID from its 14th column on.
    for (int filler = 2; filler < 13; ++filler)
        table.addColumn(QStringLiteral("Spare%1").arg(filler), ColumnType::Real);
    table.addColumn("RPM", ColumnType::Real);
    table.open();
    for (int reading = 1; reading <= 3; ++reading) {
        table.Append();
        table.fieldByName("RecordType").setInteger(SessionColumns::kDataRow);
        table.fieldByName("ReadingID").setInteger(reading);
        table.fieldByName("RPM").setReal(1000 * reading);
        table.Post();
    }
    table.saveToFile(file("Data/nogps.kro"));
    RecordTable map;
    defineMapTable(map);
    map.open();
    map.Append();
    map.fieldByName(MapColumn::ReadingID).setInteger(1);
    map.fieldByName(MapColumn::InsideLong).setReal(1000);
    map.fieldByName(MapColumn::InsideLat).setReal(2000);
    map.Post();
    started.trackLap->MapTable.open();
    started.trackLap->MapTable.copyRowsFrom(map);
    started.trackLap->TrackMap().showMap(started.trackLap->MapTable);

    window().resize(1400, 900);
    window().show();
    openSession(file("Data/nogps.kro"));
    chartCell(1, rowOf("RPM"));
    auto &plot = *widget<QCustomPlot>("LogChart");
    plot.replot();
    const QPoint at(int(plot.xAxis->coordToPixel(2)), plot.axisRect()->rect().center().y());
    QMouseEvent move(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(&plot, &move);
    EXPECT_EQ(window().StringGrid1().cell(1, rowOf("RPM")), "2000");
    EXPECT_TRUE(started.trackLap->TrackMap().positionDots().empty());
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
}
