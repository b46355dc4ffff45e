#include "MapTesting.h"
#include "session/ProgressModel.h"
#include "session/RecordTableError.h"
#include "track/LapEdgeImports.h"
#include "track/MapEdgeImport.h"

using namespace zel;
using namespace zel::testing;

namespace {

class LapEdge : public ::testing::Test
{
protected:
    LapEdge() { defineMapTable(map); }

    void importLap(const std::vector<GpsFix> &fixes, TrackSide side)
    {
        RecordTable lap;
        makeLap(lap, fixes);
        importLapEdge(map, lap, side);
    }

    RecordTable map;
};

struct PointCase
{
    const char *name;
    std::vector<GpsFix> fixes;
    std::vector<MapRow> rows;
};

} // namespace

TEST_F(LapEdge, TakesARowOnlyWhenBothCoordinatesChange)
{
    const PointCase cases[] = {
        { "standstill gives one point", { { 10, 20 }, { 10, 20 }, { 10, 20 }, { 11, 21 } },
            { { 1, 10, 20, kEmpty, kEmpty }, { 2, 11, 21, kEmpty, kEmpty } } },
        { "latitude-only change is skipped", { { 10, 20 }, { 10, 25 }, { 11, 26 } },
            { { 1, 10, 20, kEmpty, kEmpty }, { 2, 11, 26, kEmpty, kEmpty } } },
        { "longitude-only change is skipped", { { 10, 20 }, { 15, 20 }, { 16, 21 } },
            { { 1, 10, 20, kEmpty, kEmpty }, { 2, 16, 21, kEmpty, kEmpty } } },
        { "the start position (-1, -1) is compared too", { { -1, 5 }, { 3, -1 }, { 3, 4 } },
            { { 1, 3, 4, kEmpty, kEmpty } } },
        { "rows without a fix are passed over",
            { { std::nullopt, 20 }, { 10, std::nullopt }, { 10, 20 }, { {}, {} }, { 11, 21 } },
            { { 1, 10, 20, kEmpty, kEmpty }, { 2, 11, 21, kEmpty, kEmpty } } },
        { "a lap without rows gives no point", {}, {} },
    };
    for (const PointCase &c : cases) {
        SCOPED_TRACE(c.name);
        map.close();
        importLap(c.fixes, TrackSide::Inside);
        EXPECT_TRUE(map.isOpen());
        EXPECT_EQ(mapRows(map), c.rows);
    }
}

TEST_F(LapEdge, FollowsTheLapsViewAndReportsProgressPerRow)
{
    RecordTable lap;
    makeLap(lap, { { 1003, 2003 }, { 1001, 2001 }, { 1002, 2002 } });
    lap.setIndexFieldNames(QStringLiteral("GPSLong"));
    ProgressModel progress;
    EXPECT_EQ(importLapEdge(map, lap, TrackSide::Outside, &progress), 3);
    EXPECT_EQ(mapRows(map),
        (std::vector<MapRow> { { 1, kEmpty, kEmpty, 1001, 2001 }, { 2, kEmpty, kEmpty, 1002, 2002 },
            { 3, kEmpty, kEmpty, 1003, 2003 } }));
    EXPECT_EQ(progress.maximum(), 3);
    EXPECT_EQ(progress.position(), 3);
}

TEST_F(LapEdge, ALapWithoutGpsIsRefusedBeforeTheMapChanges)
{
    importLap(distinctFixes(2), TrackSide::Inside);
    const std::vector<MapRow> before = mapRows(map);
    RecordTable lap;
    lap.addColumn(QStringLiteral("GPSLat"), ColumnType::Real);
    lap.open();
    EXPECT_THROW(importLapEdge(map, lap, TrackSide::Outside), RecordTableError);
    EXPECT_EQ(mapRows(map), before);
}

TEST_F(LapEdge, AShorterLapReplacesTheWholeSide)
{
    importLap(distinctFixes(5), TrackSide::Inside);
    importLap(distinctFixes(3, 100), TrackSide::Outside);
    importLap(distinctFixes(2, 50), TrackSide::Inside);
    // Row 3 keeps its outside point; rows 4 and 5 had only the old inside points.
    EXPECT_EQ(mapRows(map),
        (std::vector<MapRow> { { 1, 1051, 2051, 1101, 2101 }, { 2, 1052, 2052, 1102, 2102 },
            { 3, kEmpty, kEmpty, 1103, 2103 } }));
}

TEST(LapEdgeImports, TidiesOnceBothEdgesCameFromLaps)
{
    RecordTable map;
    defineMapTable(map);
    LapEdgeImports imports;
    RecordTable inside, outside;
    makeLap(inside, distinctFixes(120));
    makeLap(outside, distinctFixes(118, 500));

    EXPECT_FALSE(imports.awaitingSecondEdge());
    EXPECT_EQ(imports.importLap(map, inside, TrackSide::Inside),
        LapEdgeImports::Outcome::AwaitingOutside);
    EXPECT_TRUE(imports.awaitingSecondEdge());
    // The same edge again replaces it and still waits, instead of tidying the map away.
    EXPECT_EQ(imports.importLap(map, inside, TrackSide::Inside),
        LapEdgeImports::Outcome::AwaitingOutside);
    EXPECT_EQ(map.recordCount(), 120);

    EXPECT_EQ(imports.importLap(map, outside, TrackSide::Outside), LapEdgeImports::Outcome::Tidied);
    EXPECT_FALSE(imports.awaitingSecondEdge());
    const std::vector<MapRow> rows = mapRows(map);
    ASSERT_EQ(rows.size(), 118u);
    EXPECT_EQ(rows.front(), (MapRow { 1, 1001, 2001, 1501, 2501 }));
    EXPECT_EQ(rows.back(), (MapRow { 118, 1118, 2118, 1618, 2618 }));

    // A new round starts from the outside edge just as well.
    EXPECT_EQ(imports.importLap(map, outside, TrackSide::Outside),
        LapEdgeImports::Outcome::AwaitingInside);
    imports.reset();
    EXPECT_FALSE(imports.awaitingSecondEdge());
}
