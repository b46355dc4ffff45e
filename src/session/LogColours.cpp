#include "session/LogColours.h"

#include <array>

namespace zel {

namespace {

constexpr std::array<quint32, kLogColourCount> kColours = {
    0x008000,
    0x0000FF,
    0x008080,
    0xFF0000,
    0x00FF00,
    0x00FFFF,
    0xFF00FF,
    0x800000, // dash
    0xFF8000,
    0x800080,
    0x808000,
    0x8080FF,
    0xFFFF00,
    0x000080,
    0xFF80C0,
    0x804000,
};

} // namespace

quint32 logColour(int column)
{
    return kColours[size_t(column < 0 ? 0 : column % kLogColourCount)];
}

} // namespace zel
