#pragma once

#include "ui/ChartBand.h"

#include <qcustomplot.h>

namespace zel {

/// A vertical axis that owns a band of the plot height: its line is drawn only along the
/// pixels its data range covers (clipped to the plot), and its title is centred there, so
/// stacked axes can stand at the same place without their lines and titles crossing.
class ChartBandAxis : public QCPAxis
{
public:
    ChartBandAxis(QCPAxisRect *parent, AxisType type);

    const ChartBand &band() const { return m_band; }
    /// The band in percent of the plot height and the values that fill it.
    void setBand(ChartBand band, QCPRange dataRange);

    /// Pixels the axis takes beside the plot, labels and title included.
    int margin() { return calculateMargin(); }
    /// The plot pixels, top to bottom, its line runs along; empty when the band is out of view.
    QRect bandRect() const;

protected:
    void draw(QCPPainter *painter) override;

private:
    ChartBand m_band;
    QCPRange m_dataRange;
};

/// The plot area of a ChartView. Vertical axes on the left stand side by side only where
/// their bands overlap: axes of stacked bands share one place at the plot's edge, and an
/// axis over the whole height gets a place of its own beside them.
class ChartAxisRect : public QCPAxisRect
{
public:
    explicit ChartAxisRect(QCustomPlot *plot);

    /// Puts a ChartAxisRect in place of \a plot's default plot area, with the same default
    /// axes, layers and an invisible legend.
    static ChartAxisRect *install(QCustomPlot &plot);

protected:
    int calculateAutoMargin(QCP::MarginSide side) override;
};

} // namespace zel
