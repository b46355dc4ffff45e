#pragma once

#include <qcustomplot.h>

namespace zel {

/// The part of the plot height in which a vertical axis draws its data, in percent from the
/// top of the plot. Every axis spans the whole plot; its shown range is widened so that its
/// data range lands in its band (shownRange), and its ticker labels only the band.
struct ChartBand
{
    double start = 0.0;
    double end = 100.0;

    /// Band \a k of \a n stacked bands: the first runs from 0 to 100/n, each further one
    /// starts 2 below the end of the one above it and ends 100/n lower.
    static ChartBand separated(int k, int n);

    /// The range an axis must show so that \a data fills this band of the plot height. An
    /// empty data range is widened by one either side.
    QCPRange shownRange(QCPRange data) const;

    bool operator==(const ChartBand &) const = default;
};

} // namespace zel
