#pragma once

#include <qcustomplot.h>
#include <vector>

namespace zel {

class RecordTable;

/// The points of one chart series, taken from a table's view in one pass: X from one
/// column, Y from another, in view order. Rows whose X or Y cell is empty, or whose X is not
/// a number, are left out; a Y that is not a number stays and leaves a gap in the line.
struct ChartSeriesData
{
    QVector<double> keys;
    QVector<double> values;
    /// View position of each point's row, for the cursor's report.
    std::vector<int> positions;
    /// True when the keys never decrease, so that a graph with adaptive sampling can draw
    /// them; otherwise a curve must keep the view's order.
    bool sortedByKey = true;
    /// Smallest and largest key and finite value; empty ranges when there is none.
    QCPRange keyRange { 0.0, 0.0 };
    QCPRange valueRange { 0.0, 0.0 };

    /// Reads the view of \a table; a closed table gives no points. Throws zel::Error when a
    /// column does not exist or holds no numbers.
    static ChartSeriesData fromView(
        const RecordTable &table, const QString &xColumn, const QString &yColumn);

    /// Index of the point whose key is nearest to \a key (the first of equals), or -1.
    int nearestByKey(double key) const;

    int size() const { return int(keys.size()); }
};

} // namespace zel
