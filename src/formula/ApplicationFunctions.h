#pragma once

namespace zel {

class TTalFormula;

/// Registers the data analyzer's eight functions on a formula component, in the order
/// that gives them user function indexes 0 to 7: AirPower(density, area, friction,
/// velocity), PowerAtWheels(weight, velocity, g), KPHToMetersPerSecond(speed),
/// MPHToFeetPerSecond(speed), PowerAtEngine(weight, velocity, g, loss), RPMToRadians(rpm),
/// DegreesToRadians(angle) and PowerToTorque(power, rpm).
void registerApplicationFunctions(TTalFormula &F);

} // namespace zel
