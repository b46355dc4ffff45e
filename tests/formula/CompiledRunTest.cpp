#include "FormulaTesting.h"
#include "formula/ApplicationFunctions.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>

using namespace zel;
using namespace zel::testing;

namespace {

// Allocations made while counting is on, by every thread of the test program.
std::atomic<bool> countingAllocations { false };
std::atomic<long> allocations { 0 };

void *allocate(std::size_t size)
{
    if (countingAllocations.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

void *operator new(std::size_t size)
{
    return allocate(size);
}

void *operator new[](std::size_t size)
{
    return allocate(size);
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete[](void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}

// Arithmetic runs on numbers the run holds apart from the machine's stack; values that are
// not numbers, function results and stacks deeper than what it holds meet them there.
TEST(CompiledRun, HeldNumbersMeetTheMachinesValues)
{
    QString nested = QStringLiteral("1");
    for (int i = 0; i < 40; ++i)
        nested = QStringLiteral("1 + (%1)").arg(nested);
    const QByteArray deep = nested.toUtf8();
    expectAll({
        { "2 * LENGTH('abc') + 1", "7" },
        { "LENGTH('abc') * 2 - a", "4", { "a=2" } },
        { "-LENGTH('ab') * a", "-6", { "a=3" } },
        { "a + 1", "x1", { "a=x" } },
        { "t * 2 + 1", "11", { "t=5" } },
        { "1 + 'a' @ 2", "1a2" },
        { "IF LENGTH('abc') > a THEN 1 ELSE 2 ENDIF", "2", { "a=5" } },
        { "IF a THEN 'yes' ELSE 'no' ENDIF", "no", { "a=0" } },
        { deep.constData(), "41" },
        { "a * 2 / (b - b)", "!Floating point division by zero", { "a=1", "b=3" } },
        { "(b - b) / (a - a)", "!Invalid floating point operation", { "a=1", "b=3" } },
        { "a ^ -1", "!Floating point division by zero", { "a=0" } },
        { "a * a * a * a", "!Floating point overflow", { "a=1e100" } },
    });
}

// TryComputeN gives what ComputeN gives, work included, except that an error of "+ - * / ^"
// or a numeric function's failure in the formula's own code comes back instead of being
// raised. Errors of anything else, and of "+ - * /" in a sub-formula it calls, still raise;
// a run that ended early leaves nothing behind for the next.
TEST(CompiledRun, TryComputeNGivesArithmeticErrorsBack)
{
    struct TryCase
    {
        const char *formula;
        double b;
        const char *expected; // a number, "!" and an error given back, "!!" and one raised
    };
    const TryCase cases[] = {
        { "a * 2 / b", 2, "3" },
        { "a * 2 / b", 0, "!Floating point division by zero" },
        { "(b - b) / b", 0, "!Invalid floating point operation" },
        { "b * 1e300 * 1e300", 1, "!Floating point overflow" },
        { "a - b * 1e308 - 1e308", 1, "!Floating point overflow" },
        { "IF a > 1 THEN a / b ELSE 0 ENDIF + 1", 0, "!Floating point division by zero" },
        { "LENGTH('abc') / b", 0, "!Floating point division by zero" },
        { "ratio(a, 2) / b", 0, "!Floating point division by zero" },
        { "PowerToTorque(b, b) + 1", 0, "!Invalid floating point operation" },
        { "PowerAtWheels(a, 1e300, b * 1e300)", 1, "!Floating point overflow" },
        { "PowerToTorque(a, b)", 0, "!Floating point division by zero" },
        { "a ^ -b", 0, "1" },
        { "b ^ -1", 0, "!Floating point division by zero" },
        { "(a - 4 * b) ^ 0.5", 1, "!Invalid floating point operation" },
        { "ratio(a, b)", 0, "!!Floating point division by zero" },
        { "SQRT(b)", -1, "!!Invalid floating point operation" },
    };
    const QStringList names { "a", "b" };
    for (const TryCase &c : cases) {
        const auto formulaWith = [&] {
            auto f = std::make_unique<TTalFormula>();
            registerApplicationFunctions(*f);
            f->CompileProgram("SUB ratio(x, y) x / y");
            f->Compile(QString::fromLatin1(c.formula), 2, names);
            f->Variables()[0] = TCalcItem::number(3);
            f->Variables()[1] = TCalcItem::number(c.b);
            return f;
        };
        const std::unique_ptr<TTalFormula> thrown = formulaWith();
        QString raised;
        double value = 0;
        try {
            value = thrown->ComputeN(0, nullptr);
        } catch (const FormulaException &e) {
            raised = e.message();
        }
        const std::unique_ptr<TTalFormula> tried = formulaWith();
        std::optional<FormulaException> error;
        QString triedRaised;
        const std::optional<double> result = [&]() -> std::optional<double> {
            try {
                return tried->TryComputeN(0, nullptr, error);
            } catch (const FormulaException &e) {
                triedRaised = e.message();
                return std::nullopt;
            }
        }();
        const QString expected = QString::fromLatin1(c.expected);
        if (expected.startsWith(QLatin1String("!!"))) {
            EXPECT_EQ(triedRaised, expected.mid(2)) << c.formula;
            EXPECT_FALSE(error) << c.formula;
        } else if (expected.startsWith(u'!')) {
            ASSERT_TRUE(error) << c.formula;
            EXPECT_EQ(error->message(), expected.mid(1)) << c.formula;
            EXPECT_FALSE(result) << c.formula;
        } else {
            EXPECT_EQ(result, expected.toDouble()) << c.formula;
            EXPECT_FALSE(error) << c.formula;
        }
        EXPECT_EQ(raised, error ? error->message() : triedRaised) << c.formula;
        EXPECT_EQ(value, result.value_or(0)) << c.formula;
        EXPECT_EQ(tried->WorkUsed(), thrown->WorkUsed()) << c.formula;

        // Runs after it start afresh, and ComputeN raises as before. No case fails with this b.
        tried->Variables()[1] = TCalcItem::number(1e-300);
        thrown->Variables()[1] = TCalcItem::number(1e-300);
        EXPECT_EQ(tried->TryComputeN(0, nullptr, error), thrown->ComputeN(0, nullptr)) << c.formula;
        EXPECT_FALSE(error) << c.formula;
        if (!raised.isEmpty()) {
            tried->Variables()[1] = TCalcItem::number(c.b);
            EXPECT_THROW(tried->ComputeN(0, nullptr), FormulaException) << c.formula;
        }
    }
}

// Every instruction costs one unit whichever way it runs, and the count survives an error.
TEST(CompiledRun, WorkIsCountedExactly)
{
    const QStringList names { "a", "b" };
    const auto workOf = [&](const QString &formula, qint64 limit, double b, QString *error) {
        TTalFormula f;
        f.setWorkLimit(limit);
        TCalcArray vals { TCalcItem::number(3), TCalcItem::number(b) };
        f.Compile(formula, 2, names);
        try {
            f.ComputeN(2, &vals);
        } catch (const FormulaException &e) {
            *error = e.message();
        }
        return f.WorkUsed();
    };
    QString error;
    // Two units for each of the two values handed in, then a, 2, *, b, /: the division
    // raises at the fifth instruction.
    EXPECT_EQ(workOf("a * 2 / b", 1000, 0, &error), 4 + 5);
    EXPECT_EQ(error, "Floating point division by zero");
    for (const char *formula :
        { "a * 2 + b", "LENGTH('abc') * a + b", "IF a > b THEN a ELSE b ENDIF" }) {
        error.clear();
        const qint64 used = workOf(formula, 1000, 1, &error);
        ASSERT_TRUE(error.isEmpty()) << formula;
        EXPECT_EQ(workOf(formula, used, 1, &error), used) << formula;
        EXPECT_TRUE(error.isEmpty()) << formula;
        workOf(formula, used - 1, 1, &error);
        EXPECT_EQ(error, "Formula stopped: work limit exceeded") << formula;
    }
}

// A compiled formula run row after row, as maths channels are, allocates nothing: neither
// with its variables set in place nor with values handed in, neither for arithmetic nor for
// built-in and application functions.
TEST(CompiledRun, RunsAllocateNothing)
{
    const char *const formulas[] = {
        "RPM * 2 * PI / 60",
        "IF Throttle > 500 THEN SQRT(Speed * Speed + LatG * LatG) ELSE ABS(Speed - LatG) ENDIF",
        "(Mass * Accel * Speed + 0.5 * Speed^3) / 1000",
        "PowerToTorque(Speed * 1000, RPM * 100) + KPHToMetersPerSecond(Speed)",
        "(Throttle > 10) + 0",
    };
    const QStringList names { "RPM", "Throttle", "Speed", "LatG", "Mass", "Accel" };
    for (const char *formula : formulas) {
        TTalFormula f;
        registerApplicationFunctions(f);
        f.Compile(QString::fromLatin1(formula), int(names.size()), names);
        TCalcArray vals(size_t(names.size()));
        double sum = 0;
        const auto runRows = [&](int rows) {
            for (int row = 0; row < rows; ++row) {
                for (size_t i = 0; i < vals.size(); ++i)
                    vals[i].data = 1.0 + double((row + int(i) * 37) % 1000);
                sum += f.ComputeN(int(vals.size()), &vals);
                TCalcArray &variables = f.Variables();
                for (size_t i = 0; i < variables.size(); ++i)
                    variables[i].data = 2.0 + double(row % 7);
                sum += f.ComputeN(0, nullptr);
            }
        };
        runRows(2);
        allocations = 0;
        countingAllocations = true;
        runRows(1000);
        countingAllocations = false;
        EXPECT_EQ(allocations.load(), 0) << formula;
        EXPECT_GT(sum, 0) << formula;
    }
}
