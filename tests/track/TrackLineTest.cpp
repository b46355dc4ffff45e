#include "MapTesting.h"
#include "logger/TKROTrack.h"
#include "track/RaceLine.h"
#include "track/TrackLinePlacing.h"
#include "track/TrackMapError.h"

using namespace zel;
using namespace zel::testing;

TEST(TrackLinePlacing, EndsAreWholeUnitsAndSectorLinesGetTheirSlope)
{
    const struct
    {
        const char *name;
        double x1, y1, x2, y2;
        LineFile file;
        double expected[5]; // X1, Y1, X2, Y2, Slope
    } cases[] = {
        { "ends truncated", 10.7, 20.2, 15.9, 20.9, LineFile::Sectors, { 10, 20, 15, 20, 0 } },
        { "toward zero", -10.7, -20.2, 15.9, 40.9, LineFile::Sectors,
            { -10, -20, 15, 40, 60.0 / 25 } },
        { "upright line", 7.5, 1, 7.2, 9, LineFile::Sectors, { 7, 1, 7, 9, 0 } },
        { "message lines keep their slope", 0, 0, 4, 8, LineFile::Messages, { 0, 0, 4, 8, -3 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TrackLine line {};
        line.Slope = -3;
        placeLineEnd(line, LineEnd::First, c.x1, c.y1, c.file);
        EXPECT_EQ(line.PointsSet, 2);
        line.PointsSet = 0;
        placeLineEnd(line, LineEnd::Second, c.x2, c.y2, c.file);
        EXPECT_EQ(line.PointsSet, 2);
        const double stored[] = { line.X1, line.Y1, line.X2, line.Y2, line.Slope };
        for (int i = 0; i < 5; ++i)
            EXPECT_DOUBLE_EQ(stored[i], c.expected[i]) << "field " << i;
    }
}

TEST(TrackLinePlacing, ANewLineTakesTheFirstFreeRecordAndNeverA257th)
{
    TKROTrack::Lines lines {};
    EXPECT_EQ(freeLineRecord(lines), 0);
    for (TrackLine &line : lines)
        line.RecType = kSectorLine;
    lines[7].RecType = kLineUnused;
    lines[200].RecType = kLineUnused;
    EXPECT_EQ(freeLineRecord(lines), 7);
    lines[7].RecType = kLogStopLine;
    lines[200].RecType = kLogStartLine;
    EXPECT_THROW(freeLineRecord(lines), TrackMapError);
}

TEST(RaceLine, GivesTheLapsPositionsInViewOrder)
{
    RecordTable lap;
    makeLap(lap, { { 9, 10 }, { 5, 6 }, { 5, 6 }, { std::nullopt, 9 }, { 7, -8.5 } });
    lap.setIndexFieldNames(QStringLiteral("GPSLat"));
    EXPECT_EQ(raceLinePoints(lap), (QList<QPointF> { { 7, -8.5 }, { 5, 6 }, { 5, 6 }, { 9, 10 } }));

    for (const char *kept : { "GPSLong", "GPSLat" }) {
        RecordTable partial;
        partial.addColumn(QString::fromLatin1(kept), ColumnType::Real);
        partial.open();
        const double value = 1;
        const unsigned char present = 1;
        partial.AppendNumbers(&value, &present);
        EXPECT_TRUE(raceLinePoints(partial).isEmpty()) << kept;
    }
}
