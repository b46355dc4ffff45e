#pragma once

#include <qcustomplot.h>

namespace zel {

/// Ticker of a vertical axis that owns a band of the plot: ticks and labels are placed by
/// QCustomPlot's own ticker (automatic, or a fixed step) over the axis's data range only, so
/// that the part of the axis outside its band stays bare.
class ChartBandTicker : public QCPAxisTicker
{
public:
    /// Places ticks over \a dataRange; a \a step above 0 fixes the distance between ticks.
    ChartBandTicker(QCPRange dataRange, double step);

    void generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
        QVector<double> &ticks, QVector<double> *subTicks, QVector<QString> *tickLabels) override;

private:
    QSharedPointer<QCPAxisTicker> m_inner;
    QCPRange m_dataRange;
};

} // namespace zel
