#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>

namespace zel {

class UserDialogs;

/// A single-line edit for one logger setting: the window reads and writes it as a 16-bit
/// base value or a number, and hooks convert between the stored value and the text shown.
/// With NumericOnly, typing is limited to digits, "-" and ".", an emptied text shows
/// MinValue and, when a range is set, the text is kept inside it as it changes and again
/// when Enter accepts it. Errors of the change handling (a text such as "." that is no
/// number) are shown through the dialog service and leave the text as typed.
class TLOGEdit : public QLineEdit
{
    Q_OBJECT
public:
    /// Fired when Enter accepts the value.
    using TBeforeWriteField = std::function<void()>;
    /// Fired after SetBaseValue with the value set.
    using TAfterReadField = std::function<void(qint32 Datavalue)>;
    /// Turns a base value into the text to show.
    using TCalcBaseValue = std::function<void(quint16 Basevalue, QString &CalcValue)>;
    /// Turns the text shown into a base value.
    using TCalcValueBase = std::function<void(quint16 &Basevalue, const QString &CalcValue)>;

    explicit TLOGEdit(UserDialogs &dialogs, QWidget *parent = nullptr);

    bool NumericOnly() const { return m_numericOnly; }
    void setNumericOnly(bool on) { m_numericOnly = on; }
    /// The range; when both bounds are 0 there is none.
    qint32 MinValue() const { return m_minValue; }
    void setMinValue(qint32 value) { m_minValue = value; }
    qint32 MaxValue() const { return m_maxValue; }
    void setMaxValue(qint32 value) { m_maxValue = value; }

    /// The text as a 16-bit value: through OnCalcValueBase when assigned, else the number's
    /// whole part kept to its low 16 bits (-2.5 gives 65534, 70000 gives 4464). A text that
    /// does not convert gives 0; an empty numeric text becomes "0" first.
    quint16 GetBaseValue();
    /// Shows \a DataValue (through OnCalcBaseValue when assigned), then fires OnAfterReadField.
    void SetBaseValue(quint16 DataValue);
    /// The text as a number; 0 unless NumericOnly. An empty text becomes "0" first; a text
    /// that is no number throws zel::Error.
    double GetNumericValue();
    /// Shows \a Value in the general format with NumericOnly; empties the text otherwise.
    void SetNumericValue(double Value);

    TBeforeWriteField OnBeforeWriteField;
    TAfterReadField OnAfterReadField;
    TCalcBaseValue OnCalcBaseValue;
    TCalcValueBase OnCalcValueBase;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void textChange();
    void clampToRange(const QString &pattern);

    UserDialogs &m_dialogs;
    bool m_numericOnly = false;
    qint32 m_minValue = 0;
    qint32 m_maxValue = 0;
    bool m_adjusting = false;
};

} // namespace zel
