#pragma once

#include "ui/ChartBand.h"
#include "ui/ChartBandAxis.h"
#include "ui/ChartSeriesData.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPAbstractPlottable;
class QCPItemLine;
class QCPLayer;

namespace zel {

class ChartGestures;
class RecordTable;

/// How a vertical axis looks and scales.
struct ChartAxisStyle
{
    QString title;
    QColor labelColour = Qt::white; ///< labels, title and axis line
    /// The title's own colour, when it differs from the labels'.
    std::optional<QColor> titleColour;
    QColor gridColour = Qt::white; ///< grid lines, ticks and minor ticks
    /// Axis line, ticks and title shown (labels always are).
    bool showLine = true;
    bool showGrid = false;
    /// Fixed range; automatic (the data of the axis's series) when not set.
    std::optional<QCPRange> fixedRange;
    /// Distance between ticks; 0 lets the ticker choose.
    double step = 0.0;
};

/// A vertical axis of a ChartView (owned by it).
struct ChartAxis
{
    ChartAxisStyle style;
    ChartBand band;
    ChartBandAxis *axis = nullptr;
};

/// A line or point series of a ChartView (owned by it), bound to a table's view.
struct ChartSeries
{
    enum class Kind { Line, Points };

    Kind kind = Kind::Line;
    ChartAxis *axis = nullptr;
    QPointer<const RecordTable> table;
    QString xColumn;
    QString yColumn;
    QColor colour;
    ChartSeriesData data;
    /// A graph when the keys are sorted, else a curve; swapped when the order changes.
    QCPAbstractPlottable *plottable = nullptr;
    /// The series' cursor tool: index of the point it stands on, or -1.
    int cursorIndex = -1;
    QMetaObject::Connection tableLink;
};

/// The chart of the analysis window, over a QCustomPlot: vertical axes that each own a band
/// of the plot height, series bound to a table's X and Y columns over the rows of its view,
/// one cursor tool per series, zoom and pan, and value-to-pixel conversion for other windows.
///
/// Series are rebuilt in one pass when their table's view changes (ViewChanged, which the
/// table holds back while its controls are disabled), never on a cursor move. Gestures:
/// left-drag a rectangle zooms into it, the wheel zooms X around the mouse, right- or
/// middle-drag pans, a double click shows everything again. The cursor tools keep reporting
/// while zoomed.
class ChartView : public QObject
{
    Q_OBJECT
public:
    /// Drives \a plot (which stays owned by its parent widget): its bottom axis is the X
    /// axis; its own left axis is hidden and channel axes are added beside it.
    explicit ChartView(QCustomPlot &plot, QObject *parent = nullptr);
    ~ChartView() override;

    QCustomPlot &plot() { return m_plot; }
    const QCustomPlot &plot() const { return m_plot; }
    QCPAxis *xAxis() const;

    // Axes

    /// Adds a vertical axis over the full height.
    ChartAxis *addAxis(const ChartAxisStyle &style);
    /// Restyles an axis; its range, step and grid follow at once.
    void setAxisStyle(ChartAxis *axis, const ChartAxisStyle &style);
    /// Gives \a axis the band of the plot height its data is drawn in.
    void setBand(ChartAxis *axis, ChartBand band);
    /// Stacks \a axes one below the other, in the order given (ChartBand::separated).
    void stackBands(const std::vector<ChartAxis *> &axes);
    /// Removes an axis and every series drawn on it.
    void removeAxis(ChartAxis *axis);
    const std::vector<std::unique_ptr<ChartAxis>> &axes() const { return m_axes; }
    /// The range an axis's ticks span: its fixed range, else the values of its series
    /// (0..0 without any).
    QCPRange dataRange(const ChartAxis &axis) const;

    // Series

    /// Adds a series on \a axis with points from \a table's view (X and Y column names).
    /// Throws zel::Error, adding nothing, when a column is missing or holds no numbers.
    ChartSeries *addSeries(ChartAxis *axis, ChartSeries::Kind kind, const RecordTable &table,
        const QString &xColumn, const QString &yColumn, const QColor &colour);
    /// Takes X from another column of the series' table and rebuilds the series.
    void setSeriesX(ChartSeries *series, const QString &xColumn);
    void setSeriesColour(ChartSeries *series, const QColor &colour);
    /// Smooths the chart's copy of the series' Y values (smoothenValues); its table is not
    /// touched, and the next rebuild from the table brings the raw values back.
    void smoothenSeries(ChartSeries *series, int filterLevel);
    void removeSeries(ChartSeries *series);
    const std::vector<std::unique_ptr<ChartSeries>> &series() const { return m_series; }

    // View

    /// Shows every series whole again: X over all keys, every axis over its range.
    void showAll();
    void replot();

    /// Pixel position of \a value on \a axis (vertical) or on the X axis (null axis).
    double valueToPixel(const ChartAxis *axis, double value) const;
    /// Value at pixel \a pixel of \a axis (vertical) or of the X axis (null axis).
    double pixelToValue(const ChartAxis *axis, double pixel) const;

    /// Moves every cursor tool to its series' point nearest in X to the mouse at \a pixel,
    /// when \a pixel lies strictly inside the plot area; each tool that lands on another
    /// point reports it through cursorMoved, and then cursorsMoved reports the move once.
    void trackMouse(QPointF pixel);

    /// True when \a pixel lies strictly inside the plot area.
    bool insidePlot(QPointF pixel) const;

    /// Shows the hair line at pixel column \a x, from the top to the bottom of the plot
    /// area, in silver (192, 192, 192). It lives on a layer of its own, so moving it
    /// redraws that layer only, never the series.
    void showHairLine(int x);
    void hideHairLine();
    bool hairLineShown() const;

Q_SIGNALS:
    /// A cursor tool moved to another point: its view position in the series' table and
    /// its X and Y values.
    void cursorMoved(ChartSeries *series, int position, double x, double y);
    /// After one mouse move made cursor tools move: the X value of the last tool that moved.
    void cursorsMoved(double x);

private:
    void rebuild(ChartSeries &series);
    void placePlottable(ChartSeries &series);
    void applyAxis(ChartAxis &axis);
    void rescaleX();

    QCustomPlot &m_plot;
    ChartGestures *m_gestures = nullptr;
    QCPLayer *m_hairLayer = nullptr;
    QCPItemLine *m_hairLine = nullptr;
    bool m_drawingHairLine = false;
    std::vector<std::unique_ptr<ChartAxis>> m_axes;
    std::vector<std::unique_ptr<ChartSeries>> m_series;
};

} // namespace zel
