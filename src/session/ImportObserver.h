#pragma once

#include <QString>

namespace zel {

/// Where a raw-log import reports to: the card window shows message boxes, a status label
/// and a progress bar; `zel import` writes lines to the terminal.
class ImportObserver
{
public:
    virtual ~ImportObserver() = default;
    /// A message the user must see (a message box in the window).
    virtual void showMessage(const QString &text) = 0;
    /// A passing note (the window's status label).
    virtual void showStatus(const QString &text) = 0;
    /// Starts the progress over \a maximum steps.
    virtual void setProgressRange(qint64 maximum) = 0;
    /// One more step done.
    virtual void advanceProgress() = 0;
    /// Asked every few hundred records and before anything is saved; true stops the import,
    /// which then throws ImportCancelled and keeps nothing it wrote. An observer without a
    /// cancel button keeps the default.
    virtual bool cancelRequested() { return false; }
};

} // namespace zel
