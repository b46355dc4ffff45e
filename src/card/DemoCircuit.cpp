#include "card/DemoCircuit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zel {

namespace {

constexpr int kPoints = 4000;
constexpr double kGravity = 9.81;
constexpr double kLateralGrip = 1.5 * kGravity;
constexpr double kBraking = 1.2 * kGravity;
constexpr double kAcceleration = 0.55 * kGravity;
constexpr double kTopSpeed = 68.0;
constexpr double kCentreLat = 52.0736;
constexpr double kCentreLong = -1.0167;
constexpr double kMetresPerDegree = 111320.0;

DemoCircuit::Point loopPoint(double t)
{
    const double r = 420.0 * (1.0 + 0.28 * std::cos(2.0 * t) + 0.12 * std::sin(3.0 * t));
    return { r * std::cos(t), r * std::sin(t) };
}

} // namespace

DemoCircuit::Degrees DemoCircuit::degreesOf(Point point)
{
    return { kCentreLong
            + point.x / (kMetresPerDegree * std::cos(kCentreLat * std::numbers::pi / 180.0)),
        kCentreLat + point.y / kMetresPerDegree };
}

DemoCircuit::DemoCircuit()
{
    // Resample the loop at equal distances, so a distance maps straight to a point.
    std::vector<Point> dense;
    std::vector<double> along { 0.0 };
    const int denseCount = kPoints * 8;
    for (int i = 0; i <= denseCount; ++i)
        dense.push_back(loopPoint(2.0 * std::numbers::pi * i / denseCount));
    for (int i = 1; i <= denseCount; ++i)
        along.push_back(
            along.back() + std::hypot(dense[i].x - dense[i - 1].x, dense[i].y - dense[i - 1].y));
    m_length = along.back();
    m_step = m_length / kPoints;
    size_t k = 0;
    for (int i = 0; i < kPoints; ++i) {
        const double s = i * m_step;
        while (along[k + 1] < s)
            ++k;
        const double f = (s - along[k]) / (along[k + 1] - along[k]);
        m_points.push_back({ dense[k].x + f * (dense[k + 1].x - dense[k].x),
            dense[k].y + f * (dense[k + 1].y - dense[k].y) });
    }

    m_curvature.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const Point &a = m_points[size_t((i + kPoints - 1) % kPoints)];
        const Point &b = m_points[size_t(i)];
        const Point &c = m_points[size_t((i + 1) % kPoints)];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        // Menger curvature of three points m_step apart: 2 * cross / (step * step * 2 step).
        m_curvature[size_t(i)] = cross / (m_step * m_step * m_step);
    }

    m_speed.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double k = std::fabs(m_curvature[size_t(i)]);
        m_speed[size_t(i)]
            = k > 1e-6 ? std::min(kTopSpeed, std::sqrt(kLateralGrip / k)) : kTopSpeed;
    }
    // Two passes round the loop in each direction settle the braking and acceleration limits.
    for (int pass = 0; pass < 2 * kPoints; ++pass) {
        const size_t i = size_t(pass % kPoints);
        const size_t next = (i + 1) % kPoints;
        m_speed[next] = std::min(
            m_speed[next], std::sqrt(m_speed[i] * m_speed[i] + 2.0 * kAcceleration * m_step));
    }
    for (int pass = 2 * kPoints; pass > 0; --pass) {
        const size_t i = size_t(pass % kPoints);
        const size_t previous = (i + kPoints - 1) % kPoints;
        m_speed[previous] = std::min(
            m_speed[previous], std::sqrt(m_speed[i] * m_speed[i] + 2.0 * kBraking * m_step));
    }
}

double DemoCircuit::sample(const std::vector<double> &values, double s) const
{
    double wrapped = std::fmod(s, m_length);
    if (wrapped < 0)
        wrapped += m_length;
    const double index = wrapped / m_step;
    const size_t i = size_t(index) % kPoints;
    const double f = index - std::floor(index);
    return values[i] + f * (values[(i + 1) % kPoints] - values[i]);
}

DemoCircuit::Point DemoCircuit::pointAt(double s) const
{
    double wrapped = std::fmod(s, m_length);
    if (wrapped < 0)
        wrapped += m_length;
    const double index = wrapped / m_step;
    const size_t i = size_t(index) % kPoints;
    const double f = index - std::floor(index);
    const Point &a = m_points[i];
    const Point &b = m_points[(i + 1) % kPoints];
    return { a.x + f * (b.x - a.x), a.y + f * (b.y - a.y) };
}

double DemoCircuit::curvatureAt(double s) const
{
    return sample(m_curvature, s);
}

double DemoCircuit::speedAt(double s) const
{
    return sample(m_speed, s);
}

} // namespace zel
