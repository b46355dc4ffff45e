#pragma once

#include "session/RecordTable.h"

#include <QAbstractSpinBox>
#include <QPointer>
#include <QString>
#include <functional>

namespace zel {

class UserDialogs;

/// An integer spin edit bound to one field of a record table: the row with `RowNumber` 0
/// among the rows whose `RecordType` is Log_RecordType. ReadFromTable shows the field,
/// WriteToTable stores the text; hooks may convert between the stored integer and the text.
/// Enter keeps the text inside MinValue..MaxValue (when either is set) and fires
/// OnBeforeWritetoECU; the buttons step by one and, when both bounds are set, stay inside
/// them. Errors of the key and button handling are shown through the dialog service.
class TLogSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    using TBeforeWritetoECU = std::function<void()>;
    using TAfterReadFromTable = std::function<void(const QString &Datavalue)>;
    using TCalcBaseValue = std::function<void(quint32 Basevalue, QString &CalcValue)>;
    using TCalcValueBase = std::function<void(quint32 &Basevalue, const QString &CalcValue)>;
    using TInitialiseObject = std::function<void()>;

    explicit TLogSpinEdit(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// The table that holds the value; the control does not own it.
    RecordTable *Log_MemTable() const { return m_table; }
    void setLog_MemTable(RecordTable *table) { m_table = table; }
    QString Log_RecordType() const { return m_recordType; }
    void setLog_RecordType(const QString &recordType) { m_recordType = recordType; }
    QString Log_FieldName() const { return m_fieldName; }
    void setLog_FieldName(const QString &fieldName) { m_fieldName = fieldName; }
    bool NumericOnly() const { return m_numericOnly; }
    void setNumericOnly(bool on) { m_numericOnly = on; }
    qint32 MinValue() const { return m_minValue; }
    void setMinValue(qint32 value) { m_minValue = value; }
    qint32 MaxValue() const { return m_maxValue; }
    void setMaxValue(qint32 value) { m_maxValue = value; }

    /// Shows \a text as it stands.
    void setText(const QString &text);

    /// Shows the bound field (as text, through OnCalcBaseValue, or as an integer, "0" when
    /// it is none) and fires OnAfterReadFromTable with the field's text. False when there
    /// is no table or no row to read.
    bool ReadFromTable();
    /// Stores the text into the bound field of the row, which is appended when missing.
    /// False without a table or when read-only. Throws zel::Error, with the table
    /// unchanged, when the text does not fit the field.
    bool WriteToTable();
    /// Fires OnInitialiseObject.
    void InitialiseObject();

    void stepBy(int steps) override;

    TBeforeWritetoECU OnBeforeWritetoECU;
    TAfterReadFromTable OnAfterReadFromTable;
    TCalcBaseValue OnCalcBaseValue;
    TCalcValueBase OnCalcValueBase;
    TInitialiseObject OnInitialiseObject;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    void selectRow();
    void enterKey();

    UserDialogs &m_dialogs;
    QPointer<RecordTable> m_table;
    QString m_recordType;
    QString m_fieldName;
    bool m_numericOnly = false;
    qint32 m_minValue = 0;
    qint32 m_maxValue = 0;
    bool m_busy = false;
};

} // namespace zel
