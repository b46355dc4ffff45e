#include "MapTesting.h"
#include "session/RecordTableError.h"
#include "track/MapEdgeImport.h"
#include "track/TrackMapError.h"

#include <QTemporaryDir>
#include <limits>

using namespace zel;
using namespace zel::testing;

namespace {

// Appends map rows in the given order; kEmpty leaves a cell empty.
void appendRows(RecordTable &map, const std::vector<MapRow> &rows)
{
    if (!map.isOpen())
        map.open();
    for (const MapRow &row : rows) {
        map.Append();
        const std::pair<const QString &, double> cells[] = { { MapColumn::ReadingID, row.id },
            { MapColumn::InsideLong, row.insideLong }, { MapColumn::InsideLat, row.insideLat },
            { MapColumn::OutsideLong, row.outsideLong },
            { MapColumn::OutsideLat, row.outsideLat } };
        for (const auto &[name, value] : cells) {
            if (!std::isnan(value))
                map.fieldByName(name).setReal(value);
        }
        map.Post();
    }
}

class MapTable : public ::testing::Test
{
protected:
    MapTable() { defineMapTable(map); }

    QTemporaryDir dir;
    RecordTable map;
};

} // namespace

TEST_F(MapTable, ASavedMapReloadsToTheSameRowsInPointOrder)
{
    appendRows(map,
        { { 2, 1.5, -2.25, 3, 4 }, { 1, 151209300, -33868800, -0.125, 7 }, { 3, 5, 6, 7, 8 } });
    const QString path = dir.filePath(QStringLiteral("circuit.map"));
    saveMapFile(map, path);

    RecordTable loaded;
    defineMapTable(loaded);
    loadMapFile(loaded, path);
    EXPECT_EQ(mapRows(loaded),
        (std::vector<MapRow> {
            { 1, 151209300, -33868800, -0.125, 7 }, { 2, 1.5, -2.25, 3, 4 }, { 3, 5, 6, 7, 8 } }));
    EXPECT_EQ(loaded.indexName(), MapColumn::ReadingIndex);
}

TEST_F(MapTable, AFileThatIsNotAMapLeavesTheMapAsItWas)
{
    appendRows(map, { { 1, 10, 20, 30, 40 } });
    const std::vector<MapRow> before = mapRows(map);

    RecordTable other;
    other.addColumn(MapColumn::ReadingID, ColumnType::Integer);
    other.addColumn(MapColumn::InsideLong, ColumnType::Real);
    other.open();
    const QString notAMap = dir.filePath(QStringLiteral("other.map"));
    other.saveToFile(notAMap);
    RecordTable textual;
    textual.addColumn(MapColumn::ReadingID, ColumnType::Integer);
    for (const QString &name : { MapColumn::InsideLong, MapColumn::InsideLat, MapColumn::InsideAlt,
             MapColumn::OutsideLong, MapColumn::OutsideLat })
        textual.addColumn(name, ColumnType::Real);
    textual.addColumn(MapColumn::OutsideAlt, ColumnType::Text, 10);
    textual.open();
    const QString textAltitude = dir.filePath(QStringLiteral("text.map"));
    textual.saveToFile(textAltitude);

    EXPECT_THROW(loadMapFile(map, notAMap), TrackMapError);
    EXPECT_THROW(loadMapFile(map, textAltitude), TrackMapError);
    EXPECT_THROW(loadMapFile(map, dir.filePath(QStringLiteral("missing.map"))), RecordTableError);
    EXPECT_EQ(mapRows(map), before);
    EXPECT_EQ(map.columnCount(), 7);
}

TEST_F(MapTable, SavingFillsTheEdgesForward)
{
    // The outside edge has two points fewer; the inside edge has a gap and starts late.
    appendRows(map,
        { { 1, kEmpty, kEmpty, 30, 40 }, { 2, 11, 21, 31, 41 }, { 3, 0, 0, kEmpty, kEmpty },
            { 4, 13, 23, kEmpty, kEmpty } });
    saveMapFile(map, dir.filePath(QStringLiteral("filled.map")));
    EXPECT_EQ(mapRows(map),
        (std::vector<MapRow> { { 1, 0, 0, 30, 40 }, { 2, 11, 21, 31, 41 }, { 3, 11, 21, 31, 41 },
            { 4, 13, 23, 31, 41 } }));

    RecordTable closed;
    defineMapTable(closed);
    try {
        saveMapFile(closed, dir.filePath(QStringLiteral("none.map")));
        ADD_FAILURE() << "no error";
    } catch (const TrackMapError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("There is no track map to save"));
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none.map"))));
}

TEST_F(MapTable, TidyingDropsRowsMissingEitherLongitude)
{
    appendRows(map,
        { { 1, 10, 20, 30, 40 }, { 2, 0, 21, 31, 41 }, { 3, 12, 22, kEmpty, 42 },
            { 4, 13, 0, 33, 0 } });
    tidyMap(map);
    EXPECT_EQ(mapRows(map), (std::vector<MapRow> { { 1, 10, 20, 30, 40 }, { 4, 13, 0, 33, 0 } }));
}

TEST_F(MapTable, EdgePointsForDrawingLeaveOutRowsWithoutAPoint)
{
    EXPECT_TRUE(mapEdgePoints(map, TrackSide::Inside).isEmpty()); // closed
    appendRows(map,
        { { 3, 12, 22, kEmpty, kEmpty }, { 1, 10, 20, 30, 40 }, { 2, 11, 21, 0, 0 } });
    EXPECT_EQ(mapEdgePoints(map, TrackSide::Inside),
        (QList<QPointF> { { 10, 20 }, { 11, 21 }, { 12, 22 } }));
    EXPECT_EQ(mapEdgePoints(map, TrackSide::Outside), (QList<QPointF> { { 30, 40 } }));
}

TEST_F(MapTable, AnImportCopesWithAForeignMapsPointNumbers)
{
    // A file from elsewhere may repeat a point number, leave one empty or hold the largest.
    const qint32 largest = std::numeric_limits<qint32>::max();
    appendRows(map, { { kEmpty, 5, 6, 7, 8 }, { 1, 10, 20, 30, 40 }, { 1, 11, 21, 31, 41 } });
    map.Append();
    map.fieldByName(MapColumn::ReadingID).setInteger(largest);
    map.fieldByName(MapColumn::OutsideLong).setReal(99);
    map.Post();
    const QString path = dir.filePath(QStringLiteral("foreign.map"));
    map.saveToFile(path);
    RecordTable loaded;
    defineMapTable(loaded);
    loadMapFile(loaded, path);

    RecordTable lap;
    makeLap(lap, { { 100, 200 }, { 101, 201 } });
    importLapEdge(loaded, lap, TrackSide::Inside);
    EXPECT_EQ(mapRows(loaded),
        (std::vector<MapRow> { { kEmpty, 5, 6, 7, 8 }, { 1, 100, 200, 30, 40 },
            { 1, 11, 21, 31, 41 }, { 2, 101, 201, kEmpty, kEmpty },
            { double(largest), kEmpty, kEmpty, 99, kEmpty } }));
}
