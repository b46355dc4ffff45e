#pragma once

#include "track/MapRange.h"
#include "track/MapTable.h"

#include <QString>

namespace zel {

class ProgressModel;
class RecordTable;

/// Builds \a side's edge of \a map (opened when closed) from the rows of \a lap in its view
/// order (a filtered lap table gives that lap). A row becomes the next point k (from 1)
/// when its "GPSLong" and its "GPSLat" both differ from the last point taken (which starts
/// as (-1, -1)): a standing car gives one point, and a row that repeats either coordinate
/// is passed over. Point k updates map row k or adds it, altitude 0; rows after the last
/// point lose this side's values, so a shorter lap leaves nothing of a longer one. Rows
/// with an empty GPS cell have no position and are passed over. \a progress, when given,
/// runs from 0 to the lap's row count. Returns the number of points. A lap without either
/// GPS column throws RecordTableError, before the map is touched.
int importLapEdge(
    RecordTable &map, const RecordTable &lap, TrackSide side, ProgressModel *progress = nullptr);

/// What a path import read.
struct PathEdge
{
    /// Points read (the closing row not counted).
    int points = 0;
    /// The smallest and largest X and Y of those points; empty when none was read.
    MapRange box;
};

/// Builds \a side's edge of \a map (opened when closed) from a path file of a mapping
/// application: the points follow the line holding "<coordinates>" (the rest of that line
/// is not read), separated by white space, each "longitude,latitude[,altitude]" in decimal
/// degrees with "." as separator whatever the locale. Only "+", ",", "-", "." and digits
/// count in a point text; a text without any, or without ",", is not a point (the words and
/// numbers of the tags after the coordinates). Point k becomes map row k as in
/// importLapEdge, in millionths of a degree, and one more row repeats the first point to
/// close the edge; rows after that lose this side's values. A file without points changes
/// nothing. A coordinate that is not a number stops the import with the conversion error
/// (FormulaException); the points read before stay, without the closing row. A file that
/// cannot be opened or read throws FileError.
PathEdge importPathEdge(RecordTable &map, const QString &path, TrackSide side);

} // namespace zel
