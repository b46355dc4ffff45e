// The main window with a session-sized log: a ".kro" of 180,001 data rows opened as a session
// and eight of its channels put on the chart from the grid, as the user does; the grid's
// readout of four such logs after a cursor move; and with eight such logs open and charted,
// a mouse move over the chart (every log to its nearest row, readout, map dots, hair line),
// sorting every log on a channel, and smoothing one series. Run offscreen:
// QT_QPA_PLATFORM=offscreen.
#include "ImportBenchFixture.h"
#include "app/ChannelChart.h"
#include "app/ProgramStart.h"
#include "logger/TLogFile.h"
#include "session/LogImport.h"
#include "session/TKROData.h"
#include "track/MapTable.h"
#include "track/widgets/TTrackLapForm.h"
#include "track/widgets/TrackMapView.h"
#include "ui/ScriptedUserDialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zel;

namespace {

constexpr int kCharted = 8;

QString sessionPath()
{
    static const QString path = [] {
        const QString folder = bench::benchFolder(QStringLiteral("zel-window-bench"));
        QDir(folder + QStringLiteral("/session")).removeRecursively();
        QDir().mkpath(folder + QStringLiteral("/session"));
        TKRO_Data data;
        bench::NoObserver observer;
        LogImport import(data, observer);
        import.setChannelCount(48);
        import.setDataFolder(folder + QStringLiteral("/session"));
        TLogFile log;
        import.importFile(log, bench::writeSessionRawLog(folder));
        return import.savedParts().value(0);
    }();
    return path;
}

void BM_OpenAndChartEightChannels(benchmark::State &state)
{
    const QString path = sessionPath();
    QTemporaryDir program;
    ScriptedUserDialogs dialogs;
    double chartMs = 0;
    for (auto _ : state) {
        Program started = startProgram(program.path(), dialogs, folderWritable, [](auto &) {});
        TMainForm &window = *started.window;
        window.resize(1600, 900);
        window.show();
        window.OpenLogFile(path);
        QElapsedTimer charting;
        charting.start();
        auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
        for (int c = 0; c < kCharted; ++c) {
            const int row = window.StringGrid1().rowOfName(QStringLiteral("Channel_%1").arg(c));
            grid->setCurrentIndex(grid->model()->index(row, 1));
            window.StringGrid1SelectCell(1, row);
            window.AddtoChart1Click();
        }
        QApplication::processEvents();
        chartMs += double(charting.elapsed());
        state.PauseTiming();
        const bool charted = window.chart().view().series().size() == size_t(kCharted);
        started = {};
        if (!charted) {
            state.SkipWithError("not every channel was charted");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["chart_ms"] = benchmark::Counter(chartMs, benchmark::Counter::kAvgIterations);
}
// chart_ms: the part of each run spent putting the channels on the chart.
BENCHMARK(BM_OpenAndChartEightChannels)->Unit(benchmark::kMillisecond)->MinTime(3);

// The grid's readout after a cursor move: each of four open logs moves to another row (as
// the chart cursor moves them), its column of the grid shows that row's values, and the grid
// repaints.
void BM_GridReadoutOfFourLogs(benchmark::State &state)
{
    constexpr int kLogs = 4;
    const QString path = sessionPath();
    QTemporaryDir program;
    ScriptedUserDialogs dialogs;
    Program started = startProgram(program.path(), dialogs, folderWritable, [](auto &) {});
    TMainForm &window = *started.window;
    window.resize(1600, 900);
    window.show();
    std::vector<TKROData *> logs;
    for (int c = 1; c <= kLogs; ++c) {
        window.OpenLogFile(path);
        logs.push_back(qobject_cast<TKROData *>(window.StringGrid1().object(c, 0)));
        if (!logs.back()) {
            state.SkipWithError("a log did not open");
            return;
        }
    }
    QApplication::processEvents();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % 180000;
        for (TKROData *log : logs)
            log->LogData().setRecNo(row + 1);
        if (state.range(0))
            QApplication::processEvents();
    }
}
// Argument 1: with the grid's repaint; 0: the cells' new texts alone.
BENCHMARK(BM_GridReadoutOfFourLogs)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->MinTime(2);

// Eight logs of 180,001 rows open, Channel_0 of each on the chart, and a small map on the
// track lap window so that positions are marked. Made once: opening takes seconds.
struct EightLogs
{
    QTemporaryDir program;
    ScriptedUserDialogs dialogs;
    Program started;
    bool ready = false;

    EightLogs()
    {
        started = startProgram(program.path(), dialogs, folderWritable, [](auto &) {});
        TMainForm &window = *started.window;
        window.resize(1600, 900);
        window.show();
        auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
        for (int c = 1; c <= 8; ++c) {
            window.OpenLogFile(sessionPath());
            const int row = window.StringGrid1().rowOfName(QStringLiteral("Channel_0"));
            grid->setCurrentIndex(grid->model()->index(row, c));
            window.StringGrid1SelectCell(c, row);
            window.AddtoChart1Click();
        }
        RecordTable &map = started.trackLap->MapTable;
        map.open();
        for (int k = 1; k <= 3; ++k) {
            map.Append();
            map.fieldByName(MapColumn::ReadingID).setInteger(k);
            map.fieldByName(MapColumn::InsideLong).setReal(-1016700 + 100 * k);
            map.fieldByName(MapColumn::InsideLat).setReal(52073600 + 100 * (k % 2));
            map.Post();
        }
        started.trackLap->TrackMap().showMap(map);
        started.trackLap->show();
        QApplication::processEvents();
        window.chart().view().replot();
        ready = window.chart().view().series().size() == 8;
    }
    TMainForm &window() { return *started.window; }
};

EightLogs &eightLogs()
{
    static EightLogs *logs = new EightLogs;
    return *logs;
}

void BM_CursorMoveOverEightLogs(benchmark::State &state)
{
    EightLogs &logs = eightLogs();
    if (!logs.ready) {
        state.SkipWithError("the logs were not charted");
        return;
    }
    auto &plot = logs.window().chart().view().plot();
    const QRect area = plot.axisRect()->rect();
    int step = 0;
    for (auto _ : state) {
        step = (step + 97) % (area.width() - 4);
        const QPointF at(area.left() + 2 + step, area.center().y());
        QMouseEvent move(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&plot, &move);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_CursorMoveOverEightLogs)->Unit(benchmark::kMicrosecond)->MinTime(2);

void BM_SortEightLogsOnAChannel(benchmark::State &state)
{
    EightLogs &logs = eightLogs();
    if (!logs.ready) {
        state.SkipWithError("the logs were not charted");
        return;
    }
    bool onChannel = false;
    for (auto _ : state) {
        onChannel = !onChannel;
        logs.window().reorderLogs(onChannel ? QStringLiteral("Channel_1") : QStringLiteral("ReadingID"));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SortEightLogsOnAChannel)->Unit(benchmark::kMillisecond);

void BM_SmoothenOneSeries(benchmark::State &state)
{
    EightLogs &logs = eightLogs();
    if (!logs.ready) {
        state.SkipWithError("the logs were not charted");
        return;
    }
    ChartView &view = logs.window().chart().view();
    ChartSeries *series = view.series().front().get();
    for (auto _ : state)
        view.smoothenSeries(series, 3);
}
BENCHMARK(BM_SmoothenOneSeries)->Unit(benchmark::kMillisecond);

} // namespace
