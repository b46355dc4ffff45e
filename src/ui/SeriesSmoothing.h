#pragma once

#include <QVector>

namespace zel {

/// Smooths \a values in place, exponentially, over all points but the last: with
/// a = \a filterLevel / 10 and s starting as the second value, each value becomes
/// a * value + (1 - a) * s and s takes the new value. A higher level follows the data more
/// closely (level 3 smooths least of the three the chart offers). Fewer than two values are
/// left as they are, since there is no second value to start from.
void smoothenValues(QVector<double> &values, int filterLevel);

} // namespace zel
