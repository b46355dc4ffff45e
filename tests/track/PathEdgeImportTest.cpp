#include "MapTesting.h"
#include "common/Error.h"
#include "formula/FormulaException.h"
#include "track/MapEdgeImport.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <string>

using namespace zel;
using namespace zel::testing;

namespace {

class PathEdgeFile : public ::testing::Test
{
protected:
    PathEdgeFile() { defineMapTable(map); }

    QString write(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("path%1.kml").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    PathEdge import(const QByteArray &text, TrackSide side = TrackSide::Inside)
    {
        return importPathEdge(map, write(text), side);
    }

    QTemporaryDir dir;
    int files = 0;
    RecordTable map;
};

const QByteArray kSydney = "<kml><Placemark><LineString>\n"
                           "<coordinates>\n"
                           "151.2093,-33.8688,0 151.2101,-33.8690,0\n"
                           "</coordinates>\n"
                           "</LineString></Placemark></kml>\n";

const std::vector<MapRow> kSydneyRows = { { 1, 151209300, -33868800, kEmpty, kEmpty },
    { 2, 151210100, -33869000, kEmpty, kEmpty }, { 3, 151209300, -33868800, kEmpty, kEmpty } };

// Sets the program's and the C library's locale for the life of the object.
class GermanLocale
{
public:
    GermanLocale()
        : m_qt(QLocale())
        , m_c(std::setlocale(LC_ALL, nullptr))
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // Not every machine has the German C locale; the program's locale is set anyway.
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanLocale()
    {
        QLocale::setDefault(m_qt);
        std::setlocale(LC_ALL, m_c.c_str());
    }

private:
    QLocale m_qt;
    std::string m_c;
};

void expectNear(const std::vector<MapRow> &actual, const std::vector<MapRow> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].id, expected[i].id);
        EXPECT_DOUBLE_EQ(actual[i].insideLong, expected[i].insideLong);
        EXPECT_DOUBLE_EQ(actual[i].insideLat, expected[i].insideLat);
    }
}

} // namespace

TEST_F(PathEdgeFile, ReadsDecimalDegreesWithAPointWhateverTheLocale)
{
    const PathEdge edge = import(kSydney);
    expectNear(mapRows(map), kSydneyRows);
    EXPECT_EQ(edge.points, 2);
    EXPECT_DOUBLE_EQ(edge.box.minX, 151209300);
    EXPECT_DOUBLE_EQ(edge.box.maxX, 151210100);
    EXPECT_DOUBLE_EQ(edge.box.minY, -33869000);
    EXPECT_DOUBLE_EQ(edge.box.maxY, -33868800);

    map.close();
    const GermanLocale german;
    import(kSydney);
    expectNear(mapRows(map), kSydneyRows);
}

TEST_F(PathEdgeFile, OnlyTheCoordinatesAfterTheirTagCount)
{
    // The rest of the tag's line is not read; tags, words and numbers without "," are not
    // points; altitudes are ignored; tabs and line breaks separate points as blanks do.
    import("<name>Lap 1, 2</name>\n"
           "<coordinates>9,9,9 8,8\n"
           "\t-0.5,+51.25,120.5\t-0.75,51.5,0</coordinates>\r\n"
           "-1.0,52,33\n"
           "</LineString><name>Lap 2</name> <b>bold</b>\n");
    expectNear(mapRows(map),
        { { 1, -500000, 51250000, kEmpty, kEmpty }, { 2, -750000, 51500000, kEmpty, kEmpty },
            { 3, -1000000, 52000000, kEmpty, kEmpty }, { 4, -500000, 51250000, kEmpty, kEmpty } });
}

TEST_F(PathEdgeFile, AFileWithoutPointsChangesNothing)
{
    for (const QByteArray &text : { QByteArray("<kml><name>No path 1</name></kml>\n"),
             QByteArray("<coordinates>1,2 3,4\n</coordinates>\n"), QByteArray() }) {
        SCOPED_TRACE(text.toStdString());
        const PathEdge edge = import(text);
        EXPECT_EQ(edge.points, 0);
        EXPECT_TRUE(edge.box.isEmpty());
        EXPECT_FALSE(map.isOpen());
    }
}

TEST_F(PathEdgeFile, ANumberThatIsNotOneStopsAfterThePointsBefore)
{
    const std::pair<std::string, const char *> cases[] = {
        { "1.2.3,4", "1.2.3" },
        { "12-3,4", "12-3" },
        { "5,", "" },
        { "7,8..9,0", "8..9" },
        { "1" + std::string(400, '0') + ",1", nullptr },
    };
    for (const auto &[point, quoted] : cases) {
        SCOPED_TRACE(point.substr(0, 20));
        map.close();
        try {
            import(QByteArray("<coordinates>\n10,20 11,21\n") + point.c_str() + " 30,40\n");
            ADD_FAILURE() << "no error";
        } catch (const FormulaException &error) {
            EXPECT_EQ(error.kind(), FormulaException::Kind::Conversion);
            if (quoted) {
                EXPECT_EQ(error.message(),
                    FormulaException::notANumber(QString::fromLatin1(quoted)).message());
            }
        }
        // The two points read stay, without a closing row.
        expectNear(mapRows(map),
            { { 1, 10000000, 20000000, kEmpty, kEmpty },
                { 2, 11000000, 21000000, kEmpty, kEmpty } });
    }
}

TEST_F(PathEdgeFile, AMissingOrUnreadableFileIsNamed)
{
    const QString missing = dir.filePath(QStringLiteral("missing.kml"));
    for (const QString &path : { missing, dir.path() }) {
        SCOPED_TRACE(path.toStdString());
        try {
            importPathEdge(map, path, TrackSide::Inside);
            ADD_FAILURE() << "no error";
        } catch (const FileError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.what();
        }
        EXPECT_FALSE(map.isOpen());
    }
}

TEST_F(PathEdgeFile, FillsItsOwnSideAndReplacesALongerEdge)
{
    import("<coordinates>\n1,2 3,4 5,6 7,8\n", TrackSide::Inside);
    import("<coordinates>\n-1,-2 -3,-4\n", TrackSide::Outside);
    import("<coordinates>\n0.5,0.25\n", TrackSide::Inside);
    // The inside edge now has one point and its closing row; rows 4 and 5 had only the
    // old inside edge, row 3 keeps the outside edge's closing point.
    EXPECT_EQ(mapRows(map),
        (std::vector<MapRow> { { 1, 500000, 250000, -1000000, -2000000 },
            { 2, 500000, 250000, -3000000, -4000000 },
            { 3, kEmpty, kEmpty, -1000000, -2000000 } }));
}

TEST(MapViewRange, APathImportSetsOrWidensTheView)
{
    MapRange box;
    box.include(100, 200);
    box.include(150, 180);
    EXPECT_EQ(box, (MapRange { 100, 150, 180, 200 }));

    const MapRange unscaled { -5, 5, 0, 0 };
    const MapRange scaled { 120, 300, 190, 400 };
    const struct
    {
        const char *name;
        MapRange view, box, expected;
    } cases[] = {
        { "a view never scaled takes the box", unscaled, box, box },
        { "a scaled view is widened", scaled, box, { 100, 300, 180, 400 } },
        { "a view holding the box stays", { 0, 999, 0, 999 }, box, { 0, 999, 0, 999 } },
        { "no point read leaves the view", unscaled, MapRange {}, unscaled },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(viewAfterPathImport(c.view, c.box), c.expected);
    }
}
