#include "ui/ChartView.h"

#include "session/RecordTable.h"
#include "ui/ChartBandAxis.h"
#include "ui/ChartBandTicker.h"
#include "ui/ChartGestures.h"
#include "ui/SeriesSmoothing.h"

#include <algorithm>
#include <numeric>
#include <qcustomplot.h>

namespace zel {

namespace {

QPen penOr(bool shown, const QColor &colour)
{
    return shown ? QPen(colour) : QPen(Qt::NoPen);
}

} // namespace

ChartView::ChartView(QCustomPlot &plot, QObject *parent)
    : QObject(parent)
    , m_plot(plot)
{
    ChartAxisRect::install(m_plot);
    m_plot.yAxis->setVisible(false);
    m_plot.axisRect()->setRangeZoom(Qt::Horizontal);
    m_plot.axisRect()->setRangeZoomAxes(m_plot.xAxis, nullptr);
    m_gestures = new ChartGestures(m_plot, [this] { showAll(); }, this);
    // QCustomPlot's top layer is buffered on its own and holds only the zoom rectangle,
    // which is never drawn while the hair line is: sharing it spares the widget another
    // plot-sized buffer to put together at every mouse move.
    m_hairLayer = m_plot.layer(QStringLiteral("overlay"));
    m_hairLayer->setMode(QCPLayer::lmBuffered);
    m_hairLine = new QCPItemLine(&m_plot);
    m_hairLine->setLayer(m_hairLayer);
    m_hairLine->setPen(QPen(QColor(192, 192, 192), 1));
    m_hairLine->setSelectable(false);
    m_hairLine->setVisible(false);
    for (QCPItemPosition *end : { m_hairLine->start, m_hairLine->end })
        end->setType(QCPItemPosition::ptAbsolute);
    // The hair line marks where the mouse is now: a full redraw (a rebuilt series, a zoom,
    // a resize) takes it away, as moving the mouse brings it back.
    connect(&m_plot, &QCustomPlot::beforeReplot, this, [this] {
        if (!m_drawingHairLine)
            m_hairLine->setVisible(false);
    });
    connect(&m_plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent *event) {
        if (!m_gestures->panning() && event->buttons() == Qt::NoButton)
            trackMouse(event->position());
    });
}

ChartView::~ChartView()
{
    for (const auto &series : m_series)
        disconnect(series->tableLink);
}

QCPAxis *ChartView::xAxis() const
{
    return m_plot.xAxis;
}

// Axes

ChartAxis *ChartView::addAxis(const ChartAxisStyle &style)
{
    auto axis = std::make_unique<ChartAxis>();
    auto *bandAxis = new ChartBandAxis(m_plot.axisRect(), QCPAxis::atLeft);
    m_plot.axisRect()->addAxis(QCPAxis::atLeft, bandAxis);
    // Bands mark their own ends; the half bars QCustomPlot gives further axes would not.
    bandAxis->setLowerEnding(QCPLineEnding::esNone);
    bandAxis->setUpperEnding(QCPLineEnding::esNone);
    axis->axis = bandAxis;
    axis->axis->setTickLabelSide(QCPAxis::lsOutside);
    axis->axis->setPadding(4);
    axis->style = style;
    applyAxis(*axis);
    m_axes.push_back(std::move(axis));
    return m_axes.back().get();
}

void ChartView::setAxisStyle(ChartAxis *axis, const ChartAxisStyle &style)
{
    axis->style = style;
    applyAxis(*axis);
}

void ChartView::setBand(ChartAxis *axis, ChartBand band)
{
    axis->band = band;
    applyAxis(*axis);
}

void ChartView::stackBands(const std::vector<ChartAxis *> &axes)
{
    for (size_t k = 0; k < axes.size(); ++k)
        setBand(axes[k], ChartBand::separated(int(k), int(axes.size())));
}

void ChartView::removeAxis(ChartAxis *axis)
{
    std::vector<ChartSeries *> onAxis;
    for (const auto &series : m_series) {
        if (series->axis == axis)
            onAxis.push_back(series.get());
    }
    for (ChartSeries *series : onAxis)
        removeSeries(series);
    m_plot.axisRect()->removeAxis(axis->axis);
    std::erase_if(m_axes, [axis](const auto &owned) { return owned.get() == axis; });
}

QCPRange ChartView::dataRange(const ChartAxis &axis) const
{
    if (axis.style.fixedRange)
        return *axis.style.fixedRange;
    std::optional<QCPRange> range;
    for (const auto &series : m_series) {
        if (series->axis != &axis || series->data.size() == 0)
            continue;
        range = range ? QCPRange(std::min(range->lower, series->data.valueRange.lower),
                    std::max(range->upper, series->data.valueRange.upper))
                      : series->data.valueRange;
    }
    return range.value_or(QCPRange(0.0, 0.0));
}

void ChartView::applyAxis(ChartAxis &chartAxis)
{
    const ChartAxisStyle &style = chartAxis.style;
    ChartBandAxis *axis = chartAxis.axis;
    axis->setLabel(style.showLine ? style.title : QString());
    axis->setLabelColor(style.titleColour.value_or(style.labelColour));
    axis->setTickLabelColor(style.labelColour);
    axis->setBasePen(penOr(style.showLine, style.labelColour));
    axis->setTickPen(penOr(style.showLine, style.gridColour));
    axis->setSubTickPen(penOr(style.showLine, style.gridColour));
    axis->grid()->setPen(QPen(style.gridColour, 0, Qt::DotLine));
    axis->grid()->setVisible(style.showGrid);

    QCPRange data = dataRange(chartAxis);
    if (!(data.size() > 0.0))
        data = QCPRange(data.lower - 1.0, data.upper + 1.0);
    axis->setTicker(QSharedPointer<ChartBandTicker>::create(data, style.step));
    axis->setRange(chartAxis.band.shownRange(data));
    axis->setBand(chartAxis.band, data);
}

// Series

ChartSeries *ChartView::addSeries(ChartAxis *axis, ChartSeries::Kind kind, const RecordTable &table,
    const QString &xColumn, const QString &yColumn, const QColor &colour)
{
    auto series = std::make_unique<ChartSeries>();
    series->kind = kind;
    series->axis = axis;
    series->table = &table;
    series->xColumn = xColumn;
    series->yColumn = yColumn;
    series->colour = colour;
    series->data = ChartSeriesData::fromView(table, xColumn, yColumn);
    ChartSeries *added = series.get();
    series->tableLink = connect(&table, &RecordTable::ViewChanged, this, [this, added] {
        rebuild(*added);
        replot();
    });
    m_series.push_back(std::move(series));
    placePlottable(*added);
    applyAxis(*axis);
    rescaleX();
    return added;
}

void ChartView::setSeriesX(ChartSeries *series, const QString &xColumn)
{
    ChartSeriesData::fromView(*series->table, xColumn, series->yColumn); // checks the column
    series->xColumn = xColumn;
    rebuild(*series);
}

void ChartView::setSeriesColour(ChartSeries *series, const QColor &colour)
{
    series->colour = colour;
    placePlottable(*series);
}

void ChartView::smoothenSeries(ChartSeries *series, int filterLevel)
{
    smoothenValues(series->data.values, filterLevel);
    placePlottable(*series);
}

void ChartView::removeSeries(ChartSeries *series)
{
    disconnect(series->tableLink);
    if (series->plottable)
        m_plot.removePlottable(series->plottable);
    ChartAxis *axis = series->axis;
    std::erase_if(m_series, [series](const auto &owned) { return owned.get() == series; });
    applyAxis(*axis);
}

void ChartView::rebuild(ChartSeries &series)
{
    series.data = series.table
        ? ChartSeriesData::fromView(*series.table, series.xColumn, series.yColumn)
        : ChartSeriesData();
    series.cursorIndex = -1;
    placePlottable(series);
    applyAxis(*series.axis);
    rescaleX();
}

void ChartView::placePlottable(ChartSeries &series)
{
    // A graph samples sorted keys adaptively; a curve keeps the view's order when X is
    // another channel, whose values go back and forth.
    const bool graph = series.data.sortedByKey;
    if (series.plottable && (qobject_cast<QCPGraph *>(series.plottable) != nullptr) != graph) {
        m_plot.removePlottable(series.plottable);
        series.plottable = nullptr;
    }
    const QPen pen(series.colour);
    const QCPScatterStyle points(QCPScatterStyle::ssCircle, Qt::NoPen, series.colour, 4);
    const bool line = series.kind == ChartSeries::Kind::Line;
    if (graph) {
        auto *plottable = qobject_cast<QCPGraph *>(series.plottable);
        if (!plottable)
            plottable = new QCPGraph(m_plot.xAxis, series.axis->axis);
        plottable->setData(series.data.keys, series.data.values, true);
        plottable->setLineStyle(line ? QCPGraph::lsLine : QCPGraph::lsNone);
        plottable->setScatterStyle(line ? QCPScatterStyle() : points);
        plottable->setAdaptiveSampling(true);
        series.plottable = plottable;
    } else {
        auto *plottable = qobject_cast<QCPCurve *>(series.plottable);
        if (!plottable)
            plottable = new QCPCurve(m_plot.xAxis, series.axis->axis);
        QVector<double> order(series.data.size());
        std::iota(order.begin(), order.end(), 0.0);
        plottable->setData(order, series.data.keys, series.data.values, true);
        plottable->setLineStyle(line ? QCPCurve::lsLine : QCPCurve::lsNone);
        plottable->setScatterStyle(line ? QCPScatterStyle() : points);
        series.plottable = plottable;
    }
    series.plottable->setPen(line ? pen : QPen(Qt::NoPen));
}

// View

void ChartView::rescaleX()
{
    std::optional<QCPRange> range;
    for (const auto &series : m_series) {
        if (series->data.size() == 0)
            continue;
        const QCPRange keys = series->data.keyRange;
        range = range
            ? QCPRange(std::min(range->lower, keys.lower), std::max(range->upper, keys.upper))
            : keys;
    }
    if (range)
        m_plot.xAxis->setRange(
            range->size() > 0.0 ? *range : QCPRange(range->lower - 1.0, range->upper + 1.0));
}

void ChartView::showAll()
{
    rescaleX();
    for (const auto &axis : m_axes)
        applyAxis(*axis);
}

void ChartView::replot()
{
    m_plot.replot();
}

double ChartView::valueToPixel(const ChartAxis *axis, double value) const
{
    return (axis ? axis->axis : m_plot.xAxis)->coordToPixel(value);
}

double ChartView::pixelToValue(const ChartAxis *axis, double pixel) const
{
    return (axis ? axis->axis : m_plot.xAxis)->pixelToCoord(pixel);
}

bool ChartView::insidePlot(QPointF pixel) const
{
    const QRect area = m_plot.axisRect()->rect();
    return pixel.x() > area.left() && pixel.x() < area.right() && pixel.y() > area.top()
        && pixel.y() < area.bottom();
}

void ChartView::trackMouse(QPointF pixel)
{
    if (!insidePlot(pixel))
        return;
    const double key = m_plot.xAxis->pixelToCoord(pixel.x());
    std::optional<double> lastKey;
    for (const auto &series : m_series) {
        const int index = series->data.nearestByKey(key);
        if (index < 0 || index == series->cursorIndex)
            continue;
        series->cursorIndex = index;
        lastKey = series->data.keys[index];
        Q_EMIT cursorMoved(series.get(), series->data.positions[size_t(index)],
            series->data.keys[index], series->data.values[index]);
    }
    if (lastKey)
        Q_EMIT cursorsMoved(*lastKey);
}

void ChartView::showHairLine(int x)
{
    const QRect area = m_plot.axisRect()->rect();
    m_hairLine->start->setCoords(x, area.top());
    m_hairLine->end->setCoords(x, area.bottom());
    m_hairLine->setVisible(true);
    // The layer alone is redrawn, unless its buffer must be made first, which redraws all.
    m_drawingHairLine = true;
    m_hairLayer->replot();
    m_drawingHairLine = false;
}

void ChartView::hideHairLine()
{
    if (!m_hairLine->visible())
        return;
    m_hairLine->setVisible(false);
    m_hairLayer->replot();
}

bool ChartView::hairLineShown() const
{
    return m_hairLine->visible();
}

} // namespace zel
