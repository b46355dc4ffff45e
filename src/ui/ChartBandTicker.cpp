#include "ui/ChartBandTicker.h"

namespace zel {

ChartBandTicker::ChartBandTicker(QCPRange dataRange, double step)
    : m_dataRange(dataRange)
{
    if (step > 0.0) {
        auto fixed = QSharedPointer<QCPAxisTickerFixed>::create();
        fixed->setTickStep(step);
        fixed->setScaleStrategy(QCPAxisTickerFixed::ssNone);
        m_inner = fixed;
    } else {
        m_inner = QSharedPointer<QCPAxisTicker>::create();
    }
}

void ChartBandTicker::generate(const QCPRange &range, const QLocale &locale, QChar formatChar,
    int precision, QVector<double> &ticks, QVector<double> *subTicks, QVector<QString> *tickLabels)
{
    Q_UNUSED(range)
    m_inner->generate(m_dataRange, locale, formatChar, precision, ticks, subTicks, tickLabels);
    // The inner ticker keeps one tick beyond each end; inside the band only.
    const double slack = m_dataRange.size() * 1e-9;
    const auto outside = [&](double value) {
        return value < m_dataRange.lower - slack || value > m_dataRange.upper + slack;
    };
    QVector<double> keptTicks;
    QVector<QString> keptLabels;
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        if (outside(ticks[i]))
            continue;
        keptTicks.append(ticks[i]);
        if (tickLabels && i < tickLabels->size())
            keptLabels.append(tickLabels->at(i));
    }
    ticks = keptTicks;
    if (tickLabels)
        *tickLabels = keptLabels;
    if (subTicks)
        subTicks->removeIf(outside);
}

} // namespace zel
