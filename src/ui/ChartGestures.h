#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPRange;
class QMouseEvent;

namespace zel {

/// The zoom and pan gestures of the program's charts, on a QCustomPlot: a left-drag
/// rectangle zooms into it, the wheel zooms around the mouse (along the axes the plot's
/// range zoom names), a right- or middle-drag pans every axis, and a double click calls
/// the owner's show-all.
class ChartGestures : public QObject
{
    Q_OBJECT
public:
    ChartGestures(QCustomPlot &plot, std::function<void()> showAll, QObject *parent = nullptr);

    /// True while a right- or middle-drag pans the plot.
    bool panning() const { return m_panStart.has_value(); }

private:
    void onMousePress(QMouseEvent *event);
    void onMouseMove(QMouseEvent *event);
    void onMouseRelease(QMouseEvent *event);

    QCustomPlot &m_plot;
    // Where a pan started and the ranges then.
    std::optional<QPointF> m_panStart;
    std::vector<std::pair<QCPAxis *, std::pair<double, double>>> m_panRanges;
};

} // namespace zel
