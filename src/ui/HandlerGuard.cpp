#include "ui/HandlerGuard.h"

#include "common/Error.h"

#include <QDebug>
#include <exception>

namespace zel {

QString currentExceptionMessage()
{
    QString message;
    try {
        throw;
    } catch (const Error &e) {
        message = e.message();
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) { }
    return message.isEmpty() ? QStringLiteral("An unexpected error occurred.") : message;
}

void showCurrentException(UserDialogs &dialogs) noexcept
{
    QString message;
    try {
        message = currentExceptionMessage();
        dialogs.error(message);
    } catch (...) {
        qCritical().noquote() << "Error that could not be shown:" << message;
    }
}

} // namespace zel
