#include "session/TKROData.h"

#include "session/ChannelGrid.h"
#include "session/LapCheckList.h"
#include "session/LapPages.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"
#include "session/TimingTree.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// One data row of the small session below.
struct Row
{
    int reading;
    int lap;
    int lapId;
    int lapMarker;
    int sectorMarker;
    int sector;
    double sectorTime;
    double lapTime;
    double lapDifference;
    double sectorDifference;
    double rpm;
};

// Laps 6 and 7: a sector completed in lap 6, and lap 7 of 65.21 completed with sector 4
// (sector time 12.4, lap difference -0.35).
const Row kRows[] = {
    { 1, 6, 1, 0, 0, 3, 0, 0, 0, 0, 5000.5 },
    { 2, 6, 2, 0, 1, 3, 20.125, 0, 0, 0.5, 5100 },
    { 3, 7, 1, 0, 0, 4, 0, 0, 0, 0, 5200 },
    { 4, 7, 2, 1, 1, 4, 12.4, 65.21, -0.35, 0, 5300 },
};

class TKRODataTest : public ::testing::Test
{
protected:
    // A session table as the import makes it, with the channel RPM; optionally without the
    // LapID column or the header row.
    void makeSession(bool withLapID = true, bool withHeader = true)
    {
        ex.close();
        ex.clearColumns();
        RecordTable fixed;
        SessionColumns::defineFixedColumns(fixed);
        for (int i = 0; i < fixed.columnCount(); ++i) {
            if (withLapID || fixed.column(i).name != "LapID")
                ex.addColumn(fixed.column(i).name, fixed.column(i).type, fixed.column(i).size);
        }
        ex.addColumn("RPM", ColumnType::Real);
        ex.open();
        if (withHeader) {
            ex.Append();
            ex.fieldByName("RecordType").setInteger(2);
            ex.fieldByName("ReadingID").setInteger(0);
            ex.fieldByName("Driver").setText("Ann");
            ex.fieldByName("Track Condition").setText("Dry");
            ex.fieldByName("Memo").setText("Test day");
            ex.fieldByName("Date").setDateTime(QDateTime(QDate(2024, 6, 15), QTime(10, 30)));
            ex.Post();
        }
        for (const Row &r : kRows) {
            ex.Append();
            ex.fieldByName("RecordType").setInteger(1);
            ex.fieldByName("ReadingID").setInteger(r.reading);
            ex.fieldByName("Lap_Number").setInteger(r.lap);
            if (withLapID)
                ex.fieldByName("LapID").setInteger(r.lapId);
            ex.fieldByName("Lap_Marker").setInteger(r.lapMarker);
            ex.fieldByName("Sector_Marker").setInteger(r.sectorMarker);
            ex.fieldByName("Sector_Number").setInteger(r.sector);
            ex.fieldByName("Sector_Time").setReal(r.sectorTime);
            ex.fieldByName("Lap_Time").setReal(r.lapTime);
            ex.fieldByName("Lap_Difference").setReal(r.lapDifference);
            ex.fieldByName("Sector_Difference").setReal(r.sectorDifference);
            ex.fieldByName("RPM").setReal(r.rpm);
            ex.Post();
        }
    }

    std::unique_ptr<TKROData> session()
    {
        auto log = std::make_unique<TKROData>();
        log->setExLogData(&ex);
        log->setPageControl(&pages);
        log->setStringGrid(&grid);
        log->setTimeDataView(&tree);
        log->setLogProgress(&progress);
        log->setLocale(QLocale::c());
        QObject::connect(
            log.get(), &TKROData::OnLapSelected, [this](int lap) { selected.push_back(lap); });
        QObject::connect(log.get(), &TKROData::LogChartRefresh, [this] { ++chartRefreshes; });
        return log;
    }

    static void flatten(const TimingNode &node, int depth, QStringList &lines)
    {
        lines << QString(depth * 2, u' ') + node.text;
        for (const auto &child : node.children)
            flatten(*child, depth + 1, lines);
    }

    QStringList treeLines() const
    {
        QStringList lines;
        for (const auto &node : tree.topLevel())
            flatten(*node, 0, lines);
        return lines;
    }

    RecordTable ex;
    LapPages pages;
    ChannelGrid grid;
    TimingTree tree;
    ProgressModel progress;
    std::vector<int> selected;
    int chartRefreshes = 0;
};

} // namespace

TEST_F(TKRODataTest, OpenLogTableBuildsTimingLapsTreeAndAGridColumn)
{
    makeSession();
    auto log = session();
    int treeChanges = 0;
    QObject::connect(&tree, &TimingTree::changed, [&] { ++treeChanges; });
    EXPECT_EQ(log->OpenLogTable("/logs/run.kro"), 1);
    // A bound tree view rebuilds once for the whole log, not once per node.
    EXPECT_EQ(treeChanges, 1);

    EXPECT_EQ(log->LogData().recordCount(), 4); // data rows only
    EXPECT_EQ(log->Driver, "Ann");
    EXPECT_EQ(log->TrackCondition, "Dry");
    EXPECT_EQ(log->MemoStr, "Test day");
    EXPECT_EQ(log->LogDate, QDateTime(QDate(2024, 6, 15), QTime(10, 30)));
    EXPECT_FALSE(ex.filtered());
    EXPECT_TRUE(ex.isOpen());
    EXPECT_EQ(ex.rowCount(), 0); // the rows moved to the session

    EXPECT_EQ(log->TimeData().recordCount(), 2);
    EXPECT_EQ(log->LogLaps(), QStringList({ "Lap_Number : 6", "Lap_Number : 7" }));
    ASSERT_EQ(pages.count(), 1);
    EXPECT_EQ(pages.title(0), "run.kro");
    EXPECT_EQ(pages.list(0)->items(), log->LogLaps());

    EXPECT_EQ(treeLines(),
        QStringList({ "run.kro", "  Lap: 6", "    Sec: 3 Time: 020.13",
            "      Sector_Difference: 000.50", "  Lap: 7 Time: 065.21", "    Sec: 4 Time: 012.40",
            "      Lap_Difference: -000.35" }));

    EXPECT_EQ(grid.colCount(), 2);
    EXPECT_EQ(grid.cell(0, 0), "1");
    EXPECT_EQ(grid.cell(1, 0), "run.kro");
    EXPECT_EQ(grid.object(1, 0), log.get());
    QStringList rows;
    for (int r = 1; r < grid.rowCount(); ++r)
        rows << grid.cell(0, r);
    EXPECT_EQ(rows,
        QStringList(
            { "Track_Time", "ReadingID", "LapID", "GPS_Lap_Distance", "GPSSpeed", "RPM", "" }));
    // The cursor is on the first data row and the grid shows it.
    EXPECT_EQ(grid.cell(1, grid.rowOfName("RPM")), "5000.5");
    EXPECT_EQ(grid.cell(1, grid.rowOfName("ReadingID")), "1");
    log->LogData().Next();
    EXPECT_EQ(grid.cell(1, grid.rowOfName("RPM")), "5100");
}

TEST_F(TKRODataTest, ASecondLogTakesTheNextGridColumnAndSharesTheRows)
{
    makeSession();
    auto first = session();
    first->OpenLogTable("run.kro");
    const int rows = grid.rowCount();
    makeSession(); // the window loads each file afresh
    auto second = session();
    second->setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(second->OpenLogTable("other.kro"), 2);
    EXPECT_EQ(grid.colCount(), 3);
    EXPECT_EQ(grid.cell(0, 0), "2");
    EXPECT_EQ(grid.cell(2, 0), "other.kro");
    EXPECT_EQ(grid.rowCount(), rows);
    EXPECT_EQ(grid.cell(2, grid.rowOfName("RPM")), "5000,5"); // the display locale's separator
    EXPECT_EQ(second->LogData().numberAt(second->LogData().columnIndex("RPM"), 1), 5000.5);
    EXPECT_EQ(treeLines().count("other.kro"), 1);
}

TEST_F(TKRODataTest, WithoutLapIDOnlyDataAndGridRowsAreBuilt)
{
    makeSession(false);
    auto log = session();
    EXPECT_EQ(log->OpenLogTable("old.kro"), 1);
    EXPECT_FALSE(log->hasLapID());
    EXPECT_EQ(log->LogData().recordCount(), 4);
    EXPECT_EQ(log->TimeData().rowCount(), 0);
    EXPECT_TRUE(log->LogLaps().isEmpty());
    EXPECT_EQ(pages.count(), 0);
    EXPECT_TRUE(tree.topLevel().empty());
    EXPECT_EQ(grid.cell(0, 1), "Memo"); // column 13 on
    EXPECT_EQ(grid.cell(1, grid.rowOfName("RPM")), "5000.5");
}

TEST_F(TKRODataTest, TickingALapShowsOnlyThatLapAndUntickingShowsAllAgain)
{
    makeSession();
    auto log = session();
    log->OpenLogTable("run.kro");
    LapCheckList &list = *pages.list(0);

    list.clickCheck(0);
    list.clickCheck(1); // ticking lap 7 unticks lap 6
    EXPECT_FALSE(list.checked(0));
    EXPECT_TRUE(list.checked(1));
    EXPECT_EQ(log->DataFilter(), "RecordType = 1 and [Lap_Number] = 7");
    EXPECT_EQ(log->LogData().recordCount(), 2);
    EXPECT_FALSE(log->DisableComponents());
    EXPECT_FALSE(log->LogData().ControlsDisabled());

    list.clickCheck(1);
    EXPECT_FALSE(list.checked(1));
    EXPECT_EQ(log->DataFilter(), "RecordType = 1");
    EXPECT_EQ(log->LogData().recordCount(), 4);
    EXPECT_EQ(selected, std::vector<int>({ 6, 7, -1 }));
    EXPECT_EQ(chartRefreshes, 3);
}

TEST_F(TKRODataTest, AChartAndATrackMapFollowTheCursorAndTheLapBesideTheGrid)
{
    makeSession();
    auto log = session();
    log->OpenLogTable("run.kro");
    RecordTable &rows = log->LogData();
    QObject chart;
    QObject trackMap;
    std::vector<int> chartRows;
    std::vector<int> mapRows;
    std::vector<int> mapLaps;
    QObject::connect(&rows, &RecordTable::AfterScroll, &chart,
        [&] { chartRows.push_back(int(rows.fieldByName("ReadingID").asInteger())); });
    QObject::connect(&rows, &RecordTable::AfterScroll, &trackMap,
        [&] { mapRows.push_back(int(rows.fieldByName("ReadingID").asInteger())); });
    QObject::connect(
        log.get(), &TKROData::OnLapSelected, &trackMap, [&](int lap) { mapLaps.push_back(lap); });

    rows.Next();
    EXPECT_EQ(chartRows, std::vector<int>({ 2 }));
    EXPECT_EQ(mapRows, chartRows);
    EXPECT_EQ(grid.cell(1, grid.rowOfName("RPM")), "5100"); // the session's own handler too
    pages.list(0)->clickCheck(1);
    EXPECT_EQ(mapLaps, std::vector<int>({ 7 }));
    EXPECT_EQ(selected, mapLaps);
}

TEST_F(TKRODataTest, ALapListThatOutlivesItsSessionReachesNothing)
{
    makeSession();
    auto log = session();
    log->OpenLogTable("run.kro");
    log.reset(); // the window closes the log but keeps its lap page for now
    pages.list(0)->clickCheck(0);
    EXPECT_TRUE(pages.list(0)->checked(0));
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(chartRefreshes, 0);
}

TEST_F(TKRODataTest, OpenLogAsLapsTakesOneLapOrderedByLapID)
{
    makeSession();
    auto log = session();
    EXPECT_EQ(log->OpenLogAsLaps("/logs/run.kro", 7), 1);
    EXPECT_EQ(log->LogData().recordCount(), 2);
    EXPECT_EQ(log->XLabels(), "LapID");
    EXPECT_TRUE(ex.filtered()); // stays on the lap
    EXPECT_TRUE(log->Driver.isEmpty());
    EXPECT_EQ(pages.count(), 0);
    EXPECT_EQ(grid.cell(1, 0), "/logs/run.kro");
    // Channel column i goes to row i - 24; the grid grows to hold them.
    EXPECT_EQ(grid.cell(0, 1), "Track_Time");
    EXPECT_EQ(grid.cell(0, 6), "RPM");
    EXPECT_EQ(grid.rowCount(), 8);
    EXPECT_EQ(treeLines(),
        QStringList({ "/logs/run.kro", "  Lap: 7 Time: 065.21", "    Lap: 7 Time: 065.21",
            "      Lap_Difference: -000.35" }));
}

TEST_F(TKRODataTest, SaveLogFileRedefinesTheTargetAndWritesTheSessionInformation)
{
    QTemporaryDir dir;
    for (const bool withHeader : { true, false }) {
        makeSession(true, withHeader);
        auto log = session();
        log->OpenLogTable("run.kro");
        log->Driver = "Bob";
        log->Vehicle = "Kart";
        log->LogDate = QDateTime(QDate(2025, 1, 2), QTime(3, 4));
        // The shared table meanwhile holds some other file.
        ex.close();
        ex.clearColumns();
        ex.addColumn("Other", ColumnType::Integer);
        ex.open();
        ex.Append();
        ex.field(0).setInteger(99);
        ex.Post();

        const QString file = dir.filePath(withHeader ? "with.kro" : "without.kro");
        log->setLogFileName(file);
        log->SaveLogFile();
        EXPECT_FALSE(ex.isOpen());
        EXPECT_EQ(log->LogData().recordCount(), 4); // still filtered to data rows

        RecordTable saved;
        saved.loadFromFile(file);
        EXPECT_EQ(saved.findColumn("Other"), -1);
        EXPECT_EQ(saved.columnCount(), log->LogData().columnCount());
        EXPECT_EQ(saved.rowCount(), 5);
        ASSERT_TRUE(saved.Locate("RecordType", { 2 }));
        EXPECT_EQ(saved.fieldByName("ReadingID").asInteger(), 0);
        EXPECT_EQ(saved.fieldByName("Driver").asText(), "Bob");
        EXPECT_EQ(saved.fieldByName("Vehicle").asText(), "Kart");
        EXPECT_EQ(
            saved.fieldByName("Date").asDateTime(), QDateTime(QDate(2025, 1, 2), QTime(3, 4)));
    }
}

TEST_F(TKRODataTest, SaveLogFileWithoutAFileNameFails)
{
    makeSession();
    auto log = session();
    log->OpenLogAsLaps("run.kro", 6);
    EXPECT_THROW(log->SaveLogFile(), RecordTableError);
}

TEST_F(TKRODataTest, ClearedWindowModelsLeaveTheSessionHarmless)
{
    makeSession();
    auto log = session();
    log->OpenLogTable("run.kro");
    pages.removePage(0); // frees the lap list the session ticks
    grid.reset();
    tree.clear();
    log->LapListClickCheck(0);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(grid.colCount(), 2);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(0, 0), "0");
    EXPECT_EQ(grid.object(1, 0), nullptr);
    EXPECT_TRUE(tree.topLevel().empty());
}
