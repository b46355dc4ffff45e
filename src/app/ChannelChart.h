#pragma once

#include "app/ChartDisplayOptions.h"
#include "app/LogChartSeries.h"
#include "session/ChartColours.h"
#include "ui/ChartView.h"

#include <QObject>
#include <map>
#include <optional>
#include <utility>

class QCustomPlot;

namespace zel {

class ChannelGrid;
class RecordTable;
class TKROData;

/// The main window's chart: one vertical axis per channel row of the channel grid, shared by
/// every log's series of that channel, and one series per (log column, channel row) cell.
/// This is the one place that knows which axis and series belong to which grid cell.
///
/// Axis presets come from the axis template: its ("GLOBAL", 0) row gives the axis colours,
/// its (channel name, log column) rows the range, grid, number of divisions and series colour.
class ChannelChart : public QObject, public LogChartSeries
{
    Q_OBJECT
public:
    /// Styles and drives \a plot (owned by its parent widget) with the template's chart-wide
    /// look; \a grid and \a axisTemplate must outlive the chart.
    ChannelChart(QCustomPlot &plot, const ChannelGrid &grid, const RecordTable &axisTemplate,
        const ChartColours &colours, QObject *parent = nullptr);

    ChartView &view() { return m_view; }

    ChartAxis *axisOf(int row) const;
    ChartSeries *seriesOf(int column, int row) const;
    /// Every series with its grid cell (column, row).
    const std::map<std::pair<int, int>, ChartSeries *> &allSeries() const { return m_series; }

    /// Adds the axis of channel row \a row, with the presets of log column \a column, unless
    /// the row has one or \a log's table has no numeric column of that name. Overlaid axes
    /// hide their line, ticks and title and keep the full height; separated ones are stacked
    /// with every titled axis. True when an axis was added.
    bool addAxis(int column, int row, TKROData &log, bool overlaid);
    /// Adds \a log's series of channel row \a row on the row's axis, X from \a xColumn,
    /// unless the cell has one, the row has no axis or the channel is not numeric.
    bool addSeries(
        int column, int row, TKROData &log, ChartSeries::Kind kind, const QString &xColumn);
    /// Removes the series of the cell and stacks the titled axes again.
    void removeSeries(int column, int row);
    /// Removes the series of the cell, keeping the layout.
    void clearSeries(int column, int row);
    /// Releases the axis of the row when no series uses it any longer, then stacks every
    /// visible vertical axis again, the plot's own left axis counted first.
    void removeAxis(int row);

    void removeSeriesOf(int column, int row) override;

    /// How the cell's series, its row's axis and the chart look now: the axis's range (the
    /// one its ticks span) and number of divisions, the colours and the grid switches. None
    /// unless the cell has a series on its row's axis.
    std::optional<ChartDisplayOptions> displayOptions(int column, int row) const;
    /// Gives the cell's series, its row's axis and the chart the look of \a options. A range
    /// that is not usable (isUsableAxisRange) changes nothing; divisions are clamped.
    void applyDisplayOptions(int column, int row, const ChartDisplayOptions &options);

private:
    std::optional<int> presetRow(const QString &channel, int column) const;
    /// The (channel, log column) row, unless its range or divisions cannot be used.
    std::optional<int> channelPresetRow(const QString &channel, int column) const;
    double presetNumber(int row, const char *name) const;
    void stackTitledAxes();
    void stackWithOwnAxis();

    const ChannelGrid &m_grid;
    const RecordTable &m_template;
    ChartView m_view;
    std::map<int, ChartAxis *> m_axes;
    std::map<std::pair<int, int>, ChartSeries *> m_series;
};

} // namespace zel
