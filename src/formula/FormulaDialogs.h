#pragma once

#include <QString>

#include <functional>

namespace zel {

/// The boxes that the INPUT and MSG functions show, provided by the host (the windows bind
/// them to the user-dialog service; the command line asks on the terminal). A formula
/// that calls INPUT or MSG while a callback is unset gets an evaluation error instead.
struct FormulaDialogs
{
    /// A one-line input box; gives false when cancelled, else the entered text in `text`
    /// (which holds the default on entry).
    std::function<bool(const QString &caption, const QString &prompt, QString &text)> input;
    /// A message box with the window system's style flags; gives the number of the button
    /// pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
    std::function<int(const QString &text, const QString &caption, int flags)> message;
};

} // namespace zel
