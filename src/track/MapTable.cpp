#include "track/MapTable.h"

#include "session/ColumnType.h"
#include "session/RecordTable.h"
#include "track/MapRows.h"
#include "track/TrackMapError.h"

#include <QDir>

namespace zel {

const QString &MapColumn::longitude(TrackSide side)
{
    return side == TrackSide::Inside ? InsideLong : OutsideLong;
}

const QString &MapColumn::latitude(TrackSide side)
{
    return side == TrackSide::Inside ? InsideLat : OutsideLat;
}

const QString &MapColumn::altitude(TrackSide side)
{
    return side == TrackSide::Inside ? InsideAlt : OutsideAlt;
}

namespace {

const QString *const kMapColumns[]
    = { &MapColumn::ReadingID, &MapColumn::InsideLong, &MapColumn::InsideLat, &MapColumn::InsideAlt,
          &MapColumn::OutsideLong, &MapColumn::OutsideLat, &MapColumn::OutsideAlt };

} // namespace

void defineMapTable(RecordTable &map)
{
    map.addColumn(MapColumn::ReadingID, ColumnType::Integer);
    for (const QString *name : kMapColumns) {
        if (name != &MapColumn::ReadingID)
            map.addColumn(*name, ColumnType::Real);
    }
    map.addIndex(MapColumn::ReadingIndex, MapColumn::ReadingID);
    map.setIndexName(MapColumn::ReadingIndex);
}

void requireMapColumns(const RecordTable &map)
{
    for (const QString *name : kMapColumns) {
        const int column = map.findColumn(*name);
        if (column < 0 || !isNumericType(map.column(column).type))
            throw TrackMapError(
                QStringLiteral("This is not a track map: it has no number column \"%1\"")
                    .arg(*name));
    }
}

void loadMapFile(RecordTable &map, const QString &path)
{
    requireMapColumns(map);
    RecordTable loaded;
    loaded.loadFromFile(path);
    try {
        requireMapColumns(loaded);
    } catch (const TrackMapError &error) {
        throw TrackMapError(
            QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(path), error.message()));
    }
    // Copying by name keeps the map's own columns and order whatever else the file holds;
    // the copy is made beside the map, so a value that cannot be converted leaves it as it was.
    RecordTable copy;
    for (int c = 0; c < map.columnCount(); ++c)
        copy.addColumn(map.column(c).name, map.column(c).type, map.column(c).size);
    copy.open();
    copy.takeRowsFrom(loaded);
    map.close();
    map.open();
    map.takeRowsFrom(copy);
}

void saveMapFile(RecordTable &map, const QString &path)
{
    if (!map.isOpen())
        throw TrackMapError(QStringLiteral("There is no track map to save"));
    fillMapForward(map);
    map.saveToFile(path);
}

void fillMapForward(RecordTable &map)
{
    if (!map.isOpen())
        return;
    MapRows rows(map);
    rows.fillForward(TrackSide::Inside);
    rows.fillForward(TrackSide::Outside);
    rows.writeTo(map);
}

QList<QPointF> mapEdgePoints(const RecordTable &map, TrackSide side)
{
    QList<QPointF> points;
    const int longitude = map.findColumn(MapColumn::longitude(side));
    const int latitude = map.findColumn(MapColumn::latitude(side));
    if (!map.isOpen() || longitude < 0 || latitude < 0)
        return points;
    const int count = map.recordCount();
    points.reserve(count);
    for (int position = 0; position < count; ++position) {
        const int row = map.viewRow(position);
        if (map.isNullAt(longitude, row) || map.isNullAt(latitude, row))
            continue;
        const double x = map.numberAt(longitude, row);
        const double y = map.numberAt(latitude, row);
        if (x != 0.0 || y != 0.0)
            points.append({ x, y });
    }
    return points;
}

void tidyMap(RecordTable &map)
{
    if (!map.isOpen())
        return;
    MapRows rows(map);
    rows.dropIncompleteRows();
    rows.writeTo(map);
}

} // namespace zel
