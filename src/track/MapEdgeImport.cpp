#include "track/MapEdgeImport.h"

#include "common/Error.h"
#include "formula/FormulaException.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "track/MapRows.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cmath>
#include <exception>
#include <vector>

namespace zel {

int importLapEdge(RecordTable &map, const RecordTable &lap, TrackSide side, ProgressModel *progress)
{
    const int longitude = lap.columnIndex(QStringLiteral("GPSLong"));
    const int latitude = lap.columnIndex(QStringLiteral("GPSLat"));
    MapRows rows(map);
    const int count = lap.isOpen() ? lap.recordCount() : 0;
    if (progress) {
        progress->setMaximum(count);
        progress->setPosition(0);
    }
    double lastX = -1.0;
    double lastY = -1.0;
    int k = 0;
    for (int position = 0; position < count; ++position) {
        const int row = lap.viewRow(position);
        if (!lap.isNullAt(longitude, row) && !lap.isNullAt(latitude, row)) {
            const double x = lap.numberAt(longitude, row);
            const double y = lap.numberAt(latitude, row);
            if (x != lastX && y != lastY) {
                rows.setPoint(++k, side, x, y);
                lastX = x;
                lastY = y;
            }
        }
        if (progress)
            progress->setPosition(position + 1);
    }
    rows.clearSideAfter(k, side);
    rows.writeTo(map);
    return k;
}

namespace {

struct Point
{
    double x;
    double y;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isCounted(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.';
}

// Degrees to map units. Path files write "." whatever the user's locale.
double mapUnits(const QByteArray &degreesText)
{
    const QString text = QString::fromLatin1(degreesText);
    bool ok = false;
    const double units = QLocale::c().toDouble(text, &ok) * 1000000.0;
    if (!ok || !std::isfinite(units))
        throw FormulaException::notANumber(text);
    return units;
}

void readPointsOfLine(const QByteArray &line, std::vector<Point> &points)
{
    QByteArray counted;
    auto takePoint = [&] {
        if (counted.contains(',')) {
            const QList<QByteArray> parts = counted.split(',');
            const double x = mapUnits(parts[0]);
            points.push_back({ x, mapUnits(parts[1]) });
        }
        counted.clear();
    };
    for (const char c : line) {
        if (isSpace(c))
            takePoint();
        else if (isCounted(c))
            counted.append(c);
    }
    takePoint();
}

// Reads the points after the "<coordinates>" line into \a points, as far as they go.
void readPathPoints(QFile &file, std::vector<Point> &points)
{
    bool started = false;
    for (;;) {
        const QByteArray line = file.readLine();
        if (line.isEmpty())
            break;
        if (started)
            readPointsOfLine(line, points);
        else
            started = line.contains("<coordinates>");
    }
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read the path file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

} // namespace

PathEdge importPathEdge(RecordTable &map, const QString &path, TrackSide side)
{
    MapRows rows(map);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open the path file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    std::vector<Point> points;
    std::exception_ptr failure;
    try {
        readPathPoints(file, points);
    } catch (const Error &) {
        failure = std::current_exception();
    }

    PathEdge edge;
    edge.points = int(points.size());
    if (!points.empty()) {
        qint64 k = 0;
        for (const Point &point : points) {
            rows.setPoint(++k, side, point.x, point.y);
            edge.box.include(point.x, point.y);
        }
        // An import cut short is not closed: its last point is not the edge's end.
        if (!failure)
            rows.setPoint(++k, side, points.front().x, points.front().y);
        rows.clearSideAfter(k, side);
        rows.writeTo(map);
    }
    if (failure)
        std::rethrow_exception(failure);
    return edge;
}

} // namespace zel
