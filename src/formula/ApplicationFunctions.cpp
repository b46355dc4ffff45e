#include "formula/ApplicationFunctions.h"

#include "formula/TTalFormula.h"

#include <cmath>
#include <limits>

namespace zel {

namespace {

// The results must match the logger's own software bit for bit: it computes in x87
// extended precision with extended constants and stores each result as a double. Failures
// are results, raised by the caller.
constexpr long double kRadiansPerRevolutionMinute = 0.104719755119659774615L; // 2 pi / 60
constexpr long double kPi = 3.141592653589793238462643383279502884L;

// v cubed as the "^" operator's repeated squaring forms it, kept in extended precision.
long double cube(long double v)
{
    return v * (v * v);
}

NumericResult airPower(const double *args)
{
    const long double density = args[0], area = args[1], friction = args[2];
    const long double v3 = cube(args[3]);
    return double(density * 0.5L * area * friction * v3);
}

NumericResult powerAtWheels(const double *args)
{
    return double((long double)args[0] * args[1] * args[2]);
}

NumericResult kphToMetersPerSecond(const double *args)
{
    return double(args[0] * 0.277777778L);
}

NumericResult mphToFeetPerSecond(const double *args)
{
    return double(args[0] * 1.46667L);
}

NumericResult powerAtEngine(const double *args)
{
    // The power at the wheels is stored before the losses are added, and fails there.
    const double p = double((long double)args[0] * args[1] * args[2]);
    if (!std::isfinite(p))
        return p;
    return double(p + args[3] * (long double)p);
}

NumericResult rpmToRadians(const double *args)
{
    return double(args[0] * kRadiansPerRevolutionMinute);
}

NumericResult degreesToRadians(const double *args)
{
    return double(args[0] / 180.0L * kPi);
}

NumericResult powerToTorque(const double *args)
{
    const long double power = args[0];
    const long double divisor = args[1] * kRadiansPerRevolutionMinute;
    // An engine that stands (0 rpm) is common in a log; its rows fail without an exception.
    if (divisor == 0) {
        if (power == 0)
            return std::numeric_limits<double>::quiet_NaN();
        return NumericResult::zeroDivisor();
    }
    return double(power / divisor);
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
