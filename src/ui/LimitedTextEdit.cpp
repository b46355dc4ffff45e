#include "ui/LimitedTextEdit.h"

#include <QTextCursor>

namespace zel {

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_maxLength(maxLength)
{
    connect(this, &QPlainTextEdit::textChanged, this, &LimitedTextEdit::enforceLimit);
}

void LimitedTextEdit::enforceLimit()
{
    const QString text = toPlainText();
    if (text.size() <= m_maxLength)
        return;
    const QSignalBlocker quiet(this);
    setPlainText(text.left(m_maxLength));
    moveCursor(QTextCursor::End);
}

} // namespace zel
