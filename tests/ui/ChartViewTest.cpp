#include "ui/ChartView.h"

#include "common/Error.h"
#include "session/ControlsDisabled.h"
#include "session/RecordTable.h"
#include "ui/ChartBandTicker.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zel;

namespace {

ChartAxisStyle titled(const QString &title)
{
    ChartAxisStyle style;
    style.title = title;
    return style;
}

// A log of ten rows: ReadingID 0..9, Speed = 10 * id, Lap 1 for ids 0-4 and 2 for 5-9,
// Rpm falling so that charting against it gives keys out of order, and a text column.
class Chart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table.addColumn("ReadingID", ColumnType::Integer);
        table.addColumn("Speed", ColumnType::Real);
        table.addColumn("Lap", ColumnType::Integer);
        table.addColumn("Rpm", ColumnType::Real);
        table.addColumn("Driver", ColumnType::Text, 20);
        table.open();
        for (int id = 0; id < 10; ++id) {
            table.Append();
            table.field(0).setInteger(id);
            table.field(1).setReal(10.0 * id);
            table.field(2).setInteger(id < 5 ? 1 : 2);
            table.field(3).setReal(id % 2 ? 100.0 - id : 50.0 + id);
            table.Post();
        }
        plot.resize(600, 400);
        chart.replot();
    }

    ChartSeries *addSpeed(ChartAxis *axis = nullptr)
    {
        return chart.addSeries(axis ? axis : chart.addAxis(titled("Speed")), ChartSeries::Kind::Line,
            table, "ReadingID", "Speed", Qt::red);
    }

    RecordTable table;
    QCustomPlot plot;
    ChartView chart { plot };
};

std::vector<double> keysOf(const ChartSeries *series)
{
    return { series->data.keys.begin(), series->data.keys.end() };
}

// Pixel rows of the top and bottom of an axis's data range, as percent of the plot height.
std::pair<double, double> bandOnScreen(
    const ChartView &chart, QCustomPlot &plot, const ChartAxis *axis, QCPRange data)
{
    const QRect area = plot.axisRect()->rect();
    const auto percent = [&](double value) {
        return (chart.valueToPixel(axis, value) - area.top()) * 100.0 / area.height();
    };
    return { percent(data.upper), percent(data.lower) };
}

} // namespace

TEST(ChartBandRule, StackedBandsLeaveGapsAndShownRangesPutTheDataInTheBand)
{
    const std::vector<std::pair<int, std::vector<ChartBand>>> cases {
        { 1, { { 0, 100 } } },
        { 2, { { 0, 50 }, { 52, 100 } } },
        { 3, { { 0, 100.0 / 3 }, { 100.0 / 3 + 2, 200.0 / 3 }, { 200.0 / 3 + 2, 100 } } },
    };
    for (const auto &[n, bands] : cases) {
        for (int k = 0; k < n; ++k) {
            EXPECT_DOUBLE_EQ(ChartBand::separated(k, n).start, bands[size_t(k)].start);
            EXPECT_DOUBLE_EQ(ChartBand::separated(k, n).end, bands[size_t(k)].end);
        }
    }
    EXPECT_EQ(ChartBand::separated(0, 0), ChartBand({ 0, 100 })); // never divides by zero

    // The middle third of the height for data 0..10: the axis shows -10..20.
    const QCPRange shown = ChartBand { 100.0 / 3, 200.0 / 3 }.shownRange({ 0, 10 });
    EXPECT_NEAR(shown.lower, -10, 1e-9);
    EXPECT_NEAR(shown.upper, 20, 1e-9);
    const QCPRange flat = ChartBand {}.shownRange({ 5, 5 });
    EXPECT_EQ(flat, QCPRange(4, 6));
}

TEST(ChartBandRule, TicksAndLabelsStayInsideTheBand)
{
    for (double step : { 0.0, 25.0 }) {
        SCOPED_TRACE(step);
        ChartBandTicker ticker({ 0, 100 }, step);
        QVector<double> ticks, subTicks;
        QVector<QString> labels;
        ticker.generate({ -300, 100 }, QLocale::c(), 'g', 6, ticks, &subTicks, &labels);
        ASSERT_FALSE(ticks.isEmpty());
        EXPECT_EQ(labels.size(), ticks.size());
        for (double tick : ticks + subTicks) {
            EXPECT_GE(tick, 0.0);
            EXPECT_LE(tick, 100.0);
        }
        if (step > 0) {
            EXPECT_EQ(ticks, QVector<double>({ 0, 25, 50, 75, 100 }));
        }
    }
}

TEST_F(Chart, ThreeStackedAxesDrawTheirDataInTheirThirdsAndOverlaidAxesKeepTheFullHeight)
{
    std::vector<ChartAxis *> stacked;
    for (const char *name : { "Speed", "Rpm", "Lap" }) {
        stacked.push_back(chart.addAxis(titled(name)));
        chart.addSeries(stacked.back(), ChartSeries::Kind::Line, table, "ReadingID", name, Qt::red);
    }
    ChartAxisStyle hidden = titled("Speed");
    hidden.showLine = false;
    ChartAxis *overlaid = chart.addAxis(hidden);
    chart.addSeries(overlaid, ChartSeries::Kind::Points, table, "ReadingID", "Speed", Qt::blue);
    chart.stackBands(stacked);
    chart.replot();

    const std::vector<std::pair<double, double>> expected { { 0, 100.0 / 3 },
        { 100.0 / 3 + 2, 200.0 / 3 }, { 200.0 / 3 + 2, 100 } };
    const std::vector<QCPRange> data { { 0, 90 }, { 50, 99 }, { 1, 2 } };
    for (size_t k = 0; k < 3; ++k) {
        const auto [top, bottom] = bandOnScreen(chart, plot, stacked[k], data[k]);
        EXPECT_NEAR(top, expected[k].first, 0.5) << k;
        EXPECT_NEAR(bottom, expected[k].second, 0.5) << k;
    }
    const auto [top, bottom] = bandOnScreen(chart, plot, overlaid, { 0, 90 });
    EXPECT_NEAR(top, 0, 0.5);
    EXPECT_NEAR(bottom, 100, 0.5);
    EXPECT_EQ(overlaid->axis->basePen().style(), Qt::NoPen);
    EXPECT_TRUE(overlaid->axis->label().isEmpty());
    EXPECT_EQ(stacked[0]->axis->label(), "Speed");

    // Stacked axes stand together at the plot's edge, each line only along its band; the
    // overlaid axis, which overlaps them all, stands beside the widest of them.
    int widest = 0;
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(stacked[k]->axis->offset(), 0) << k;
        widest = std::max(widest, stacked[k]->axis->margin());
        const QRect band = stacked[k]->axis->bandRect();
        const QRect area = plot.axisRect()->rect();
        EXPECT_NEAR(100.0 * (band.top() - area.top()) / area.height(), expected[k].first, 1) << k;
        EXPECT_NEAR(100.0 * (band.bottom() - area.top()) / area.height(), expected[k].second, 1)
            << k;
    }
    EXPECT_EQ(overlaid->axis->offset(), widest);
    EXPECT_EQ(overlaid->axis->bandRect(), plot.axisRect()->rect());
    EXPECT_EQ(plot.axisRect()->margins().left(), widest + overlaid->axis->margin());

    // A fixed range with a step: the band holds exactly that range.
    ChartAxisStyle fixed = titled("Rpm");
    fixed.fixedRange = QCPRange(0, 8000);
    fixed.step = 1000;
    chart.setAxisStyle(stacked[1], fixed);
    chart.replot();
    const auto [fixedTop, fixedBottom] = bandOnScreen(chart, plot, stacked[1], { 0, 8000 });
    EXPECT_NEAR(fixedTop, expected[1].first, 0.5);
    EXPECT_NEAR(fixedBottom, expected[1].second, 0.5);
    EXPECT_EQ(stacked[1]->axis->tickVector().size(), 9);
}

TEST_F(Chart, SeriesFollowTheTableViewAndWaitWhileItsControlsAreDisabled)
{
    ChartSeries *speed = addSpeed();
    EXPECT_EQ(keysOf(speed), std::vector<double>({ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }));
    EXPECT_TRUE(qobject_cast<QCPGraph *>(speed->plottable));
    EXPECT_EQ(qobject_cast<QCPGraph *>(speed->plottable)->data()->size(), 10);

    table.setFilter("Lap = 2");
    table.setFiltered(true);
    EXPECT_EQ(keysOf(speed), std::vector<double>({ 5, 6, 7, 8, 9 }));
    EXPECT_EQ(speed->data.positions, std::vector<int>({ 0, 1, 2, 3, 4 }));

    {
        const ControlsDisabled suspended(table);
        table.setFiltered(false);
        table.SortOn("Speed");
        EXPECT_EQ(keysOf(speed).size(), 5u); // not rebuilt while suspended
    }
    EXPECT_EQ(keysOf(speed).size(), 10u);

    // Against a channel whose values go back and forth: a curve keeps the view's order.
    chart.setSeriesX(speed, "Rpm");
    ASSERT_TRUE(qobject_cast<QCPCurve *>(speed->plottable));
    EXPECT_EQ(keysOf(speed), std::vector<double>({ 50, 99, 52, 97, 54, 95, 56, 93, 58, 91 }));
    table.SortOn("Rpm");
    EXPECT_TRUE(qobject_cast<QCPGraph *>(speed->plottable));

    table.close(); // a closed table charts nothing, and the chart stays usable
    EXPECT_EQ(speed->data.size(), 0);
    chart.replot();
}

TEST_F(Chart, RefusedColumnsAddNothing)
{
    ChartAxis *axis = chart.addAxis(titled("Speed"));
    for (const char *column : { "Driver", "Missing" }) {
        EXPECT_THROW(
            chart.addSeries(axis, ChartSeries::Kind::Line, table, "ReadingID", column, Qt::red),
            Error);
        EXPECT_THROW(
            chart.addSeries(axis, ChartSeries::Kind::Line, table, column, "Speed", Qt::red), Error);
    }
    ChartSeries *speed = addSpeed(axis);
    EXPECT_THROW(chart.setSeriesX(speed, "Driver"), Error);
    EXPECT_EQ(speed->xColumn, "ReadingID");
    EXPECT_EQ(chart.series().size(), 1u);
    EXPECT_EQ(plot.plottableCount(), 1);
}

TEST_F(Chart, RemovingASeriesThenItsAxisLeavesNothingBehind)
{
    ChartSeries *first = addSpeed();
    ChartAxis *axis = first->axis;
    ChartSeries *second
        = chart.addSeries(axis, ChartSeries::Kind::Points, table, "ReadingID", "Rpm", Qt::blue);
    chart.removeSeries(first);
    EXPECT_EQ(plot.plottableCount(), 1);
    EXPECT_EQ(axis->axis->range(), ChartBand {}.shownRange({ 50, 99 })); // rescaled to what remains
    chart.removeAxis(axis); // takes the remaining series with it
    EXPECT_TRUE(chart.series().empty());
    EXPECT_EQ(plot.plottableCount(), 0);
    EXPECT_EQ(plot.axisRect()->axes(QCPAxis::atLeft).size(), 1); // the plot's own left axis
    table.setFiltered(true); // no series listens any more
    chart.replot();
    Q_UNUSED(second)
}

TEST_F(Chart, CursorToolsSnapToTheNearestPointAndKeepReportingWhileZoomed)
{
    ChartSeries *speed = addSpeed();
    chart.replot();
    QSignalSpy moved(&chart, &ChartView::cursorMoved);
    const QRect area = plot.axisRect()->rect();
    const double y = area.center().y();
    const auto at = [&](double key) { return QPointF(chart.valueToPixel(nullptr, key), y); };

    const std::vector<std::pair<double, int>> cases { { 3.2, 3 }, { 3.6, 4 }, { 3.9, -1 },
        { 0.2, 0 } };
    for (const auto &[key, expected] : cases) {
        moved.clear();
        chart.trackMouse(at(key));
        if (expected < 0) {
            EXPECT_TRUE(moved.isEmpty()) << key; // still on the same point: no report
            continue;
        }
        ASSERT_EQ(moved.size(), 1) << key;
        EXPECT_EQ(moved[0][0].value<ChartSeries *>(), speed);
        EXPECT_EQ(moved[0][1].toInt(), expected);
        EXPECT_EQ(moved[0][2].toDouble(), expected);
        EXPECT_EQ(moved[0][3].toDouble(), 10.0 * expected);
    }
    moved.clear();
    chart.trackMouse(QPointF(area.left(), y)); // the border of the plot is outside
    EXPECT_TRUE(moved.isEmpty());

    // Value to pixel and back, on both axes.
    for (double value : { 0.0, 4.5, 9.0 })
        EXPECT_NEAR(chart.pixelToValue(nullptr, chart.valueToPixel(nullptr, value)), value, 1e-9);
    EXPECT_NEAR(chart.pixelToValue(speed->axis, chart.valueToPixel(speed->axis, 42.0)), 42.0, 1e-9);

    // Zoom to 6..8 by API: the cursor now resolves finer and reports the zoomed points.
    plot.xAxis->setRange(6, 8);
    chart.replot();
    moved.clear();
    chart.trackMouse(at(7.4));
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 7);
}

TEST_F(Chart, GesturesZoomPanAndShowAllAgain)
{
    const ChartAxis *speedAxis = addSpeed()->axis;
    chart.replot();
    const QRect area = plot.axisRect()->rect();
    const auto send
        = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
              QMouseEvent event(type, at, plot.mapToGlobal(at), button, held, Qt::NoModifier);
              QApplication::sendEvent(&plot, &event);
          };
    const auto pixelOf = [&](double key) { return chart.valueToPixel(nullptr, key); };
    const double y = area.center().y();

    // Left-drag a rectangle from X 2 to X 6: zoomed into it.
    send(QEvent::MouseButtonPress, { pixelOf(2), y - 20 }, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, { pixelOf(6), y + 20 }, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, { pixelOf(6), y + 20 }, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(plot.xAxis->range().lower, 2, 0.05);
    EXPECT_NEAR(plot.xAxis->range().upper, 6, 0.05);

    // Right-drag by one unit to the right: the view moves one unit to the left, no zoom.
    chart.replot();
    const QCPRange before = plot.xAxis->range();
    send(QEvent::MouseButtonPress, { pixelOf(3), y }, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseMove, { pixelOf(4), y }, Qt::NoButton, Qt::RightButton);
    send(QEvent::MouseButtonRelease, { pixelOf(4), y }, Qt::RightButton, Qt::NoButton);
    EXPECT_NEAR(plot.xAxis->range().lower, before.lower - 1, 0.05);
    EXPECT_NEAR(plot.xAxis->range().size(), before.size(), 1e-9);
    EXPECT_EQ(plot.selectionRectMode(), QCP::srmZoom);

    // The wheel zooms X only, around the mouse.
    chart.replot();
    const double under = 3.0;
    const QPointF wheelAt(pixelOf(under), y);
    QWheelEvent wheel(wheelAt, plot.mapToGlobal(wheelAt), {}, { 0, 120 }, Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    const QCPRange yBefore = speedAxis->axis->range();
    QApplication::sendEvent(&plot, &wheel);
    EXPECT_LT(plot.xAxis->range().size(), before.size());
    EXPECT_NEAR(chart.pixelToValue(nullptr, wheelAt.x()), under, 1e-6);
    EXPECT_EQ(speedAxis->axis->range(), yBefore);

    // A double click shows everything again.
    send(QEvent::MouseButtonDblClick, { area.center() }, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(plot.xAxis->range(), QCPRange(0, 9));
}
