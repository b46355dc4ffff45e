#pragma once

#include "logger/TKROTrack.h"

namespace zel {

/// Which line file a line belongs to: sector lines have a slope, message lines do not.
enum class LineFile { Sectors, Messages };

/// Which end of a line a click places.
enum class LineEnd { First, Second };

/// Places \a end of \a line at (x, y) in map units, each truncated toward zero to a whole
/// number, and sets PointsSet to 2. Placing a sector line's second end also sets its Slope:
/// (Y2 - Y1) / (X2 - X1), or 0 for an upright line (X2 = X1).
void placeLineEnd(TrackLine &line, LineEnd end, double x, double y, LineFile file);

/// The first unused record (RecType 0) of a line file, for a new line. Throws TrackMapError
/// when all 256 are in use.
int freeLineRecord(const TKROTrack::Lines &lines);

} // namespace zel
