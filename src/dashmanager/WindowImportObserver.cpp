#include "dashmanager/WindowImportObserver.h"

#include "session/ProgressModel.h"
#include "ui/UserDialogs.h"

namespace zel {

WindowImportObserver::WindowImportObserver(
    UserDialogs &dialogs, ProgressModel &progress, std::function<void(const QString &)> status)
    : m_dialogs(dialogs)
    , m_progress(progress)
    , m_status(std::move(status))
{ }

void WindowImportObserver::showMessage(const QString &text)
{
    m_dialogs.information(text);
}

void WindowImportObserver::showStatus(const QString &text)
{
    if (m_status)
        m_status(text);
}

void WindowImportObserver::setProgressRange(qint64 maximum)
{
    m_progress.setPosition(0);
    m_progress.setMaximum(maximum);
}

void WindowImportObserver::advanceProgress()
{
    m_progress.stepBy(1);
}

} // namespace zel
