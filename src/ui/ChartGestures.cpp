#include "ui/ChartGestures.h"

#include <qcustomplot.h>

namespace zel {

ChartGestures::ChartGestures(QCustomPlot &plot, std::function<void()> showAll, QObject *parent)
    : QObject(parent)
    , m_plot(plot)
{
    m_plot.setInteraction(QCP::iRangeZoom);
    m_plot.setSelectionRectMode(QCP::srmZoom);
    connect(&m_plot, &QCustomPlot::mousePress, this, &ChartGestures::onMousePress);
    connect(&m_plot, &QCustomPlot::mouseMove, this, &ChartGestures::onMouseMove);
    connect(&m_plot, &QCustomPlot::mouseRelease, this, &ChartGestures::onMouseRelease);
    connect(&m_plot, &QCustomPlot::mouseDoubleClick, this, [this, showAll = std::move(showAll)] {
        showAll();
        m_plot.replot();
    });
}

void ChartGestures::onMousePress(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton && event->button() != Qt::MiddleButton)
        return;
    // The zoom rectangle belongs to the left button; QCustomPlot would start it for any.
    m_plot.setSelectionRectMode(QCP::srmNone);
    m_panStart = event->position();
    m_panRanges.clear();
    for (QCPAxisRect *rect : m_plot.axisRects()) {
        for (QCPAxis *axis : rect->axes())
            m_panRanges.emplace_back(axis, std::pair(axis->range().lower, axis->range().upper));
    }
}

void ChartGestures::onMouseMove(QMouseEvent *event)
{
    if (!m_panStart)
        return;
    for (const auto &[axis, range] : m_panRanges) {
        axis->setRange(range.first, range.second);
        const bool horizontal = axis->orientation() == Qt::Horizontal;
        const double from = horizontal ? m_panStart->x() : m_panStart->y();
        const double to = horizontal ? event->position().x() : event->position().y();
        axis->moveRange(axis->pixelToCoord(from) - axis->pixelToCoord(to));
    }
    m_plot.replot(QCustomPlot::rpQueuedReplot);
}

void ChartGestures::onMouseRelease(QMouseEvent *event)
{
    if (!m_panStart || (event->button() != Qt::RightButton && event->button() != Qt::MiddleButton))
        return;
    m_panStart.reset();
    m_panRanges.clear();
    m_plot.setSelectionRectMode(QCP::srmZoom);
}

} // namespace zel
