#pragma once

#include "ui/UserDialogs.h"

#include <QObject>
#include <type_traits>
#include <utility>

namespace zel {

/// The message of the exception being handled: a zel::Error's message, a standard
/// exception's what(), or a general text for anything else. Call only inside a catch block.
QString currentExceptionMessage();

/// Shows the exception being handled in one error box. Never throws: when even the box
/// fails, the message goes to the log. Call only inside a catch block.
void showCurrentException(UserDialogs &dialogs) noexcept;

/// Runs \a handler; an exception it raises is shown in an error box through \a dialogs and
/// goes no further, since an exception must not pass through Qt's event loop. Gives true
/// when the handler finished without one. Every slot and event handler of the windows runs
/// through here:
///
///     guarded(dialogs, [&] { OpenLogTable(path); });
template <typename Handler> bool guarded(UserDialogs &dialogs, Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        showCurrentException(dialogs);
        return false;
    }
}

/// Connects \a signal of \a sender to \a handler run through guarded(). The handler takes
/// either all the signal's arguments or none; the connection ends with \a context, and
/// \a dialogs must outlive it:
///
///     connectGuarded(dialogs, button, &QPushButton::clicked, this, [this] { SaveClick(); });
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(UserDialogs &dialogs, const Sender *sender, Signal signal,
    const QObject *context, Handler handler)
{
    return QObject::connect(sender, signal, context,
        [&dialogs, handler = std::move(handler)](const auto &...args) mutable {
            guarded(dialogs, [&] {
                if constexpr (std::is_invocable_v<Handler &, decltype(args)...>)
                    handler(args...);
                else
                    handler();
            });
        });
}

} // namespace zel
