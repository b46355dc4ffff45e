#include "track/TrackLinePlacing.h"

#include "logger/TrackLine.h"
#include "track/TrackMapError.h"

#include <cmath>

namespace zel {

void placeLineEnd(TrackLine &line, LineEnd end, double x, double y, LineFile file)
{
    // Copies, not references: the record is packed.
    const double wholeX = std::trunc(x);
    const double wholeY = std::trunc(y);
    if (end == LineEnd::First) {
        line.X1 = wholeX;
        line.Y1 = wholeY;
    } else {
        line.X2 = wholeX;
        line.Y2 = wholeY;
        if (file == LineFile::Sectors) {
            const double run = line.X2 - line.X1;
            line.Slope = run == 0.0 ? 0.0 : (line.Y2 - line.Y1) / run;
        }
    }
    line.PointsSet = 2;
}

int freeLineRecord(const TKROTrack::Lines &lines)
{
    for (int i = 0; i < TKROTrack::kLineCount; ++i) {
        if (lines[size_t(i)].RecType == kLineUnused)
            return i;
    }
    throw TrackMapError(QStringLiteral("All %1 lines of the file are in use: delete a line to "
                                       "add another")
                            .arg(TKROTrack::kLineCount));
}

} // namespace zel
