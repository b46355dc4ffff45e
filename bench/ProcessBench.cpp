// Whole processes, as a user meets them: `zel import` of a session-sized raw log, `zel info`
// and `zel export` of the saved session log, and the main window's open (load and
// OpenLogTable) in a fresh process. Every iteration also runs a yardstick process that moves
// the same bytes by plain file I/O (read the input; write the output's size, synced and
// renamed), so each figure comes with its ratio to what the bytes cost this machine in the
// same moment: "ratio" is the program's time over the yardstick's. "peak_MB" is the
// program's peak resident memory. Linux carries a process's peak memory over into the
// programs it starts, so everything large (the raw logs) is made by the helper process and
// this one stays small.
#include "ImportBenchFixture.h"

#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run
{
    double seconds = 0;
    double peakMB = 0;
    bool ok = false;
};

// Runs a program with its output thrown away; gives its time and peak memory.
Run run(const QStringList &command)
{
    std::vector<QByteArray> args;
    for (const QString &arg : command)
        args.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run result;
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage {};
        if (wait4(pid, &status, 0, &usage) == pid) {
            result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            result.peakMB = double(usage.ru_maxrss) / 1024.0;
            result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

QString folder()
{
    return zel::bench::benchFolder(QStringLiteral("zel-process-bench"));
}

const QString kZel = QStringLiteral(ZEL_BINARY);
const QString kHelper = QStringLiteral(HELPER_BINARY);

QString rawLog(int records)
{
    const QString path = folder() + QStringLiteral("/run%1.Dsh").arg(records);
    if (!QFileInfo::exists(path))
        run({ kHelper, QStringLiteral("rawlog"), QString::number(records), path });
    return path;
}

// The session log every reading benchmark starts from: the first part of the import.
QString sessionLog()
{
    static const QString path = [] {
        const QString out = folder() + QStringLiteral("/session/run.kro");
        QDir().mkpath(QFileInfo(out).absolutePath());
        run({ kZel, QStringLiteral("import"), rawLog(zel::bench::kRecords), QStringLiteral("-o"),
            out, QStringLiteral("--overwrite") });
        return folder() + QStringLiteral("/session/run_1.KRO");
    }();
    return path;
}

qint64 sizeOf(const QString &path)
{
    return QFileInfo(path).size();
}

// Runs the program and its yardstick once per iteration, the program's time being the
// iteration's; a failed run stops the benchmark.
void compare(benchmark::State &state, const QStringList &program, const QStringList &yardstick)
{
    double programSeconds = 0;
    double yardstickSeconds = 0;
    double peak = 0;
    for (auto _ : state) {
        const Run plain = run(yardstick);
        const Run measured = run(program);
        if (!plain.ok || !measured.ok) {
            state.SkipWithError(("failed: " + program.join(' ')).toStdString().c_str());
            return;
        }
        state.SetIterationTime(measured.seconds);
        programSeconds += measured.seconds;
        yardstickSeconds += plain.seconds;
        peak = std::max(peak, measured.peakMB);
    }
    state.counters["yardstick_ms"] = 1000 * yardstickSeconds / double(state.iterations());
    state.counters["ratio"] = programSeconds / yardstickSeconds;
    state.counters["peak_MB"] = peak;
}

void BM_ZelImport(benchmark::State &state)
{
    const int records = int(state.range(0));
    const QString raw = rawLog(records);
    const QString out = folder() + QStringLiteral("/imported/run.kro");
    QDir().mkpath(QFileInfo(out).absolutePath());
    // The yardstick writes as many bytes as the import's parts hold together.
    run({ kZel, QStringLiteral("import"), raw, QStringLiteral("-o"), out,
        QStringLiteral("--overwrite") });
    qint64 bytes = 0;
    for (const QFileInfo &part : QDir(QFileInfo(out).absolutePath()).entryInfoList(QDir::Files))
        bytes += part.fileName().startsWith(QLatin1String("run_")) ? part.size() : 0;
    compare(state,
        { kZel, QStringLiteral("import"), raw, QStringLiteral("-o"), out,
            QStringLiteral("--overwrite") },
        { kHelper, QStringLiteral("copy"), raw, QString::number(bytes),
            folder() + QStringLiteral("/imported/plain.bin") });
    state.counters["output_MB"] = double(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ZelImport)
    ->Arg(180001)
    ->Arg(360002)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

// The maths table a demo card gets, if any, written by the helper's command of that name.
enum class Maths { None, Typical, Failing };

// A demo card, with the benchmarks' maths channels in its "Maths.prm" or without one.
QString demoCard(Maths maths)
{
    static const char *const kFolders[] = { "/card", "/card-maths", "/card-failing-maths" };
    static const char *const kCommands[] = { "", "maths", "failing-maths" };
    const QString root = folder() + QLatin1String(kFolders[int(maths)]);
    if (!QFileInfo::exists(root + QStringLiteral("/Data/Settings.prm"))) {
        run({ kZel, QStringLiteral("demo"), root });
        if (maths != Maths::None)
            run({ kHelper, QLatin1String(kCommands[int(maths)]),
                root + QStringLiteral("/Data/Maths.prm") });
    }
    return root;
}

// `zel import --card` of the session-sized raw log with the card's maths channels, against
// the same import without them: "ratio" is the maths channels' cost.
void compareMaths(benchmark::State &state, Maths maths)
{
    const QString raw = rawLog(zel::bench::kRecords);
    const auto import = [&](Maths card) {
        const QString out = folder()
            + (card == Maths::None ? QStringLiteral("/plain/run.kro")
                                   : QStringLiteral("/maths/run.kro"));
        QDir().mkpath(QFileInfo(out).absolutePath());
        return QStringList { kZel, QStringLiteral("import"), raw, QStringLiteral("--card"),
            demoCard(card), QStringLiteral("-o"), out, QStringLiteral("--overwrite") };
    };
    compare(state, import(maths), import(Maths::None));
}

// 8 typical maths channels.
void BM_ZelImportWithMaths(benchmark::State &state)
{
    compareMaths(state, Maths::Typical);
}
BENCHMARK(BM_ZelImportWithMaths)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

// 6 maths channels that fail in every row, one of them row by row: a failure must cost about
// what a value does.
void BM_ZelImportWithFailingMaths(benchmark::State &state)
{
    compareMaths(state, Maths::Failing);
}
BENCHMARK(BM_ZelImportWithFailingMaths)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_ZelInfo(benchmark::State &state)
{
    compare(state, { kZel, QStringLiteral("info"), sessionLog() },
        { kHelper, QStringLiteral("read"), sessionLog() });
}
BENCHMARK(BM_ZelInfo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

void BM_OpenSession(benchmark::State &state)
{
    compare(state, { kHelper, QStringLiteral("open"), sessionLog() },
        { kHelper, QStringLiteral("read"), sessionLog() });
}
BENCHMARK(BM_OpenSession)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

void BM_ZelExport(benchmark::State &state)
{
    const QString csv = folder() + QStringLiteral("/session/run.csv");
    run({ kZel, QStringLiteral("export"), sessionLog(), QStringLiteral("--csv"), csv,
        QStringLiteral("--overwrite") });
    compare(state,
        { kZel, QStringLiteral("export"), sessionLog(), QStringLiteral("--csv"), csv,
            QStringLiteral("--overwrite") },
        { kHelper, QStringLiteral("copy"), sessionLog(), QString::number(sizeOf(csv)),
            folder() + QStringLiteral("/session/plain.csv") });
}
BENCHMARK(BM_ZelExport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
