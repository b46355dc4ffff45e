#pragma once

#include <QtGlobal>

namespace zel {

/// Number of distinct log colours; further grid columns take them again from the first.
inline constexpr int kLogColourCount = 16;

/// The fixed colour of the log in grid column \a column, as 0xRRGGBB: the dash software's
/// eight colours for columns 0 to 7, then eight more that differ from them, so nine to
/// sixteen logs still tell apart. A negative column gives the first colour.
quint32 logColour(int column);

} // namespace zel
