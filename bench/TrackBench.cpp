// Track maps with a long session log handed in as a lap (180,001 rows of GPS positions
// driving round a circuit many times): building a map edge from it, adding two race lines
// of it to a map and drawing them, and redrawing that map. Run offscreen:
// QT_QPA_PLATFORM=offscreen.
#include "session/RecordTable.h"
#include "track/MapEdgeImport.h"
#include "track/MapTable.h"
#include "track/widgets/TrackMapView.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <qcustomplot.h>

using namespace zel;

namespace {

constexpr int kRows = 180001;

// Laps of an oval about 800 m by 500 m near 52 degrees north, a position every 0.1 s at
// racing speed, with the GPS's noise of a metre or so.
void fillLap(RecordTable &lap)
{
    lap.addColumn("ReadingID", ColumnType::Integer);
    lap.addColumn("GPSLong", ColumnType::Real);
    lap.addColumn("GPSLat", ColumnType::Real);
    lap.open();
    lap.reserveRows(kRows);
    for (int row = 0; row < kRows; ++row) {
        const double t = row * 2.0 * std::numbers::pi / 600.0;
        const double numbers[] = { double(row),
            std::round(-1016700 + 5800 * std::cos(t) + (qint64(row) * 7919 % 17)),
            std::round(52073600 + 2250 * std::sin(t) + (qint64(row) * 104729 % 11)) };
        const unsigned char present[] = { 1, 1, 1 };
        lap.AppendNumbers(numbers, present);
    }
}

const RecordTable &lap()
{
    static RecordTable *table = [] {
        auto *made = new RecordTable;
        fillLap(*made);
        return made;
    }();
    return *table;
}

void BM_MapEdgeFromLap(benchmark::State &state)
{
    const RecordTable &source = lap();
    for (auto _ : state) {
        RecordTable map;
        defineMapTable(map);
        benchmark::DoNotOptimize(importLapEdge(map, source, TrackSide::Inside));
    }
}
BENCHMARK(BM_MapEdgeFromLap)->Unit(benchmark::kMillisecond);

// Adding both race lines (their points copied) and drawing the map with them.
void BM_TwoRaceLinesDrawn(benchmark::State &state)
{
    const RecordTable &first = lap();
    RecordTable second;
    fillLap(second);
    QCustomPlot plot;
    plot.resize(800, 700);
    TrackMapView view(plot, {});
    for (auto _ : state) {
        view.removeAllRaceLines();
        view.addRaceLine(first, Qt::blue);
        view.addRaceLine(second, Qt::red);
        view.showAll();
        plot.replot();
    }
}
BENCHMARK(BM_TwoRaceLinesDrawn)->Unit(benchmark::kMillisecond);

// Redrawing a map that shows both race lines (a resize, a zoom, a pan step).
void BM_MapWithTwoRaceLinesRedrawn(benchmark::State &state)
{
    RecordTable second;
    fillLap(second);
    QCustomPlot plot;
    plot.resize(800, 700);
    TrackMapView view(plot, {});
    view.addRaceLine(lap(), Qt::blue);
    view.addRaceLine(second, Qt::red);
    view.showAll();
    for (auto _ : state)
        plot.replot();
}
BENCHMARK(BM_MapWithTwoRaceLinesRedrawn)->Unit(benchmark::kMillisecond);

} // namespace
