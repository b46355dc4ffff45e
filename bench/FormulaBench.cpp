// Maths-channel evaluation: one compiled formula run once per row of a 180,001-row log.
#include "formula/ColumnProgram.h"
#include "formula/TTalFormula.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace zel;

namespace {

constexpr int kRows = 180001;

// The formulas timed both ways, row by row and in columns.
constexpr const char *kRpmToRadians = "RPM * 2 * PI / 60";
constexpr const char *kDrivePower
    = "(Mass * Accel * Speed + 0.5 * Rho * Area * Cd * Speed^3) / 1000";
const QStringList kDrivePowerNames { "Mass", "Accel", "Speed", "Rho", "Area", "Cd" };

void evaluateRows(benchmark::State &state, const char *formula, const QStringList &names)
{
    TTalFormula f;
    f.Compile(QString::fromLatin1(formula), int(names.size()), names);
    TCalcArray vals(size_t(names.size()));
    double sum = 0;
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            for (size_t i = 0; i < vals.size(); ++i)
                vals[i].data = 1.0 + double((row + int(i) * 37) % 1000);
            sum += f.ComputeN(int(vals.size()), &vals);
        }
    }
    benchmark::DoNotOptimize(sum);
    // One iteration is one whole log, so the time column reads as time per log.
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The same rows run as the import runs a maths channel: the compiled code applied to a
// column of each variable, a block of rows at a time.
void evaluateColumns(benchmark::State &state, const char *formula, const QStringList &names)
{
    TTalFormula f;
    f.Compile(QString::fromLatin1(formula), int(names.size()), names);
    const std::optional<ColumnProgram> program = ColumnProgram::from(f);
    if (!program) {
        state.SkipWithError("the formula does not run in columns");
        return;
    }
    std::vector<std::vector<double>> columns(size_t(names.size()), std::vector<double>(kRows));
    std::vector<ColumnProgram::Input> inputs(size_t(names.size()));
    for (size_t i = 0; i < columns.size(); ++i) {
        for (int row = 0; row < kRows; ++row)
            columns[i][size_t(row)] = 1.0 + double((row + int(i) * 37) % 1000);
        inputs[i].values = columns[i].data();
    }
    std::vector<double> results(kRows);
    std::vector<unsigned char> failed(kRows);
    for (auto _ : state) {
        program->run(inputs, kRows, results.data(), failed.data());
        benchmark::DoNotOptimize(results.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_RpmToRadians(benchmark::State &state)
{
    evaluateRows(state, kRpmToRadians, {"RPM"});
}

void BM_WheelSlip(benchmark::State &state)
{
    evaluateRows(state, "(Rear - Front) / Front * 100 + Offset * 0", {"Front", "Rear", "Offset"});
}

void BM_ConditionWithFunction(benchmark::State &state)
{
    evaluateRows(state,
        "IF Throttle > 500 THEN SQRT(Speed * Speed + LatG * LatG) ELSE ABS(Speed - LatG) ENDIF",
        {"Throttle", "Speed", "LatG"});
}

void BM_DrivePower(benchmark::State &state)
{
    evaluateRows(state, kDrivePower, kDrivePowerNames);
}

void BM_RpmToRadiansInColumns(benchmark::State &state)
{
    evaluateColumns(state, kRpmToRadians, {"RPM"});
}

// Rows that a condition sends two ways, about half of them each way.
void BM_ConditionInColumns(benchmark::State &state)
{
    evaluateColumns(state,
        "IF Throttle > 500 THEN Speed * Speed + LatG * LatG ELSE Speed - LatG ENDIF",
        {"Throttle", "Speed", "LatG"});
}

void BM_DrivePowerInColumns(benchmark::State &state)
{
    evaluateColumns(state, kDrivePower, kDrivePowerNames);
}

// The per-row maths computation compiles its formula for every row; this is that cost.
void BM_CompileAndRun(benchmark::State &state)
{
    TTalFormula f;
    const QString formula = QStringLiteral(
        "IF Throttle > 500 THEN SQRT(Speed * Speed + LatG * LatG) ELSE ABS(Speed - LatG) ENDIF");
    const QStringList names{"Throttle", "Speed", "LatG"};
    TCalcArray vals(3);
    double sum = 0;
    int row = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < vals.size(); ++i)
            vals[i].data = 1.0 + double((row + int(i) * 37) % 1000);
        sum += f.ComputeStrN(formula, 3, names, &vals);
        ++row;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}

// FORMATDATE over a picture of n characters, one run of "h": the work grows with n alone.
void BM_FormatDateLongPicture(benchmark::State &state)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    TCalcArray vals{TCalcItem::number(double(state.range(0)))};
    f.Compile(QStringLiteral("LENGTH(FORMATDATE(STRINGOFCHAR('h', n), 45000.25))"), 1, {"n"});
    double length = 0;
    for (auto _ : state)
        length += f.ComputeN(1, &vals);
    benchmark::DoNotOptimize(length);
    state.SetComplexityN(state.range(0));
}

// A formula on texts, as a maths channel per row would run it: their work is charged.
void BM_TextFormula(benchmark::State &state)
{
    evaluateRows(state,
        "LENGTH(UPPERCASE(TRIM('  speed ' + FORMAT('0.0', Speed)))) + POS('.', "
        "FORMAT('0.00', Speed))",
        {"Speed"});
}

} // namespace

BENCHMARK(BM_CompileAndRun);
BENCHMARK(BM_RpmToRadians)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WheelSlip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConditionWithFunction)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrivePower)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RpmToRadiansInColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrivePowerInColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConditionInColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFormula)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatDateLongPicture)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
