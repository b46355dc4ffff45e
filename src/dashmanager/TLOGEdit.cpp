#include "dashmanager/TLOGEdit.h"

#include "dashmanager/SettingKeys.h"
#include "dashmanager/UserNumbers.h"
#include "session/NumberText.h"
#include "ui/HandlerGuard.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <cmath>
#include <exception>
#include <optional>

namespace zel {

TLOGEdit::TLOGEdit(UserDialogs &dialogs, QWidget *parent)
    : QLineEdit(parent)
    , m_dialogs(dialogs)
{
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_numericOnly && !m_adjusting)
            guarded(m_dialogs, [this] { textChange(); });
    });
}

void TLOGEdit::textChange()
{
    const QScopedValueRollback adjusting(m_adjusting, true);
    if (text().isEmpty()) {
        setText(UserNumbers::format(m_minValue, QStringLiteral("####0")));
        selectAll();
        return;
    }
    clampToRange(QStringLiteral("######0"));
}

void TLOGEdit::clampToRange(const QString &pattern)
{
    const QString clamped = UserNumbers::clampText(text(), m_minValue, m_maxValue, pattern);
    if (clamped != text())
        setText(clamped);
}

void TLOGEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_numericOnly && !SettingKeys::typedOnly(event, u"-.")) {
        event->accept();
        return;
    }
    if (SettingKeys::isEnter(event) && !isReadOnly()) {
        guarded(m_dialogs, [this] {
            const QScopedValueRollback adjusting(m_adjusting, true);
            clampToRange(QStringLiteral("#####0"));
            if (OnBeforeWriteField)
                OnBeforeWriteField();
        });
    }
    QLineEdit::keyPressEvent(event);
}

quint16 TLOGEdit::GetBaseValue()
{
    if (m_numericOnly && text().trimmed().isEmpty())
        setText(QStringLiteral("0"));
    quint16 value = 0;
    if (OnCalcValueBase) {
        try {
            OnCalcValueBase(value, text());
        } catch (const std::exception &) {
            value = 0;
        }
    } else if (const std::optional<double> number = numberFromText(text())) {
        // Only a whole part that fits 64 bits converts; its low 16 bits are the value.
        const double whole = std::trunc(*number);
        if (std::isfinite(whole) && std::fabs(whole) < 9.2e18)
            value = quint16(quint64(qint64(whole)) & 0xFFFFu);
    }
    return value;
}

void TLOGEdit::SetBaseValue(quint16 DataValue)
{
    if (OnCalcBaseValue) {
        QString shown;
        OnCalcBaseValue(DataValue, shown);
        setText(shown);
    } else {
        setText(QString::number(DataValue));
    }
    if (OnAfterReadField)
        OnAfterReadField(DataValue);
}

double TLOGEdit::GetNumericValue()
{
    if (!m_numericOnly)
        return 0.0;
    if (text().isEmpty())
        setText(QStringLiteral("0"));
    return UserNumbers::parse(text());
}

void TLOGEdit::SetNumericValue(double Value)
{
    if (m_numericOnly)
        setText(UserNumbers::general(Value));
    else
        clear();
}

} // namespace zel
