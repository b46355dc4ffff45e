#pragma once

#include "track/MapTable.h"

namespace zel {

class ProgressModel;
class RecordTable;

/// The lap imports of one map's two edges: which edge has been imported since the map was
/// last tidied. Once both have, the map is tidied (rows missing either edge are dropped)
/// and the count starts again. Importing the same edge twice only replaces it.
class LapEdgeImports
{
public:
    /// What an import left to do.
    enum class Outcome { AwaitingInside, AwaitingOutside, Tidied };

    /// Builds \a side's edge of \a map from \a lap (importLapEdge), then tidies the map when
    /// the other edge has been imported too.
    Outcome importLap(RecordTable &map, const RecordTable &lap, TrackSide side,
        ProgressModel *progress = nullptr);

    /// True while one edge came from a lap and the other has not yet: the map is not to
    /// be saved then, since the tidying has not happened.
    bool awaitingSecondEdge() const { return m_inside != m_outside; }

    /// Forgets the imports, for a map that was cleared or loaded from a file.
    void reset() { m_inside = m_outside = false; }

private:
    bool m_inside = false;
    bool m_outside = false;
};

} // namespace zel
