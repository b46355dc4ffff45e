#include "ui/SeriesSmoothing.h"

namespace zel {

void smoothenValues(QVector<double> &values, int filterLevel)
{
    if (values.size() < 2)
        return;
    const double a = filterLevel / 10.0;
    double s = values[1];
    for (qsizetype i = 0; i + 1 < values.size(); ++i) {
        values[i] = a * values[i] + (1.0 - a) * s;
        s = values[i];
    }
}

} // namespace zel
