#pragma once

#include <vector>

namespace zel {

/// A synthetic closed circuit for demo logs: a smooth loop of about 2.6 km with fast and
/// slow corners, and the fastest speed a car can hold at every point of it.
class DemoCircuit
{
public:
    /// One point of the circuit, in metres east and north of its centre.
    struct Point
    {
        double x;
        double y;
    };

    /// A position in decimal degrees.
    struct Degrees
    {
        double longitude;
        double latitude;
    };

    /// Where the circuit lies on the earth: \a point (metres east and north of the centre)
    /// in degrees.
    static Degrees degreesOf(Point point);

    /// Builds the loop and its speed profile.
    DemoCircuit();

    /// Length of one lap in metres.
    double length() const { return m_length; }
    /// Position at distance \a s metres from the start line (any s; the loop repeats).
    Point pointAt(double s) const;
    /// Signed curvature (1/m, positive turning left) at distance \a s.
    double curvatureAt(double s) const;
    /// Fastest speed in m/s at distance \a s, limited by grip, braking and acceleration.
    double speedAt(double s) const;

private:
    double sample(const std::vector<double> &values, double s) const;

    std::vector<Point> m_points;
    std::vector<double> m_curvature;
    std::vector<double> m_speed;
    double m_step = 0.0;
    double m_length = 0.0;
};

} // namespace zel
