// A full chart redraw with 8 line series of 180,001 points each (a long session log), and
// rebuilding one series from a table's view. Run offscreen: QT_QPA_PLATFORM=offscreen.
#include "session/RecordTable.h"
#include "ui/ChartView.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <qcustomplot.h>

using namespace zel;

namespace {

constexpr int kRows = 180001;
constexpr int kSeries = 8;

// ReadingID and eight channels of smooth signals with noise, as a logger records them.
void fillLog(RecordTable &table)
{
    table.addColumn("ReadingID", ColumnType::Integer);
    for (int c = 0; c < kSeries; ++c)
        table.addColumn(QStringLiteral("Channel%1").arg(c), ColumnType::Real);
    table.open();
    table.reserveRows(kRows);
    std::vector<double> numbers(kSeries + 1);
    const std::vector<unsigned char> present(kSeries + 1, 1);
    for (int row = 0; row < kRows; ++row) {
        numbers[0] = row;
        for (int c = 0; c < kSeries; ++c)
            numbers[size_t(c + 1)] = 100.0 * std::sin(row * 0.001 * (c + 1)) + (row * 7919 % 13);
        table.AppendNumbers(numbers.data(), present.data());
    }
}

struct ChartFixture
{
    ChartFixture()
    {
        fillLog(table);
        plot.resize(1600, 900);
        std::vector<ChartAxis *> axes;
        for (int c = 0; c < kSeries; ++c) {
            const QString name = QStringLiteral("Channel%1").arg(c);
            ChartAxisStyle style;
            style.title = name;
            axes.push_back(chart.addAxis(style));
            chart.addSeries(axes.back(), ChartSeries::Kind::Line, table, "ReadingID", name,
                QColor::fromHsv(c * 45, 255, 255));
        }
        chart.stackBands(axes);
        chart.replot();
    }

    RecordTable table;
    QCustomPlot plot;
    ChartView chart { plot };
};

ChartFixture &fixture()
{
    static ChartFixture instance;
    return instance;
}

void BM_FullReplot(benchmark::State &state)
{
    ChartFixture &f = fixture();
    for (auto _ : state)
        f.plot.replot(QCustomPlot::rpImmediateRefresh);
    state.counters["points"] = double(kRows) * kSeries;
}
BENCHMARK(BM_FullReplot)->Unit(benchmark::kMillisecond);

void BM_RebuildOneSeries(benchmark::State &state)
{
    ChartFixture &f = fixture();
    ChartSeries *series = f.chart.series().front().get();
    for (auto _ : state)
        f.chart.setSeriesX(series, "ReadingID");
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RebuildOneSeries)->Unit(benchmark::kMillisecond);

} // namespace
