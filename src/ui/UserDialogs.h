#pragma once

#include "ui/FileDialogRequest.h"

#include <QString>
#include <optional>

namespace zel {

/// Asks the user: every message, question, input box and file or folder dialog of the
/// windows goes through one object of this interface, so that the windows show Qt dialogs
/// (QtUserDialogs) and their tests script the answers (ScriptedUserDialogs). Texts may
/// break lines with "\r\n" or "\n\r". Every dialog is modal; when the user closes one
/// without choosing, the answer is the one that changes nothing (no, cancel, none).
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /// A message with an OK button.
    virtual void information(const QString &text, const QString &caption = {}) = 0;
    virtual void warning(const QString &text, const QString &caption = {}) = 0;
    virtual void error(const QString &text, const QString &caption = {}) = 0;

    /// A yes/no question; true for yes. Escape or closing the box answers no.
    virtual bool question(const QString &text, const QString &caption = {}) = 0;

    /// A message box with the window system's style flags (MessageBoxFlag); gives the
    /// number of the button pressed (MessageBoxResult). Escape presses Cancel, or OK when OK
    /// is the only button.
    virtual int messageBox(const QString &text, const QString &caption, int flags) = 0;

    /// A one-line input box showing \a defaultText; the entered text, or none when cancelled.
    virtual std::optional<QString> inputText(
        const QString &caption, const QString &prompt, const QString &defaultText)
        = 0;

    /// A file to open (it exists), or none when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest &request) = 0;
    /// A file to save to (with the default extension added to a bare name), or none.
    virtual std::optional<QString> saveFile(const FileDialogRequest &request) = 0;
    /// An existing folder, or none when cancelled.
    virtual std::optional<QString> chooseFolder(
        const QString &caption, const QString &initialFolder)
        = 0;
};

} // namespace zel
