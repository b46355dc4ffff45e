// Walking a full-size raw log with TLogFile, against plain reads of the same file.

#include "logger/RawLogWriter.h"
#include "logger/TLogFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace zel;

namespace {

constexpr int kRecords = 180001; // the largest first part of an imported log
constexpr int kChannels = 47;

/// A 47-channel log of kRecords records, written once per run.
const QString &logFile()
{
    static QTemporaryDir dir;
    static const QString file = [] {
        QStringList names;
        for (int j = 0; j < kChannels; ++j)
            names << QStringLiteral("Channel %1").arg(j);
        RawLogWriter writer(names);
        TLogRecord record {};
        for (int i = 0; i < kRecords; ++i) {
            record.RecordID = std::uint32_t(i + 1);
            record.TrackTime = float(i) * 0.01f;
            for (int j = 0; j < kChannels; ++j)
                record.ChannelData[j] = float(i + j);
            writer.appendRecord(record);
        }
        const QString path = dir.filePath(QStringLiteral("bench.Dsh"));
        writer.save(path);
        return path;
    }();
    return file;
}

void BM_WalkRawLog(benchmark::State &state)
{
    TLogFile reader;
    reader.setLogFileName(logFile());
    double sum = 0;
    std::int64_t records = 0;
    QObject::connect(&reader, &TLogFile::AfterReadLogRecord, [&] {
        sum += reader.record().ChannelData[kChannels - 1];
        ++records;
    });
    for (auto _ : state) {
        reader.OpenLogFile();
        reader.First();
        while (!reader.EOL())
            reader.ReadLogRecord();
        reader.CloseLogFile();
    }
    benchmark::DoNotOptimize(sum);
    state.counters["records/s"] = benchmark::Counter(double(records), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(records * logRecordLength(4 * kChannels));
}
BENCHMARK(BM_WalkRawLog)->Unit(benchmark::kMillisecond);

// The same bytes read in 1 MiB blocks with nothing decoded: the floor for the walk above.
void BM_PlainFileRead(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(logFile());
    std::vector<char> buffer(1 << 20);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY);
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
            bytes += n;
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["records/s"] = benchmark::Counter(
        double(bytes) / logRecordLength(4 * kChannels), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainFileRead)->Unit(benchmark::kMillisecond);

} // namespace
