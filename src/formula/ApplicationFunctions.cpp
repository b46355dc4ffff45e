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

// v cubed as the "^" operator's repeated squaring forms it, kept in extended precision.
long double cube(long double v)
{
    return v * (v * v);
}

double airPower(const double *args)
{
    const long double density = args[0], area = args[1], friction = args[2];
    const long double v3 = cube(args[3]);
    return TFormulaCalc::stored(density * 0.5L * area * friction * v3);
}

double powerAtWheels(const double *args)
{
    return TFormulaCalc::stored((long double)args[0] * args[1] * args[2]);
}

double kphToMetersPerSecond(const double *args)
{
    return TFormulaCalc::stored(args[0] * 0.277777778L);
}

double mphToFeetPerSecond(const double *args)
{
    return TFormulaCalc::stored(args[0] * 1.46667L);
}

double powerAtEngine(const double *args)
{
    const long double p = TFormulaCalc::stored((long double)args[0] * args[1] * args[2]);
    return TFormulaCalc::stored(p + args[3] * p);
}

double rpmToRadians(const double *args)
{
    return TFormulaCalc::stored(args[0] * kRadiansPerRevolutionMinute);
}

double degreesToRadians(const double *args)
{
    return TFormulaCalc::stored(args[0] / 180.0L * kPi);
}

double powerToTorque(const double *args)
{
    const long double power = args[0];
    const long double divisor = args[1] * kRadiansPerRevolutionMinute;
    if (divisor == 0) {
        if (power == 0)
            throw FormulaException::invalidOperation();
        throw FormulaException::divisionByZero();
    }
    return TFormulaCalc::stored(power / divisor);
}

} // namespace

void registerApplicationFunctions(TTalFormula &F)
{
    F.AddNumericFunction(QStringLiteral("AirPower"), 4, airPower);
    F.AddNumericFunction(QStringLiteral("PowerAtWheels"), 3, powerAtWheels);
    F.AddNumericFunction(QStringLiteral("KPHToMetersPerSecond"), 1, kphToMetersPerSecond);
    F.AddNumericFunction(QStringLiteral("MPHToFeetPerSecond"), 1, mphToFeetPerSecond);
    F.AddNumericFunction(QStringLiteral("PowerAtEngine"), 4, powerAtEngine);
    F.AddNumericFunction(QStringLiteral("RPMToRadians"), 1, rpmToRadians);
    F.AddNumericFunction(QStringLiteral("DegreesToRadians"), 1, degreesToRadians);
    F.AddNumericFunction(QStringLiteral("PowerToTorque"), 2, powerToTorque);
}

} // namespace zel
