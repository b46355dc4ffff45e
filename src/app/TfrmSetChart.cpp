#include "app/TfrmSetChart.h"

#include "ui/ColourBox.h"
#include "ui/UserDialogs.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

namespace zel {

namespace {

const QSize kDesignSize(456, 232);

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *numberEdit(const char *name)
{
    auto *edit = named(new QLineEdit, name);
    auto *validator = new QDoubleValidator(edit);
    validator->setNotation(QDoubleValidator::ScientificNotation);
    edit->setValidator(validator);
    return edit;
}

// The edit's number; NaN when its text is none.
double numberOf(const QLineEdit &edit)
{
    bool ok = false;
    const double value = edit.locale().toDouble(edit.text().trimmed(), &ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

QString numberText(const QLineEdit &edit, double value)
{
    QLocale locale = edit.locale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 12);
}

} // namespace

TfrmSetChart::TfrmSetChart(UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmSetChart"));
    setWindowTitle(QStringLiteral("Set Display Options"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    Label3 = named(new QLabel, "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    QFont title = Label3->font();
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.5);
    else
        title.setPixelSize(title.pixelSize() * 3 / 2);
    title.setBold(true);
    Label3->setFont(title);

    MinCalc = numberEdit("MinCalc");
    MaxCalc = numberEdit("MaxCalc");
    ColorBox1 = named(new ColourBox, "ColorBox1");
    ColorBox2 = named(new ColourBox, "ColorBox2");
    RxSpinEdit1 = named(new QDoubleSpinBox, "RxSpinEdit1");
    RxSpinEdit1->setRange(0.0, kMaxGridDivisions);
    RxSpinEdit1->setDecimals(2);
    CheckBox2 = named(new QCheckBox(QStringLiteral("Horizontal Grid")), "CheckBox2");
    ColorBox3 = named(new ColourBox, "ColorBox3");
    ColorBox4 = named(new ColourBox, "ColorBox4");
    CheckBox1 = named(new QCheckBox(QStringLiteral("Vertical Grid")), "CheckBox1");
    BitBtn1 = named(new QPushButton(QStringLiteral("OK")), "BitBtn1");
    BitBtn3 = named(new QPushButton(QStringLiteral("Save Perminatly")), "BitBtn3");
    BitBtn2 = named(new QPushButton(QStringLiteral("Cancel")), "BitBtn2");
    BitBtn1->setDefault(true);

    auto *axis = new QGroupBox(QStringLiteral("Axis (Channel) settings"));
    auto *axisLayout = new QGridLayout(axis);
    const auto row = [](QGridLayout *layout, const QString &label, QWidget *editor) {
        const int r = layout->rowCount();
        layout->addWidget(new QLabel(label), r, 0);
        layout->addWidget(editor, r, 1);
    };
    row(axisLayout, QStringLiteral("Minimum Value"), MinCalc);
    row(axisLayout, QStringLiteral("Maximum Value"), MaxCalc);
    row(axisLayout, QStringLiteral("Plot Color"), ColorBox1);
    row(axisLayout, QStringLiteral("Axis Lable Color"), ColorBox2);
    row(axisLayout, QStringLiteral("Grid Increment"), RxSpinEdit1);
    axisLayout->addWidget(CheckBox2, axisLayout->rowCount(), 0, 1, 2);

    auto *chart = new QGroupBox(QStringLiteral("Chart settings"));
    auto *chartLayout = new QGridLayout(chart);
    row(chartLayout, QStringLiteral("Background Color"), ColorBox3);
    row(chartLayout, QStringLiteral("Grid Color"), ColorBox4);
    chartLayout->addWidget(CheckBox1, chartLayout->rowCount(), 0, 1, 2);
    chartLayout->setRowStretch(chartLayout->rowCount(), 1);

    auto *groups = new QHBoxLayout;
    groups->addWidget(axis);
    groups->addWidget(chart);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    // Fixed at its design size, or larger where the fonts need it.
    setFixedSize(layout->totalSizeHint().expandedTo(kDesignSize));

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmSetChart::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmSetChart::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TfrmSetChart::BitBtn3Click);
}

void TfrmSetChart::BitBtn1Click()
{
    AcceptResult = true;
    accept();
}

void TfrmSetChart::BitBtn2Click()
{
    AcceptResult = false;
    reject();
}

void TfrmSetChart::BitBtn3Click()
{
    AcceptResult = true;
    SavePerm = true;
    accept();
}

void TfrmSetChart::setOptions(const ChartDisplayOptions &options, const QString &Name)
{
    Label3->setText(Name);
    MinCalc->setText(numberText(*MinCalc, options.minimum));
    MaxCalc->setText(numberText(*MaxCalc, options.maximum));
    ColorBox1->setColour(options.colour);
    ColorBox2->setColour(options.axisColour);
    RxSpinEdit1->setValue(clampedDivisions(options.divisions));
    CheckBox2->setChecked(options.bottomAxisShown);
    ColorBox3->setColour(options.backColour);
    ColorBox4->setColour(options.gridColour);
    CheckBox1->setChecked(options.axisGrid);
}

bool TfrmSetChart::ShowForm(ChartDisplayOptions &options, const QString &Name, bool &SaveIt)
{
    setOptions(options, Name);
    AcceptResult = false;
    SavePerm = false;
    exec();

    // Only an accepted range is checked: "Cancel" changes nothing, so it has nothing to refuse.
    if (!AcceptResult)
        return false;
    const double minimum = numberOf(*MinCalc);
    const double maximum = numberOf(*MaxCalc);
    if (!isUsableAxisRange(minimum, maximum)) {
        m_dialogs.information(QStringLiteral("Minimum must be less than Maximum"));
        return false;
    }
    options.minimum = minimum;
    options.maximum = maximum;
    options.colour = ColorBox1->colour();
    options.axisColour = ColorBox2->colour();
    options.divisions = clampedDivisions(RxSpinEdit1->value());
    options.bottomAxisShown = CheckBox2->isChecked();
    options.backColour = ColorBox3->colour();
    options.gridColour = ColorBox4->colour();
    options.axisGrid = CheckBox1->isChecked();
    SaveIt = SavePerm;
    return true;
}

} // namespace zel
