#include "track/MapRange.h"

#include <algorithm>

namespace zel {

void MapRange::include(double x, double y)
{
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

void MapRange::include(const MapRange &other)
{
    if (other.isEmpty())
        return;
    include(other.minX, other.minY);
    include(other.maxX, other.maxY);
}

MapRange viewAfterPathImport(const MapRange &view, const MapRange &box)
{
    if (box.isEmpty())
        return view;
    if (view.maxY == 0.0)
        return box;
    MapRange widened = view;
    widened.include(box);
    return widened;
}

} // namespace zel
