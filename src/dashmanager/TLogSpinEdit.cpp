#include "dashmanager/TLogSpinEdit.h"

#include "dashmanager/SettingKeys.h"
#include "dashmanager/UserNumbers.h"
#include "session/NumberText.h"
#include "session/RecordTable.h"
#include "ui/HandlerGuard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

namespace zel {

TLogSpinEdit::TLogSpinEdit(UserDialogs &dialogs, QWidget *parent)
    : QAbstractSpinBox(parent)
    , m_dialogs(dialogs)
{ }

void TLogSpinEdit::selectRow()
{
    QString quoted = m_recordType;
    quoted.replace(u'\'', QStringLiteral("''"));
    m_table->setFilter(QStringLiteral("RecordType = '%1'").arg(quoted));
    m_table->setFiltered(true);
}

bool TLogSpinEdit::ReadFromTable()
{
    if (!m_table)
        return false;
    selectRow();
    if (!m_table->Locate(QStringLiteral("RowNumber"), { 0 }))
        return false;
    const Field field = m_table->fieldByName(m_fieldName);
    if (!m_numericOnly) {
        setText(field.asText());
    } else {
        std::optional<qint64> integer;
        try {
            integer = field.asInteger();
        } catch (const Error &) {
            // A field that holds no whole number shows as 0.
        }
        if (OnCalcBaseValue) {
            QString shown;
            OnCalcBaseValue(quint32(quint16(integer.value_or(0))), shown);
            setText(shown);
        } else {
            setText(QString::number(integer.value_or(0)));
        }
    }
    if (OnAfterReadFromTable)
        OnAfterReadFromTable(field.asText());
    return true;
}

bool TLogSpinEdit::WriteToTable()
{
    if (!m_table || isReadOnly())
        return false;
    const int column = m_table->columnIndex(m_fieldName);
    const ColumnType type = m_table->column(column).type;
    // The value is worked out before the row is touched, so a refused text leaves no row
    // half-written.
    qint64 integer = 0;
    if (!m_numericOnly) {
        if (type != ColumnType::Text && type != ColumnType::Memo)
            throw RecordTableError(QStringLiteral("Table Field is not a string type."));
    } else if (OnCalcValueBase) {
        quint32 stored = 0;
        OnCalcValueBase(stored, text());
        integer = stored;
    } else {
        bool ok = false;
        integer = text().trimmed().toLongLong(&ok);
        if (!ok)
            throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text()));
    }
    selectRow();
    if (m_table->Locate(QStringLiteral("RowNumber"), { 0 })) {
        m_table->Edit();
    } else {
        m_table->Append();
        m_table->fieldByName(QStringLiteral("RecordType")).setText(m_recordType);
        m_table->fieldByName(QStringLiteral("RowNumber")).setInteger(0);
    }
    try {
        if (m_numericOnly)
            m_table->field(column).setInteger(integer);
        else
            m_table->field(column).setText(text());
        m_table->Post();
    } catch (...) {
        m_table->Cancel();
        throw;
    }
    return true;
}

void TLogSpinEdit::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void TLogSpinEdit::InitialiseObject()
{
    if (OnInitialiseObject)
        OnInitialiseObject();
}

void TLogSpinEdit::stepBy(int steps)
{
    guarded(m_dialogs, [&] {
        const std::optional<double> number = numberFromText(text());
        qint64 value = number && std::isfinite(*number) && std::fabs(*number) < 1e15
            ? qint64(std::trunc(*number))
            : 0;
        value += steps;
        if (m_minValue != 0 && m_maxValue != 0)
            value = std::clamp<qint64>(value, m_minValue, m_maxValue);
        setText(QString::number(value));
    });
}

void TLogSpinEdit::enterKey()
{
    if (m_minValue != 0 || m_maxValue != 0) {
        const QString clamped
            = UserNumbers::clampText(text(), m_minValue, m_maxValue, QStringLiteral("#####0"));
        if (clamped != text())
            setText(clamped);
    }
    if (OnBeforeWritetoECU)
        OnBeforeWritetoECU();
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    setPalette(colours);
}

void TLogSpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_busy) {
        event->accept();
        return;
    }
    const QScopedValueRollback busy(m_busy, true);
    if (SettingKeys::isEnter(event) && !isReadOnly())
        guarded(m_dialogs, [this] { enterKey(); });
    const QStringView signs = OnCalcValueBase ? QStringView(u"-.") : QStringView();
    if (m_numericOnly && !SettingKeys::typedOnly(event, signs)) {
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

} // namespace zel
