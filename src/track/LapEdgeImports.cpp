#include "track/LapEdgeImports.h"

#include "track/MapEdgeImport.h"

namespace zel {

LapEdgeImports::Outcome LapEdgeImports::importLap(
    RecordTable &map, const RecordTable &lap, TrackSide side, ProgressModel *progress)
{
    importLapEdge(map, lap, side, progress);
    (side == TrackSide::Inside ? m_inside : m_outside) = true;
    if (!(m_inside && m_outside))
        return m_inside ? Outcome::AwaitingOutside : Outcome::AwaitingInside;
    tidyMap(map);
    reset();
    return Outcome::Tidied;
}

} // namespace zel
