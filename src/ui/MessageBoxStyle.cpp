#include "ui/MessageBoxStyle.h"

namespace zel {

namespace {

using Button = QMessageBox::StandardButton;

QList<Button> buttonsOf(int flags)
{
    switch (flags & 0xF) {
    case MbOkCancel:
        return { QMessageBox::Ok, QMessageBox::Cancel };
    case MbAbortRetryIgnore:
        return { QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore };
    case MbYesNoCancel:
        return { QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel };
    case MbYesNo:
        return { QMessageBox::Yes, QMessageBox::No };
    case MbRetryCancel:
        return { QMessageBox::Retry, QMessageBox::Cancel };
    default:
        return { QMessageBox::Ok };
    }
}

QMessageBox::Icon iconOf(int flags)
{
    switch (flags & 0xF0) {
    case MbIconError:
        return QMessageBox::Critical;
    case MbIconQuestion:
        return QMessageBox::Question;
    case MbIconWarning:
        return QMessageBox::Warning;
    case MbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

MessageBoxStyle messageBoxStyle(int flags)
{
    MessageBoxStyle style;
    style.buttons = buttonsOf(flags);
    style.icon = iconOf(flags);
    const qsizetype defaultIndex = (flags >> 8) & 0xF;
    style.defaultButton = style.buttons.value(defaultIndex, style.buttons.first());
    if (style.buttons.contains(QMessageBox::Cancel))
        style.escapeButton = QMessageBox::Cancel;
    else if (style.buttons == QList<Button> { QMessageBox::Ok })
        style.escapeButton = QMessageBox::Ok;
    else
        style.escapeButton = QMessageBox::NoButton;
    return style;
}

int messageBoxResult(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return IdOk;
    case QMessageBox::Abort:
        return IdAbort;
    case QMessageBox::Retry:
        return IdRetry;
    case QMessageBox::Ignore:
        return IdIgnore;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return IdCancel;
    }
}

int safeMessageBoxResult(int flags)
{
    const QList<Button> buttons = buttonsOf(flags);
    for (Button safe : { QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort }) {
        if (buttons.contains(safe))
            return messageBoxResult(safe);
    }
    return IdOk;
}

QString displayText(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            shown.append(c);
            continue;
        }
        shown.append(u'\n');
        const QChar pair = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < text.size() && text[i + 1] == pair)
            ++i;
    }
    return shown;
}

} // namespace zel
