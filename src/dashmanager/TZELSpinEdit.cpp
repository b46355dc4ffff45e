#include "dashmanager/TZELSpinEdit.h"

#include "dashmanager/SettingKeys.h"
#include "dashmanager/UserNumbers.h"
#include "ui/HandlerGuard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>

namespace zel {

TZELSpinEdit::TZELSpinEdit(UserDialogs &dialogs, QWidget *parent)
    : QAbstractSpinBox(parent)
    , m_dialogs(dialogs)
{ }

double TZELSpinEdit::Value() const
{
    return UserNumbers::parse(text());
}

void TZELSpinEdit::setValue(double value)
{
    setText(UserNumbers::general(value));
}

void TZELSpinEdit::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void TZELSpinEdit::InitialiseObject()
{
    if (OnInitialiseObject)
        OnInitialiseObject();
}

void TZELSpinEdit::stepBy(int steps)
{
    if (text().isEmpty())
        return;
    guarded(m_dialogs, [&] {
        double value = Value() + steps * m_increment;
        if (m_minValue != 0 && m_maxValue != 0)
            value = std::clamp<double>(value, m_minValue, m_maxValue);
        setValue(value);
    });
}

bool TZELSpinEdit::enterKey()
{
    const double value = Value();
    if (m_minValue != 0 && value < m_minValue)
        setValue(m_minValue);
    if (m_maxValue != 0 && value > m_maxValue)
        setValue(m_maxValue);
    bool accept = true;
    if (OnBeforeWritetoECU)
        OnBeforeWritetoECU(accept);
    return accept;
}

void TZELSpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_busy) {
        event->accept();
        return;
    }
    const QScopedValueRollback busy(m_busy, true);
    if (SettingKeys::isEnter(event) && !isReadOnly()) {
        bool accepted = false;
        guarded(m_dialogs, [&] { accepted = enterKey(); });
        if (!accepted) {
            event->accept();
            return;
        }
    }
    const QString separators = QStringLiteral("-.") + UserNumbers::decimalSeparator();
    if (m_numericOnly && !SettingKeys::typedOnly(event, separators)) {
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

} // namespace zel
