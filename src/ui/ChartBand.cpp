#include "ui/ChartBand.h"

#include <algorithm>

namespace zel {

ChartBand ChartBand::separated(int k, int n)
{
    n = std::max(n, 1);
    const double share = 100.0 / n;
    return { k == 0 ? 0.0 : k * share + 2.0, (k + 1) * share };
}

QCPRange ChartBand::shownRange(QCPRange data) const
{
    if (!(data.size() > 0.0))
        data = QCPRange(data.lower - 1.0, data.upper + 1.0);
    // Fractions of the plot height, measured from the bottom as the axis counts.
    const double low = 1.0 - std::clamp(end, 0.0, 100.0) / 100.0;
    const double high = 1.0 - std::clamp(start, 0.0, 100.0) / 100.0;
    const double fraction = std::max(high - low, 0.01);
    const double span = data.size() / fraction;
    const double lower = data.lower - low * span;
    return QCPRange(lower, lower + span);
}

} // namespace zel
