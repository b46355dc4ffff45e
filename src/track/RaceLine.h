#pragma once

#include <QList>
#include <QPointF>

namespace zel {

class RecordTable;

/// The positions a lap drove, for drawing it on a map: (GPSLong, GPSLat) of each row of
/// \a lap in its view order, in map units. Rows with an empty GPS cell have no position and
/// are left out; a table without either GPS column (a log recorded without GPS) gives none.
QList<QPointF> raceLinePoints(const RecordTable &lap);

} // namespace zel
