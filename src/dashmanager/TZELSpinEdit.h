#pragma once

#include <QAbstractSpinBox>
#include <QString>
#include <functional>

namespace zel {

class UserDialogs;

/// A spin edit with a floating value. Enter keeps the value at or above MinValue and at or
/// below MaxValue (a bound of 0 is not applied) and asks OnBeforeWritetoECU, which may
/// refuse the value: the Enter key then goes no further. The buttons step by Increment,
/// do nothing while the text is empty, and stay inside the range when both bounds are set.
/// With NumericOnly, typing is limited to digits, "-" and the decimal separators. Errors of
/// the key and button handling are shown through the dialog service.
class TZELSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    using TBeforeWritetoECU = std::function<void(bool &Accept)>;
    using TInitialiseObject = std::function<void()>;

    explicit TZELSpinEdit(UserDialogs &dialogs, QWidget *parent = nullptr);

    qint32 MinValue() const { return m_minValue; }
    void setMinValue(qint32 value) { m_minValue = value; }
    qint32 MaxValue() const { return m_maxValue; }
    void setMaxValue(qint32 value) { m_maxValue = value; }
    bool NumericOnly() const { return m_numericOnly; }
    void setNumericOnly(bool on) { m_numericOnly = on; }
    /// Step of the buttons and the up and down keys (1 unless set).
    double Increment() const { return m_increment; }
    void setIncrement(double step) { m_increment = step; }

    /// Shows \a text as it stands.
    void setText(const QString &text);

    /// The text as a number in the user's format; throws zel::Error when it is none.
    double Value() const;
    /// Shows \a value in the general format.
    void setValue(double value);

    /// Fires OnInitialiseObject.
    void InitialiseObject();

    void stepBy(int steps) override;

    TBeforeWritetoECU OnBeforeWritetoECU;
    TInitialiseObject OnInitialiseObject;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    bool enterKey();

    UserDialogs &m_dialogs;
    qint32 m_minValue = 0;
    qint32 m_maxValue = 0;
    bool m_numericOnly = false;
    double m_increment = 1.0;
    bool m_busy = false;
};

} // namespace zel
