#include "formula/ApplicationFunctions.h"

#include "formula/FormulaException.h"
#include "formula/TFormulaCalc.h"
#include "formula/TTalFormula.h"

namespace zel {

namespace {

// The results must match the logger's own software bit for bit: it computes in x87
// extended precision with extended constants and stores each result as a double.
constexpr long double kRadiansPerRevolutionMinute = 0.104719755119659774615L; // 2 pi / 60
constexpr long double kPi = 3.141592653589793238462643383279502884L;

// Argument k (from 0) of a call with n arguments; the last argument is on top.
long double arg(TFormulaCalc &C, int n, int k)
{
    return C.ItemN(n - 1 - k);
}

void setResult(TCalcItem &result, long double x)
{
    result = TCalcItem::number(TFormulaCalc::stored(x));
}

// v cubed as the "^" operator's repeated squaring forms it, kept in extended precision.
long double cube(long double v)
{
    return v * (v * v);
}

void airPower(TFormulaCalc &C, TCalcItem &result)
{
    const long double density = arg(C, 4, 0), area = arg(C, 4, 1), friction = arg(C, 4, 2);
    const long double v3 = cube(arg(C, 4, 3));
    setResult(result, density * 0.5L * area * friction * v3);
}

void powerAtWheels(TFormulaCalc &C, TCalcItem &result)
{
    setResult(result, arg(C, 3, 0) * arg(C, 3, 1) * arg(C, 3, 2));
}

void kphToMetersPerSecond(TFormulaCalc &C, TCalcItem &result)
{
    setResult(result, arg(C, 1, 0) * 0.277777778L);
}

void mphToFeetPerSecond(TFormulaCalc &C, TCalcItem &result)
{
    setResult(result, arg(C, 1, 0) * 1.46667L);
}

void powerAtEngine(TFormulaCalc &C, TCalcItem &result)
{
    const long double p = TFormulaCalc::stored(arg(C, 4, 0) * arg(C, 4, 1) * arg(C, 4, 2));
    setResult(result, p + arg(C, 4, 3) * p);
}

void rpmToRadians(TFormulaCalc &C, TCalcItem &result)
{
    setResult(result, arg(C, 1, 0) * kRadiansPerRevolutionMinute);
}

void degreesToRadians(TFormulaCalc &C, TCalcItem &result)
{
    setResult(result, arg(C, 1, 0) / 180.0L * kPi);
}

void powerToTorque(TFormulaCalc &C, TCalcItem &result)
{
    const long double power = arg(C, 2, 0);
    const long double divisor = arg(C, 2, 1) * kRadiansPerRevolutionMinute;
    if (divisor == 0) {
        if (power == 0)
            throw FormulaException::invalidOperation();
        throw FormulaException::divisionByZero();
    }
    setResult(result, power / divisor);
}

} // namespace

void registerApplicationFunctions(TTalFormula &F)
{
    F.AddUserFunction(QStringLiteral("AirPower"), 4, airPower);
    F.AddUserFunction(QStringLiteral("PowerAtWheels"), 3, powerAtWheels);
    F.AddUserFunction(QStringLiteral("KPHToMetersPerSecond"), 1, kphToMetersPerSecond);
    F.AddUserFunction(QStringLiteral("MPHToFeetPerSecond"), 1, mphToFeetPerSecond);
    F.AddUserFunction(QStringLiteral("PowerAtEngine"), 4, powerAtEngine);
    F.AddUserFunction(QStringLiteral("RPMToRadians"), 1, rpmToRadians);
    F.AddUserFunction(QStringLiteral("DegreesToRadians"), 1, degreesToRadians);
    F.AddUserFunction(QStringLiteral("PowerToTorque"), 2, powerToTorque);
}

} // namespace zel
