#include "app/ChannelChart.h"

#include "session/ChannelGrid.h"
#include "session/ChartableColumn.h"
#include "session/LogColours.h"
#include "session/RecordTable.h"
#include "session/TKROData.h"

#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

namespace zel {

namespace {

const QColor kSilver(192, 192, 192);

QColor storedColour(double stored)
{
    return QColor::fromRgb(rgbFromStoredColour(quint32(stored)));
}

} // namespace

ChannelChart::ChannelChart(QCustomPlot &plot, const ChannelGrid &grid,
    const RecordTable &axisTemplate, const ChartColours &colours, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_template(axisTemplate)
    , m_view(plot)
{
    plot.setBackground(QColor::fromRgb(colours.background));
    plot.axisRect()->setBackground(QColor::fromRgb(colours.background));
    plot.legend->setVisible(false);
    plot.axisRect()->setAutoMargins(QCP::msNone);
    plot.axisRect()->setAutoMargins(QCP::msLeft | QCP::msBottom);
    plot.axisRect()->setMinimumMargins(QMargins(10, 5, 2, 5));
    plot.xAxis2->setVisible(false);
    plot.yAxis2->setVisible(false);

    QCPAxis *bottom = plot.xAxis;
    bottom->setVisible(colours.bottomAxisVisible);
    bottom->setTickLabelColor(kSilver);
    bottom->setBasePen(QPen(Qt::white));
    const QColor gridColour(QColor::fromRgb(colours.grid));
    bottom->setTickPen(QPen(gridColour));
    bottom->setSubTickPen(QPen(gridColour));
    bottom->grid()->setPen(QPen(gridColour, 0, Qt::DotLine));

    // The plot's own left axis: a white line along the plot, without grid; no series is
    // drawn on it, so it shows no labels.
    QCPAxis *left = plot.yAxis;
    left->setVisible(true);
    left->setBasePen(QPen(Qt::white));
    left->setTicks(false);
    left->setTickLabels(false);
    left->grid()->setVisible(false);
}

ChartAxis *ChannelChart::axisOf(int row) const
{
    const auto found = m_axes.find(row);
    return found == m_axes.end() ? nullptr : found->second;
}

ChartSeries *ChannelChart::seriesOf(int column, int row) const
{
    const auto found = m_series.find({ column, row });
    return found == m_series.end() ? nullptr : found->second;
}

std::optional<int> ChannelChart::presetRow(const QString &channel, int column) const
{
    const int name = m_template.findColumn(QStringLiteral("ChannelName"));
    const int log = m_template.findColumn(QStringLiteral("LogIndex"));
    if (!m_template.isOpen() || name < 0 || log < 0)
        return std::nullopt;
    for (int row = 0; row < m_template.rowCount(); ++row) {
        if (m_template.textAt(name, row) == channel && !m_template.isNullAt(log, row)
            && m_template.numberAt(log, row) == column)
            return row;
    }
    return std::nullopt;
}

std::optional<int> ChannelChart::channelPresetRow(const QString &channel, int column) const
{
    const auto row = presetRow(channel, column);
    if (row
        && (!isUsableAxisRange(presetNumber(*row, "Minimum"), presetNumber(*row, "Maximum"))
            || !std::isfinite(presetNumber(*row, "Increment"))))
        return std::nullopt;
    return row;
}

double ChannelChart::presetNumber(int row, const char *name) const
{
    const int column = m_template.findColumn(QString::fromLatin1(name));
    return column < 0 || m_template.isNullAt(column, row) ? 0.0 : m_template.numberAt(column, row);
}

bool ChannelChart::addAxis(int column, int row, TKROData &log, bool overlaid)
{
    const QString channel = m_grid.cell(0, row);
    if (axisOf(row) || !isChartableColumn(log.LogData(), channel))
        return false;

    ChartAxisStyle style;
    style.title = channel;
    style.titleColour = kSilver;
    style.showLine = !overlaid;
    style.labelColour = Qt::white;
    style.gridColour = Qt::white;
    QColor bottomLabels = Qt::white;
    if (const auto global = presetRow(QStringLiteral("GLOBAL"), 0)) {
        style.labelColour = storedColour(presetNumber(*global, "AxisColour"));
        style.gridColour = storedColour(presetNumber(*global, "GridColour"));
        bottomLabels = style.labelColour;
    }
    if (const auto preset = channelPresetRow(channel, column)) {
        const double minimum = presetNumber(*preset, "Minimum");
        const double maximum = presetNumber(*preset, "Maximum");
        style.fixedRange = QCPRange(minimum, maximum);
        style.showGrid = presetNumber(*preset, "LeftGrid") != 0;
        // The template stores the number of divisions, not the step.
        style.step = axisStep(minimum, maximum, presetNumber(*preset, "Increment"));
    } else {
        style.labelColour = Qt::white;
        style.gridColour = Qt::white;
    }
    m_view.xAxis()->setTickLabelColor(bottomLabels);
    m_axes[row] = m_view.addAxis(style);
    if (!overlaid)
        stackTitledAxes();
    m_view.replot();
    return true;
}

bool ChannelChart::addSeries(
    int column, int row, TKROData &log, ChartSeries::Kind kind, const QString &xColumn)
{
    const QString channel = m_grid.cell(0, row);
    ChartAxis *axis = axisOf(row);
    if (!axis || seriesOf(column, row) || !isChartableColumn(log.LogData(), channel))
        return false;
    QColor colour = QColor::fromRgb(logColour(column));
    if (const auto preset = channelPresetRow(channel, column))
        colour = storedColour(presetNumber(*preset, "Colour"));
    log.setDisableComponents(true);
    ChartSeries *series = nullptr;
    try {
        series = m_view.addSeries(axis, kind, log.LogData(), xColumn, channel, colour);
    } catch (...) {
        log.setDisableComponents(false);
        throw;
    }
    log.setDisableComponents(false);
    m_series[{ column, row }] = series;
    m_view.replot();
    return true;
}

void ChannelChart::clearSeries(int column, int row)
{
    ChartSeries *series = seriesOf(column, row);
    if (!series)
        return;
    m_series.erase({ column, row });
    m_view.removeSeries(series);
}

void ChannelChart::removeSeries(int column, int row)
{
    if (!seriesOf(column, row))
        return;
    clearSeries(column, row);
    stackTitledAxes();
    m_view.replot();
}

void ChannelChart::removeAxis(int row)
{
    ChartAxis *axis = axisOf(row);
    if (!axis)
        return;
    const bool used = std::any_of(m_series.begin(), m_series.end(),
        [row](const auto &entry) { return entry.first.second == row; });
    if (!used) {
        m_axes.erase(row);
        m_view.removeAxis(axis);
    }
    stackWithOwnAxis();
    m_view.replot();
}

void ChannelChart::removeSeriesOf(int column, int row)
{
    if (!seriesOf(column, row) && !axisOf(row))
        return;
    clearSeries(column, row);
    removeAxis(row);
}

std::optional<ChartDisplayOptions> ChannelChart::displayOptions(int column, int row) const
{
    const ChartAxis *axis = axisOf(row);
    const ChartSeries *series = seriesOf(column, row);
    if (!axis || !series || series->axis != axis)
        return std::nullopt;
    QCPRange range = m_view.dataRange(*axis);
    // An axis without a span shows one either side, as it draws it.
    if (!(range.size() > 0.0))
        range = QCPRange(range.lower - 1.0, range.upper + 1.0);
    const QCustomPlot &plot = m_view.plot();
    ChartDisplayOptions options;
    options.minimum = range.lower;
    options.maximum = range.upper;
    options.divisions = axis->style.step > 0.0 ? range.size() / axis->style.step : 0.0;
    options.colour = series->colour;
    options.axisGrid = axis->style.showGrid;
    options.bottomAxisShown = plot.xAxis->visible();
    options.backColour = plot.axisRect()->backgroundBrush().color();
    options.axisColour = axis->style.labelColour;
    options.gridColour = plot.xAxis->grid()->pen().color();
    return options;
}

void ChannelChart::applyDisplayOptions(int column, int row, const ChartDisplayOptions &options)
{
    ChartAxis *axis = axisOf(row);
    ChartSeries *series = seriesOf(column, row);
    if (!axis || !series || !isUsableAxisRange(options.minimum, options.maximum))
        return;
    ChartAxisStyle style = axis->style;
    style.fixedRange = QCPRange(options.minimum, options.maximum);
    style.step = axisStep(options.minimum, options.maximum, options.divisions);
    style.showGrid = options.axisGrid;
    style.labelColour = options.axisColour;
    style.gridColour = options.gridColour;
    m_view.setAxisStyle(axis, style);
    m_view.setSeriesColour(series, options.colour);

    QCustomPlot &plot = m_view.plot();
    plot.setBackground(options.backColour);
    plot.axisRect()->setBackground(options.backColour);
    QCPAxis *bottom = plot.xAxis;
    bottom->setVisible(options.bottomAxisShown);
    bottom->setTickLabelColor(options.axisColour);
    // As at start-up, the bottom axis's ticks take the grid colour with its grid.
    bottom->setTickPen(QPen(options.gridColour));
    bottom->setSubTickPen(QPen(options.gridColour));
    bottom->grid()->setPen(QPen(options.gridColour, 0, Qt::DotLine));
    m_view.replot();
}

void ChannelChart::stackTitledAxes()
{
    std::vector<ChartAxis *> titled;
    for (const auto &axis : m_view.axes()) {
        if (!axis->style.title.isEmpty())
            titled.push_back(axis.get());
    }
    m_view.stackBands(titled);
}

void ChannelChart::stackWithOwnAxis()
{
    // The plot's own left axis takes the first band; it draws nothing in it.
    const auto &axes = m_view.axes();
    const int n = int(axes.size()) + 1;
    for (size_t k = 0; k < axes.size(); ++k)
        m_view.setBand(axes[k].get(), ChartBand::separated(int(k) + 1, n));
}

} // namespace zel
