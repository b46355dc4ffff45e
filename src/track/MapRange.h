#pragma once

namespace zel {

/// A rectangle in map units (millionths of a degree): X is longitude, Y latitude. Used for
/// the box a path import collects and for a map view's axis ranges.
struct MapRange
{
    /// Where a collected box starts, so that the first point sets every side.
    static constexpr double kEmptyMin = 9999999999.0;
    static constexpr double kEmptyMax = -9999999999.0;

    double minX = kEmptyMin;
    double maxX = kEmptyMax;
    double minY = kEmptyMin;
    double maxY = kEmptyMax;

    /// True until a point was included.
    bool isEmpty() const { return minX > maxX; }
    /// Widens the rectangle to include (x, y).
    void include(double x, double y);
    /// Widens the rectangle to include \a other.
    void include(const MapRange &other);

    bool operator==(const MapRange &) const = default;
};

/// The axis ranges a map view takes after a path import collected \a box: a view never
/// scaled (vertical maximum 0) takes exactly the box; any other view is widened where
/// needed to include it. An empty box (no point read) leaves the view as it is.
MapRange viewAfterPathImport(const MapRange &view, const MapRange &box);

} // namespace zel
