// CSV export of a session log: the first part of an import of a raw log of 180,001 records
// with 47 channels, 180,001 rows and 77 columns. Beside every export the yardstick moves the
// same bytes by plain file I/O: it reads the saved table and writes as many bytes as the CSV
// holds, synced and renamed into place. The ratio of the two is the figure to read, as the
// disk of a shared machine is anything but steady.
#include "ImportBenchFixture.h"
#include "session/RecordTable.h"
#include "tools/zel/CsvTableWriter.h"
#include "tools/zel/ZelCommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <chrono>
#include <unistd.h>

namespace {

QString benchFolder()
{
    return zel::bench::benchFolder(QStringLiteral("zel-export-bench"));
}

bool runZel(const QStringList &args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    return zel::runZel(args, outStream, errStream) == 0;
}

// The session log, imported once by `zel import`.
QString sessionPath()
{
    static const QString path = [] {
        const QString rawLog = zel::bench::writeSessionRawLog(benchFolder());
        const QString target = benchFolder() + QStringLiteral("/run.kro");
        runZel({ "import", rawLog, "-o", target, "--overwrite" });
        return benchFolder() + QStringLiteral("/run_1.KRO");
    }();
    return path;
}

double secondsOf(const auto &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the saved table, then writes \a bytes bytes to a temporary file, syncs it and renames
// it to \a target.
void plainReadWrite(const QByteArray &bytes, const QString &target)
{
    QFile table(sessionPath());
    table.open(QIODevice::ReadOnly);
    const QByteArray read = table.readAll();
    benchmark::DoNotOptimize(read.data());
    const QString temporary = target + QStringLiteral(".tmp");
    QFile file(temporary);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    file.flush();
    ::fsync(file.handle());
    file.close();
    ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData());
}

// `zel export` in-process (load, filter, CSV, sync, rename), each run beside the yardstick.
void BM_ExportToFileAgainstPlainIO(benchmark::State &state)
{
    const QString csv = benchFolder() + QStringLiteral("/run.csv");
    const QString plain = benchFolder() + QStringLiteral("/plain.csv");
    const QStringList args { "export", sessionPath(), "--csv", csv, "--overwrite" };
    if (!runZel(args)) {
        state.SkipWithError("the export failed");
        return;
    }
    const QByteArray bytes(QFileInfo(csv).size(), 'x');
    double exportSeconds = 0;
    double plainSeconds = 0;
    for (auto _ : state) {
        const double seconds = secondsOf([&] { runZel(args); });
        plainSeconds += secondsOf([&] { plainReadWrite(bytes, plain); });
        exportSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    const double runs = double(state.iterations());
    state.counters["export_ms"] = exportSeconds / runs * 1000;
    state.counters["plain_ms"] = plainSeconds / runs * 1000;
    state.counters["ratio"] = exportSeconds / plainSeconds;
    state.counters["csv_MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_ExportToFileAgainstPlainIO)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(5);

// The CSV text alone, from a table loaded and filtered beforehand, written by one thread
// and by one for each core. Real time: the text is written on other threads than this.
void BM_CsvText(benchmark::State &state)
{
    zel::RecordTable table;
    table.loadFromFile(sessionPath());
    table.setFilter(QStringLiteral("RecordType = 1"));
    table.setFiltered(true);
    const zel::CsvTableWriter writer(table, unsigned(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state)
        writer.write([&](QByteArrayView piece) { bytes += piece.size(); });
    state.SetBytesProcessed(bytes);
    state.counters["rows/s"] = benchmark::Counter(
        double(table.recordCount()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CsvText)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(int(zel::OrderedBlockWorkers::threadsForCores()))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3);

// Loading the table and selecting its data rows: the part of the export before the text.
void BM_LoadAndFilter(benchmark::State &state)
{
    for (auto _ : state) {
        zel::RecordTable table;
        table.loadFromFile(sessionPath());
        table.setFilter(QStringLiteral("RecordType = 1"));
        table.setFiltered(true);
        benchmark::DoNotOptimize(table.recordCount());
    }
}
BENCHMARK(BM_LoadAndFilter)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
