#include "track/RaceLine.h"

#include "session/RecordTable.h"

namespace zel {

QList<QPointF> raceLinePoints(const RecordTable &lap)
{
    const int longitude = lap.findColumn(QStringLiteral("GPSLong"));
    const int latitude = lap.findColumn(QStringLiteral("GPSLat"));
    QList<QPointF> points;
    if (longitude < 0 || latitude < 0 || !lap.isOpen())
        return points;
    const int count = lap.recordCount();
    points.reserve(count);
    for (int position = 0; position < count; ++position) {
        const int row = lap.viewRow(position);
        if (!lap.isNullAt(longitude, row) && !lap.isNullAt(latitude, row))
            points.append({ lap.numberAt(longitude, row), lap.numberAt(latitude, row) });
    }
    return points;
}

} // namespace zel
