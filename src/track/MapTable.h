#pragma once

#include <QList>
#include <QPointF>
#include <QString>

namespace zel {

class RecordTable;

/// One of a track map's two edges.
enum class TrackSide { Inside, Outside };

/// Column names of the map table. Row k pairs point k of the inside edge with point k of
/// the outside edge; positions are in millionths of a degree (X longitude, Y latitude).
namespace MapColumn {
inline const QString ReadingID = QStringLiteral("ReadingID");
inline const QString InsideLong = QStringLiteral("InsideLong");
inline const QString InsideLat = QStringLiteral("InsideLat");
inline const QString InsideAlt = QStringLiteral("InsideAlt");
inline const QString OutsideLong = QStringLiteral("OutsideLong");
inline const QString OutsideLat = QStringLiteral("OutsideLat");
inline const QString OutsideAlt = QStringLiteral("OutsideAlt");
/// The index over ReadingID that orders the view.
inline const QString ReadingIndex = QStringLiteral("Reading");

/// The longitude column of \a side.
const QString &longitude(TrackSide side);
/// The latitude column of \a side.
const QString &latitude(TrackSide side);
/// The altitude column of \a side.
const QString &altitude(TrackSide side);
} // namespace MapColumn

/// Gives a closed table without columns the map table's seven columns (ReadingID integer,
/// the six others real) and the index "Reading" over ReadingID, which orders its view. The
/// table stays closed; the imports open it. ReadingID is kept unique by the functions that
/// write the map (they update the row of a point number or add it), not by the table.
void defineMapTable(RecordTable &map);

/// Throws TrackMapError unless \a map has the seven map columns, all numeric.
void requireMapColumns(const RecordTable &map);

/// Loads a ".map" file (a saved record table) into \a map, which keeps its own columns and
/// order: the file's rows are copied column by column by name. A file that cannot be read
/// or lacks a map column leaves \a map as it was and throws (RecordTableError for the
/// file, TrackMapError for a missing column).
void loadMapFile(RecordTable &map, const QString &path);

/// Fills the map forward (fillMapForward) and saves it to \a path, atomically. A closed map
/// is refused with "There is no track map to save".
void saveMapFile(RecordTable &map, const QString &path);

/// Fills each of the Long and Lat columns forward in ReadingID order: an empty or 0 cell
/// takes the last non-zero value above it in the same column, and stays 0 when there is
/// none yet. Run before saving, so an edge with fewer points repeats its last point. A
/// closed map stays closed.
void fillMapForward(RecordTable &map);

/// The points of \a side's edge in ReadingID order, for drawing it: rows where that edge
/// has no point (an empty cell, or 0 in a map not yet tidied) are left out, so a shorter
/// edge is not drawn to the origin. A closed map gives none.
QList<QPointF> mapEdgePoints(const RecordTable &map, TrackSide side);

/// Deletes every row whose InsideLong or OutsideLong is 0 or empty: after both edges came
/// from laps, a row that misses either edge's point is dropped. A closed map stays closed.
void tidyMap(RecordTable &map);

} // namespace zel
