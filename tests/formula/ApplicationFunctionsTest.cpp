#include "formula/ApplicationFunctions.h"

#include "FormulaTesting.h"

using namespace zel;
using namespace zel::testing;

namespace {

double compute(TTalFormula &f, const QString &formula)
{
    TCalcArray none;
    return f.ComputeStrN(formula, 0, {}, &none);
}

} // namespace

TEST(ApplicationFunctions, RegisteredInOrderWithTheirArity)
{
    TTalFormula f;
    registerApplicationFunctions(f);
    const struct
    {
        const char *call;
        int index;
        int count;
    } calls[] = {
        {"airpower(1,2,3,4)", 0, 4},
        {"POWERATWHEELS(1,2,3)", 1, 3},
        {"KphToMetersPerSecond(1)", 2, 1},
        {"MPHToFeetPerSecond(1)", 3, 1},
        {"PowerAtEngine(1,2,3,4)", 4, 4},
        {"RPMToRadians(1)", 5, 1},
        {"DegreesToRadians(1)", 6, 1},
        {"PowerToTorque(1,2)", 7, 2},
    };
    for (const auto &c : calls) {
        const QString code = f.Compile(QString::fromLatin1(c.call), 0, {});
        const char16_t units[] = {248, char16_t(c.index), char16_t(c.count), 224};
        const QString call = QString::fromUtf16(units, 4);
        EXPECT_TRUE(code.endsWith(call)) << c.call;
    }
    EXPECT_FALSE(f.Test("AirPower(1,2,3)", 0, {}));
    EXPECT_EQ(f.GetLastErrorStr(), "Not enough parameters");
    EXPECT_THROW(registerApplicationFunctions(f), FormulaException);
}

TEST(ApplicationFunctions, ExactResults)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    registerApplicationFunctions(f);
    using L = long double;
    const L twoPiBy60 = 0.104719755119659774615L;
    const L pi = 3.141592653589793238462643383279502884L;
    const auto p = [](L w, L v, L g) { return L(double(w * v * g)); };
    const struct
    {
        const char *formula;
        double expected;
    } cases[] = {
        {"AirPower(1.225, 0.5, 0.7, 30)", double(1.225L * 0.5L * 0.5L * 0.7L * 27000.0L)},
        {"AirPower(1.2, 1.3, 0.33, 41.7)",
            double(1.2L * 0.5L * L(1.3) * L(0.33) * (L(41.7) * (L(41.7) * L(41.7))))},
        {"PowerAtWheels(750, 33.3, 0.45)", double(L(750) * L(33.3) * L(0.45))},
        {"KPHToMetersPerSecond(100)", double(100 * 0.277777778L)},
        {"KPHToMetersPerSecond(-36.5)", double(L(-36.5) * 0.277777778L)},
        {"MPHToFeetPerSecond(60)", double(60 * 1.46667L)},
        {"PowerAtEngine(750, 33.3, 0.45, 0.15)",
            double(p(750, L(33.3), L(0.45)) + L(0.15) * p(750, L(33.3), L(0.45)))},
        {"RPMToRadians(6500)", double(6500 * twoPiBy60)},
        {"RPMToRadians('6500')", double(6500 * twoPiBy60)},
        {"PowerAtEngine('750', 33.3, '0.45', 0.15)",
            double(p(750, L(33.3), L(0.45)) + L(0.15) * p(750, L(33.3), L(0.45)))},
        {"DegreesToRadians(90)", double(L(90) / 180 * pi)},
        {"DegreesToRadians(-33.3)", double(L(-33.3) / 180 * pi)},
        {"PowerToTorque(50000, 6500)", double(L(50000) / (6500 * twoPiBy60))},
        {"PowerToTorque(0, 10)", 0.0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(compute(f, QString::fromLatin1(c.formula)), c.expected) << c.formula;
    EXPECT_EQ(compute(f, "KPHToMetersPerSecond(36)"), 10.000000008);
    EXPECT_EQ(compute(f, "DegreesToRadians(180)"), 3.141592653589793);
}

TEST(ApplicationFunctions, Faults)
{
    const auto setup = [](TTalFormula &f) { registerApplicationFunctions(f); };
    expectAll(
        {
            {"PowerToTorque(100, 0)", "!Floating point division by zero"},
            {"PowerToTorque(0, 0)", "!Invalid floating point operation"},
            {"AirPower(1, 1, 1, 1e200)", "!Floating point overflow"},
            {"RPMToRadians('x')", "!'x' is not a valid floating point value"},
            {"RPMToRadians('1000')", "104.71975511966"},
        },
        setup);
}
