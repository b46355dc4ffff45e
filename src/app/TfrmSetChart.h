#pragma once

#include "app/ChartDisplayOptions.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zel {

class ColourBox;
class UserDialogs;

/// "Set Display Options": the range, colours, grid and divisions of one charted channel and
/// the chart's background, bottom axis and grid colour.
class TfrmSetChart : public QDialog
{
    Q_OBJECT
public:
    /// \a dialogs tells the user when the range entered cannot be used.
    explicit TfrmSetChart(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// Shows \a options for channel \a Name modally. True when the user accepted ("OK" or
    /// "Save Perminatly") with a usable range: \a options then holds the values entered and
    /// \a SaveIt whether to store them. A minimum not below the maximum (or not a number) is
    /// refused with a message and leaves \a options as it was.
    bool ShowForm(ChartDisplayOptions &options, const QString &Name, bool &SaveIt);
    /// Puts \a options for channel \a Name into the controls.
    void setOptions(const ChartDisplayOptions &options, const QString &Name);

    /// "OK", "Cancel", "Save Perminatly".
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

    QLabel *Label3 = nullptr;
    QLineEdit *MinCalc = nullptr;
    QLineEdit *MaxCalc = nullptr;
    ColourBox *ColorBox1 = nullptr;
    ColourBox *ColorBox2 = nullptr;
    QDoubleSpinBox *RxSpinEdit1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    ColourBox *ColorBox3 = nullptr;
    ColourBox *ColorBox4 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn3 = nullptr;
    QPushButton *BitBtn2 = nullptr;

private:
    UserDialogs &m_dialogs;
    bool AcceptResult = false;
    bool SavePerm = false;
};

} // namespace zel
