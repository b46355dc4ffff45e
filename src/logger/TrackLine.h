#pragma once

// One line of a sector file ("*.prc") or message file ("*.msg"); both files hold 256 of
// them back to back.

#include "logger/ShortString.h"

#include <cstddef>
#include <cstdint>

namespace zel {

struct TrackLine
{
    std::uint8_t index;
    std::uint8_t RecType;
    double X1;
    double Y1;
    double X2;
    double Y2;
    double Slope;
    double distance;
    std::uint16_t Trigger;
    ShortString<31> Description;
    double TargetTime;
    std::uint8_t Reserved[12];
    std::uint8_t PointsSet;
} __attribute__((packed));

static_assert(sizeof(TrackLine) == 105);
static_assert(offsetof(TrackLine, RecType) == 1);
static_assert(offsetof(TrackLine, X1) == 2);
static_assert(offsetof(TrackLine, Y1) == 10);
static_assert(offsetof(TrackLine, X2) == 18);
static_assert(offsetof(TrackLine, Y2) == 26);
static_assert(offsetof(TrackLine, Slope) == 34);
static_assert(offsetof(TrackLine, distance) == 42);
static_assert(offsetof(TrackLine, Trigger) == 50);
static_assert(offsetof(TrackLine, Description) == 52);
static_assert(offsetof(TrackLine, TargetTime) == 84);
static_assert(offsetof(TrackLine, Reserved) == 92);
static_assert(offsetof(TrackLine, PointsSet) == 104);

/// RecType values of a sector file.
enum TrackLineKind : std::uint8_t {
    kLineUnused = 0,
    kStartFinishLine = 1,
    kSectorLine = 2,
    kLogStartLine = 3,
    kLogStopLine = 4,
};

} // namespace zel
