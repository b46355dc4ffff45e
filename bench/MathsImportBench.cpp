// A session-log sized import with maths channels: a raw log of 180,001 records with 47
// channels is imported (and, being one record over the limit, saved in two parts) once
// without and once with 8 maths channels of typical shape. The difference of the two is the
// maths computation's share of the import.
#include "ImportBenchFixture.h"
#include "logger/TLogFile.h"
#include "logger/TMathsChannels.h"
#include "session/ImportObserver.h"
#include "session/LogImport.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <benchmark/benchmark.h>

namespace {

using zel::bench::kChannels;
using zel::bench::kRecords;
using zel::bench::NoObserver;

QString benchFolder()
{
    return zel::bench::benchFolder(QStringLiteral("zel-maths-import-bench"));
}

QString rawLogPath()
{
    static const QString path = zel::bench::writeSessionRawLog(benchFolder());
    return path;
}

// Unit conversions, the application functions, a ratio that fails where its divisor is 0,
// and a comparison.
void addMathsChannels(zel::TMathsChannels &maths)
{
    maths.AddVariable(QStringLiteral("Mass"), 0, 650);
    maths.AddVariable(QStringLiteral("Drag"), 0, 0.35);
    maths.AddFormula(QStringLiteral("Speed_ms"), QStringLiteral("KPHToMetersPerSecond(Channel_0)"));
    maths.AddFormula(QStringLiteral("Radians"), QStringLiteral("RPMToRadians(Channel_1 * 100)"));
    maths.AddFormula(QStringLiteral("Wheel_Power"),
        QStringLiteral("PowerAtWheels(Mass, Channel_0 / 3.6, Channel_2 / 10)"));
    maths.AddFormula(QStringLiteral("Air_Power"),
        QStringLiteral("AirPower(1.2, 1.8, Drag, Channel_0 / 3.6)"));
    maths.AddFormula(QStringLiteral("Torque"),
        QStringLiteral("PowerToTorque(Channel_3 * 1000, Channel_1 * 100)"));
    maths.AddFormula(QStringLiteral("Gear_Ratio"), QStringLiteral("Channel_1 / (Channel_0 - 10)"));
    maths.AddFormula(QStringLiteral("Temp_F"), QStringLiteral("Channel_4 * 9 / 5 + 32"));
    maths.AddFormula(QStringLiteral("Hot"), QStringLiteral("(Channel_5 > 10) + 0"));
}

void import(benchmark::State &state, bool withMaths)
{
    const QString raw = rawLogPath();
    const QString folder = benchFolder() + QStringLiteral("/parts");
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        zel::TKRO_Data data;
        if (withMaths) {
            zel::TMathsChannels &maths = data.MathsChannels1();
            maths.setMathsFileName(benchFolder() + QStringLiteral("/Maths.prm"));
            maths.CreateMathsTables();
            addMathsChannels(maths);
            data.setMaths(&data.FormulaMaths());
        }
        NoObserver observer;
        zel::LogImport importer(data, observer);
        importer.setChannelCount(48);
        importer.setDataFolder(folder);
        zel::TLogFile log;
        state.ResumeTiming();
        importer.importFile(log, raw);
        benchmark::DoNotOptimize(importer.savedParts());
        // Formulas that failed on most rows would make the maths look cheap.
        bool mostlyFailed = false;
        for (int i = 0; withMaths && i < data.MathsChannels1().RecordCount(); ++i)
            mostlyFailed = mostlyFailed || data.FormulaMaths().failures(i) > kRecords / 100;
        if (mostlyFailed) {
            state.SkipWithError(
                data.FormulaMaths().failureSummary().join(QLatin1Char(';')).toStdString().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ImportWithoutMaths(benchmark::State &state)
{
    import(state, false);
}
BENCHMARK(BM_ImportWithoutMaths)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportWithEightMathsChannels(benchmark::State &state)
{
    import(state, true);
}
BENCHMARK(BM_ImportWithEightMathsChannels)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
