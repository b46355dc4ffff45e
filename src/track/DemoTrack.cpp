#include "track/DemoTrack.h"

#include "card/DemoCircuit.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "logger/TKROTrack.h"
#include "session/RecordTable.h"
#include "track/MapEdgeImport.h"
#include "track/MapTable.h"
#include "track/TrackLinePlacing.h"

#include <QDir>
#include <cmath>

namespace zel {

namespace {

constexpr double kHalfWidth = 6.0; // metres from the racing line to either edge
constexpr double kPointSpacing = 10.0; // metres between edge points
constexpr double kLineReach = 20.0; // metres a line reaches out from the racing line
constexpr int kSectors = 3;

// The point \a offset metres left of the racing line at distance \a s (right when negative).
DemoCircuit::Point besideLine(const DemoCircuit &circuit, double s, double offset)
{
    const DemoCircuit::Point before = circuit.pointAt(s - 1.0);
    const DemoCircuit::Point after = circuit.pointAt(s + 1.0);
    const DemoCircuit::Point at = circuit.pointAt(s);
    const double dx = after.x - before.x;
    const double dy = after.y - before.y;
    const double length = std::hypot(dx, dy);
    return { at.x - dy / length * offset, at.y + dx / length * offset };
}

void writePathFile(const QString &path, const DemoCircuit &circuit, double offset,
    const QString &name)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<Placemark>\n"
                      "<name>"
        + name.toUtf8()
        + "</name>\n<LineString>\n<tessellate>1</tessellate>\n<coordinates>\n";
    const int points = int(circuit.length() / kPointSpacing);
    for (int i = 0; i < points; ++i) {
        const DemoCircuit::Degrees at = DemoCircuit::degreesOf(
            besideLine(circuit, i * circuit.length() / points, offset));
        text += QByteArray::number(at.longitude, 'f', 7) + ','
            + QByteArray::number(at.latitude, 'f', 7) + ",0\n";
    }
    text += "</coordinates>\n</LineString>\n</Placemark>\n</Document>\n</kml>\n";
    AtomicFile::replace(path, { text });
}

void writeSectorFile(const QString &path, const DemoCircuit &circuit)
{
    TKROTrack track;
    track.TrackData() = {};
    for (int k = 0; k < kSectors; ++k) {
        const double s = k * circuit.length() / kSectors;
        const DemoCircuit::Degrees left = DemoCircuit::degreesOf(besideLine(circuit, s, kLineReach));
        const DemoCircuit::Degrees right
            = DemoCircuit::degreesOf(besideLine(circuit, s, -kLineReach));
        TrackLine &line = track.TrackData()[size_t(k)];
        line.index = std::uint8_t(k);
        line.RecType = k == 0 ? kStartFinishLine : kSectorLine;
        placeLineEnd(line, LineEnd::First, left.longitude * 1e6, left.latitude * 1e6,
            LineFile::Sectors);
        placeLineEnd(line, LineEnd::Second, right.longitude * 1e6, right.latitude * 1e6,
            LineFile::Sectors);
    }
    track.setRecordCount(kSectors);
    track.setTrackFileName(path);
    track.SaveTrackTable();
}

} // namespace

QStringList writeDemoTrack(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    const QDir dir(folder);
    const DemoCircuit circuit;
    const QString inside = dir.filePath(QStringLiteral("Demo Circuit inside.txt"));
    const QString outside = dir.filePath(QStringLiteral("Demo Circuit outside.txt"));
    writePathFile(inside, circuit, kHalfWidth, QStringLiteral("Demo Circuit inside edge"));
    writePathFile(outside, circuit, -kHalfWidth, QStringLiteral("Demo Circuit outside edge"));

    RecordTable map;
    defineMapTable(map);
    importPathEdge(map, inside, TrackSide::Inside);
    importPathEdge(map, outside, TrackSide::Outside);
    const QString mapFile = dir.filePath(QStringLiteral("Demo Circuit.map"));
    saveMapFile(map, mapFile);

    const QString sectorFile = dir.filePath(QStringLiteral("Demo Circuit.Prc"));
    writeSectorFile(sectorFile, circuit);
    return { inside, outside, mapFile, sectorFile };
}

} // namespace zel
