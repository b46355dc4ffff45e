#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

namespace zel {

/// The window system's message box style flags, as formulas (MSG) and windows pass them:
/// one button set, optionally combined with one icon and one default button.
enum MessageBoxFlag : int {
    MbOk = 0x0,
    MbOkCancel = 0x1,
    MbAbortRetryIgnore = 0x2,
    MbYesNoCancel = 0x3,
    MbYesNo = 0x4,
    MbRetryCancel = 0x5,
    MbIconError = 0x10,
    MbIconQuestion = 0x20,
    MbIconWarning = 0x30,
    MbIconInformation = 0x40,
    MbDefaultButton2 = 0x100,
    MbDefaultButton3 = 0x200,
};

/// The window system's numbers of the button that closed a message box.
enum MessageBoxResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

/// How a message box with given style flags looks and answers.
struct MessageBoxStyle
{
    /// In the window system's order; the first is the default unless the flags name another.
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    /// The button that Escape (and closing the window) presses: Cancel, or OK when it is the
    /// only button; NoButton when Escape does nothing (Yes/No, Abort/Retry/Ignore).
    QMessageBox::StandardButton escapeButton = QMessageBox::Ok;
};

/// The style of \a flags. An unknown button set shows OK alone; an unknown icon none; a
/// default button beyond the set is the first.
MessageBoxStyle messageBoxStyle(int flags);

/// The window system's number of \a button (IdOk ... IdNo); IdCancel for any other button.
int messageBoxResult(QMessageBox::StandardButton button);

/// The answer that changes nothing, for a box that could not be answered: Cancel, else No,
/// else Abort, else OK, whichever the box of \a flags has first.
int safeMessageBoxResult(int flags);

/// \a text with every "\r\n", "\n\r" and lone "\r" turned into one "\n", as the windows'
/// texts are written with either order of the two characters.
QString displayText(const QString &text);

} // namespace zel
