#pragma once

namespace zel {

/// What the main window asks of the chart about the series of grid cells. The chart adapter
/// implements it; until one is attached the window has no series to remove.
class LogChartSeries
{
public:
    virtual ~LogChartSeries() = default;

    /// Removes the series of grid cell (\a column, \a row), if it has one, and then the
    /// cell's axis when no other series uses it.
    virtual void removeSeriesOf(int column, int row) = 0;
};

} // namespace zel
