// Session-log sized record tables: 180,001 rows of 80 columns (4 integer, 76 real).
// The plain file I/O cases move the same number of bytes as a saved table, so the
// save/load ratios can be read off one run.
#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

constexpr int kRows = 180001;
constexpr int kRealColumns = 76;
constexpr int kRowsPerLap = 10000;

QString benchFolder()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/zel-record-table-bench");
    QDir().mkpath(folder);
    return folder;
}

QString tablePath()
{
    return benchFolder() + QStringLiteral("/session.kro");
}

void defineColumns(zel::RecordTable &table)
{
    table.addColumn(QStringLiteral("RecordType"), zel::ColumnType::Integer);
    table.addColumn(QStringLiteral("Lap_Number"), zel::ColumnType::Integer);
    table.addColumn(QStringLiteral("ReadingID"), zel::ColumnType::Integer);
    table.addColumn(QStringLiteral("LapID"), zel::ColumnType::Integer);
    for (int c = 0; c < kRealColumns; ++c)
        table.addColumn(QStringLiteral("Channel_%1").arg(c), zel::ColumnType::Real);
}

void fillTable(zel::RecordTable &table)
{
    for (int row = 0; row < kRows; ++row) {
        table.Append();
        table.field(0).setInteger(row == 0 ? 2 : 1);
        table.field(1).setInteger(row / kRowsPerLap);
        table.field(2).setInteger(row);
        table.field(3).setInteger(row % kRowsPerLap);
        for (int c = 0; c < kRealColumns; ++c)
            table.field(4 + c).setReal(row * 0.001 + c);
        table.Post();
    }
}

zel::RecordTable &sharedTable()
{
    static zel::RecordTable *table = [] {
        auto *t = new zel::RecordTable;
        defineColumns(*t);
        t->open();
        fillTable(*t);
        t->saveToFile(tablePath());
        return t;
    }();
    return *table;
}

qint64 savedBytes()
{
    sharedTable();
    return QFileInfo(tablePath()).size();
}

void BM_AppendPost(benchmark::State &state)
{
    for (auto _ : state) {
        zel::RecordTable table;
        defineColumns(table);
        table.open();
        fillTable(table);
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.counters["rows/s"]
        = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AppendPost)->Unit(benchmark::kMillisecond);

// As an import does when it knows the record count beforehand.
void BM_AppendPostReserved(benchmark::State &state)
{
    for (auto _ : state) {
        zel::RecordTable table;
        defineColumns(table);
        table.open();
        table.reserveRows(kRows);
        fillTable(table);
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.counters["rows/s"]
        = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AppendPostReserved)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State &state)
{
    zel::RecordTable &table = sharedTable();
    const QString path = benchFolder() + QStringLiteral("/saved.kro");
    for (auto _ : state)
        table.saveToFile(path);
    state.SetBytesProcessed(state.iterations() * savedBytes());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State &state)
{
    const qint64 bytes = savedBytes();
    for (auto _ : state) {
        zel::RecordTable table;
        table.loadFromFile(tablePath());
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// Same bytes, written and synced the way a save is (temporary file, fsync, rename).
void BM_PlainWrite(benchmark::State &state)
{
    const QByteArray buffer(savedBytes(), 'x');
    const QString temp = benchFolder() + QStringLiteral("/plain.tmp");
    const QString target = benchFolder() + QStringLiteral("/plain.bin");
    for (auto _ : state) {
        QFile file(temp);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(buffer);
        file.flush();
        ::fsync(file.handle());
        file.close();
        ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData());
    }
    state.SetBytesProcessed(state.iterations() * buffer.size());
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State &state)
{
    const qint64 bytes = savedBytes();
    for (auto _ : state) {
        QFile file(tablePath());
        file.open(QIODevice::ReadOnly);
        QByteArray data = file.readAll();
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_FilterWalk(benchmark::State &state)
{
    zel::RecordTable &table = sharedTable();
    for (auto _ : state) {
        table.setFiltered(false);
        table.setFilter(QStringLiteral("RecordType = 1 and [Lap_Number] = 3"));
        table.setFiltered(true);
        double sum = 0;
        for (table.First(); !table.eof(); table.Next())
            sum += table.field(10).asReal();
        benchmark::DoNotOptimize(sum);
    }
    table.setFiltered(false);
}
BENCHMARK(BM_FilterWalk)->Unit(benchmark::kMillisecond);

void BM_SortOnTwoColumns(benchmark::State &state)
{
    zel::RecordTable &table = sharedTable();
    for (auto _ : state) {
        table.SortOn(QString());
        table.SortOn(QStringLiteral("LapID; Lap_Number"));
        benchmark::DoNotOptimize(table.recordCount());
    }
    table.SortOn(QString());
}
BENCHMARK(BM_SortOnTwoColumns)->Unit(benchmark::kMillisecond);

void BM_FindNearest10000(benchmark::State &state)
{
    zel::RecordTable &table = sharedTable();
    table.SortOn(QStringLiteral("ReadingID"));
    table.First();
    std::mt19937 random(42);
    std::uniform_real_distribution<double> value(0.0, kRows);
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i)
            table.FindNearest({ value(random) });
        benchmark::DoNotOptimize(table.recNo());
    }
    table.SortOn(QString());
}
BENCHMARK(BM_FindNearest10000)->Unit(benchmark::kMillisecond);

} // namespace
