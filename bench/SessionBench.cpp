// A session-log sized import: a raw log of 180,001 records with 47 channels is imported
// and, being one record over the limit, saved as the parts "run_1.KRO" (all 180,001 data
// rows) and "run_2.KRO" (the header row); the first part is then opened as a session. The plain
// file I/O cases move the same bytes (read the raw log and write the saved file's size, synced;
// read the saved file), so the import/open ratios can be read off one run.
#include "ImportBenchFixture.h"
#include "logger/TLogFile.h"
#include "session/ChannelGrid.h"
#include "session/ImportObserver.h"
#include "session/LapPages.h"
#include "session/LogImport.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "session/TKROData.h"
#include "session/TKRO_Data.h"
#include "session/TimingTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

using zel::bench::kChannels;
using zel::bench::kRecords;
using zel::bench::NoObserver;

QString benchFolder()
{
    return zel::bench::benchFolder(QStringLiteral("zel-session-bench"));
}

QString rawLogPath()
{
    static const QString path = zel::bench::writeSessionRawLog(benchFolder());
    return path;
}

// Empties the folder the parts go to, so that they keep their first names.
void emptyFolder(const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

QString importAndSave(const QString &folder)
{
    zel::TKRO_Data data;
    NoObserver observer;
    zel::LogImport import(data, observer);
    import.setChannelCount(48);
    import.setDataFolder(folder);
    zel::TLogFile log;
    import.importFile(log, rawLogPath());
    return import.savedParts().value(0);
}

QString sessionPath()
{
    static const QString path = [] {
        const QString folder = benchFolder() + QStringLiteral("/session");
        emptyFolder(folder);
        return importAndSave(folder);
    }();
    return path;
}

qint64 sessionBytes()
{
    return QFileInfo(sessionPath()).size();
}

void BM_ImportAndSave(benchmark::State &state)
{
    const QString folder = benchFolder() + QStringLiteral("/imported");
    rawLogPath();
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
        benchmark::DoNotOptimize(importAndSave(folder));
    }
    state.counters["records/s"]
        = benchmark::Counter(double(kRecords), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ImportAndSave)->Unit(benchmark::kMillisecond)->MinTime(5);

// What the main window hands a session: the loaded file and the models it writes to.
struct SessionWindow
{
    SessionWindow()
    {
        ex.loadFromFile(sessionPath());
        log.setExLogData(&ex);
        log.setStringGrid(&grid);
        log.setPageControl(&pages);
        log.setTimeDataView(&tree);
        log.setLogProgress(&progress);
    }

    zel::RecordTable ex;
    zel::ChannelGrid grid;
    zel::LapPages pages;
    zel::TimingTree tree;
    zel::ProgressModel progress;
    zel::TKROData log;
};

// As the main window opens a session: load the file, then build the session from it.
void BM_LoadAndOpenLogTable(benchmark::State &state)
{
    sessionPath();
    for (auto _ : state) {
        SessionWindow window;
        benchmark::DoNotOptimize(window.log.OpenLogTable(sessionPath()));
        if (window.log.LogData().recordCount() != kRecords)
            state.SkipWithError("the session lost rows");
    }
}
BENCHMARK(BM_LoadAndOpenLogTable)->Unit(benchmark::kMillisecond)->MinTime(3);

// The session build alone: the file is loaded outside the timing.
void BM_OpenLogTableOnly(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        SessionWindow window;
        state.ResumeTiming();
        benchmark::DoNotOptimize(window.log.OpenLogTable(sessionPath()));
        if (window.log.LogData().recordCount() != kRecords)
            state.SkipWithError("the session lost rows");
    }
}
BENCHMARK(BM_OpenLogTableOnly)->Unit(benchmark::kMillisecond)->MinTime(3);

// The import's bytes by plain file I/O: read the raw log, write and sync the saved size.
void BM_PlainImportIO(benchmark::State &state)
{
    const QByteArray buffer(sessionBytes(), 'x');
    const QString temp = benchFolder() + QStringLiteral("/plain.tmp");
    const QString target = benchFolder() + QStringLiteral("/plain.bin");
    for (auto _ : state) {
        QFile raw(rawLogPath());
        raw.open(QIODevice::ReadOnly);
        QByteArray bytes = raw.readAll();
        benchmark::DoNotOptimize(bytes.data());
        QFile file(temp);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(buffer);
        file.flush();
        ::fsync(file.handle());
        file.close();
        ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData());
    }
}
BENCHMARK(BM_PlainImportIO)->Unit(benchmark::kMillisecond)->MinTime(3);

// The open's bytes by plain file I/O: read the saved file.
void BM_PlainOpenIO(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(sessionPath());
        file.open(QIODevice::ReadOnly);
        QByteArray data = file.readAll();
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(state.iterations() * sessionBytes());
}
BENCHMARK(BM_PlainOpenIO)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same read into a buffer allocated once, as a program that keeps its memory would.
void BM_PlainOpenIOReusedBuffer(benchmark::State &state)
{
    QByteArray buffer(sessionBytes(), '\0');
    for (auto _ : state) {
        QFile file(sessionPath());
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.read(buffer.data(), buffer.size()));
    }
    state.SetBytesProcessed(state.iterations() * sessionBytes());
}
BENCHMARK(BM_PlainOpenIOReusedBuffer)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
