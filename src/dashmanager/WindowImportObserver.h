#pragma once

#include "session/ImportObserver.h"

#include <functional>

namespace zel {

class ProgressModel;
class UserDialogs;

/// How an import reports in a window: messages in boxes of the dialog service, passing
/// notes to a status line, progress on the window's progress model.
class WindowImportObserver final : public ImportObserver
{
public:
    /// Reports to \a dialogs and \a progress; \a status shows a passing note.
    WindowImportObserver(
        UserDialogs &dialogs, ProgressModel &progress, std::function<void(const QString &)> status);

    void showMessage(const QString &text) override;
    void showStatus(const QString &text) override;
    void setProgressRange(qint64 maximum) override;
    void advanceProgress() override;

private:
    UserDialogs &m_dialogs;
    ProgressModel &m_progress;
    std::function<void(const QString &)> m_status;
};

} // namespace zel
