#pragma once

namespace zel {

/// Shows the busy (wait) cursor over the whole program while it lives, and the cursor from
/// before when it ends, also when an exception ends the work. Nested ones restore in turn.
///
///     const BusyCursor busy;
///     importLog();
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace zel
