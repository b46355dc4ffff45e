#include "dashmanager/ChannelTranslationsPage.h"

#include "dashmanager/TLogSpinEdit.h"
#include "dashmanager/TLogTranslationGrid.h"
#include "dashmanager/UserNumbers.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"
#include "session/NumberText.h"
#include "session/TranslationTableLayout.h"
#include "ui/FileDialogRequest.h"
#include "ui/HandlerGuard.h"
#include "ui/UserDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace zel {

namespace {

constexpr int kNameLength = 31;
constexpr int kUnitLength = 7;
constexpr int kMinPoints = 3;
constexpr int kMaxFilterLevel = 10;
// Raw counts per millivolt of the logger's analogue inputs.
constexpr double kCountsPerMillivolt = 0.2046;
constexpr double kKphPerMetreSecond = 3.6;
constexpr double kMphPerFootSecond = 0.681818;

enum Kind { CalculationKind, TableKind, BinaryBitKind };
enum Operation { NoCalculation, PlusValue, MinusValue, MultipliedByValue, DividedByValue };

const QString kConstantPattern = QStringLiteral("######0.000");
const QString kUnitsPattern = QStringLiteral("##0.000");
const QString kWheelInMetres = QStringLiteral("Wheel diameter in meters");
const QString kWheelInFeet = QStringLiteral("Wheel diameter in feet");

QPushButton *button(const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QButtonGroup *radioGroup(const char *name, const QString &caption, const QStringList &entries,
    QWidget *owner, QLayout *into)
{
    auto *box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    auto *layout = new QVBoxLayout(box);
    auto *group = new QButtonGroup(owner);
    for (int i = 0; i < entries.size(); ++i) {
        auto *radio = new QRadioButton(entries[i]);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    into->addWidget(box);
    return group;
}

/// Checks the entry \a index, or none when the record holds a value the group lacks.
void checkEntry(QButtonGroup &group, int index)
{
    group.setExclusive(false);
    for (QAbstractButton *b : group.buttons())
        b->setChecked(group.id(b) == index);
    group.setExclusive(true);
}

/// A single kept in the calculators' inputs: its own value when finite, else 0.
double finiteOrZero(float value)
{
    return std::isfinite(value) ? double(value) : 0.0;
}

QLineEdit *numberEdit(const char *name, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

ChannelTranslationsPage::ChannelTranslationsPage(TTranslations &translations,
    const TKROSettings &settings, UserDialogs &dialogs, std::function<QString()> dataFolder,
    QWidget *parent)
    : QWidget(parent)
    , m_translations(translations)
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_dataFolder(std::move(dataFolder))
{
    // The window puts the page's title above it.
    auto *outer = new QVBoxLayout(this);
    auto *layout = new QHBoxLayout;
    outer->addLayout(layout, 1);
    m_list = new QTableWidget(0, 3);
    m_list->setObjectName(QStringLiteral("StringGrid1"));
    m_list->setHorizontalHeaderLabels({ QStringLiteral("Channel Name"),
        QStringLiteral("Translation Name"), QStringLiteral("Unit of measure") });
    m_list->verticalHeader()->hide();
    // One line per channel, each column as wide as its longest name.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setWordWrap(false);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    m_list->setMinimumWidth(410);
    layout->addWidget(m_list);

    auto *panel = new QVBoxLayout;
    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("PanelTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    panel->addWidget(m_title);
    auto *choices = new QHBoxLayout;
    m_dataTranslation = radioGroup("RadioGroup4", QStringLiteral("Data Translation"),
        { QStringLiteral("Calculation"), QStringLiteral("Translation Table"),
            QStringLiteral("Binary Bit Position") },
        this, choices);
    m_translationMode = radioGroup("RadioGroup1", QStringLiteral("Translation Mode"),
        { QStringLiteral("Linear"), QStringLiteral("Step") }, this, choices);
    panel->addLayout(choices);
    auto *filter = new QHBoxLayout;
    m_filterLabel = new QLabel(QStringLiteral("Filter Level 0"));
    m_filterLabel->setObjectName(QStringLiteral("FilterLevelLabel"));
    m_filter = new QSlider(Qt::Horizontal);
    m_filter->setObjectName(QStringLiteral("TrackBar1"));
    m_filter->setRange(0, kMaxFilterLevel);
    filter->addWidget(m_filterLabel);
    filter->addWidget(m_filter, 1);
    panel->addLayout(filter);
    m_kindPages = new QTabWidget;
    m_kindPages->setObjectName(QStringLiteral("TranslationPages"));
    m_kindPages->addTab(buildCalculationPage(), QStringLiteral("Calculation"));
    m_kindPages->addTab(buildTablePage(), QStringLiteral("Translation Table"));
    panel->addWidget(m_kindPages, 1);
    layout->addLayout(panel, 1);

    bindTrnTable();
    connectControls();
    m_tablePanel->setEnabled(false);

    // A fresh load holds none of the records the grid was showing.
    connectGuarded(m_dialogs, &m_translations, &TTranslations::OnloadTable, this, [this] {
        m_selected = -1;
        m_tablePanel->setEnabled(false);
        Translations1loadTable();
    });
    // Whatever closes or saves the translations keeps what the user typed into the grid.
    connect(
        &m_translations, &TTranslations::BeforeSaveTable, this, [this] { copyGridIntoRecord(); });
}

void ChannelTranslationsPage::keyPressEvent(QKeyEvent *event)
{
    // Enter finishes an entry of the page; passed on, the window would take it for its
    // default button and close.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget *ChannelTranslationsPage::buildCalculationPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    m_operation = new QComboBox;
    m_operation->setObjectName(QStringLiteral("LogCombo7"));
    m_operation->addItems({ QStringLiteral("No Calculation"), QStringLiteral("Channel plus value"),
        QStringLiteral("Channel minus value"), QStringLiteral("Channel multiplied by value"),
        QStringLiteral("Channel divided by value") });
    m_constant = numberEdit("LOGEdit1", QString());
    form->addRow(QStringLiteral("Operation"), m_operation);
    form->addRow(QStringLiteral("Value"), m_constant);
    layout->addLayout(form);

    auto *speed = new QGroupBox(QStringLiteral("Speed Calculator"));
    auto *speedForm = new QFormLayout(speed);
    m_speedPulses = new QSpinBox;
    m_speedPulses->setObjectName(QStringLiteral("SpeedPulses"));
    m_speedPulses->setRange(1, 9999);
    m_wheelDiameter = new QDoubleSpinBox;
    m_wheelDiameter->setObjectName(QStringLiteral("WheelDiameter"));
    m_wheelDiameter->setRange(0.0, 100.0);
    m_wheelDiameter->setDecimals(3);
    m_ratio = new QDoubleSpinBox;
    m_ratio->setObjectName(QStringLiteral("DifferentialRatio"));
    m_ratio->setRange(0.001, 1000.0);
    m_ratio->setDecimals(3);
    m_wheelLabel = new QLabel(kWheelInMetres);
    m_wheelLabel->setObjectName(QStringLiteral("WheelDiameterLabel"));
    speedForm->addRow(QStringLiteral("How many pulses per revolution"), m_speedPulses);
    speedForm->addRow(m_wheelLabel, m_wheelDiameter);
    speedForm->addRow(QStringLiteral("Differential Ratio"), m_ratio);
    auto *unitRow = new QHBoxLayout;
    m_speedUnit = radioGroup("RadioGroup6", QStringLiteral("Unit of measure"),
        { QStringLiteral("Kilometers per hour"), QStringLiteral("Miles per hour") }, this, unitRow);
    m_speedUnit->button(0)->setChecked(true);
    speedForm->addRow(unitRow);
    auto *speedCalculate = button("Button1", QStringLiteral("Calculate"));
    speedForm->addRow(speedCalculate);
    connectGuarded(
        m_dialogs, speedCalculate, &QPushButton::clicked, this, [this] { Button1Click(); });
    layout->addWidget(speed);

    auto *rpm = new QGroupBox(QStringLiteral("RPM Calculator"));
    auto *rpmForm = new QFormLayout(rpm);
    m_rpmPulses = new QSpinBox;
    m_rpmPulses->setObjectName(QStringLiteral("RPMPulses"));
    m_rpmPulses->setRange(1, 9999);
    rpmForm->addRow(QStringLiteral("How many pulses per revolution"), m_rpmPulses);
    auto *rpmCalculate = button("Button3", QStringLiteral("Calculate"));
    rpmForm->addRow(rpmCalculate);
    connectGuarded(
        m_dialogs, rpmCalculate, &QPushButton::clicked, this, [this] { Button3Click(); });
    layout->addWidget(rpm);
    layout->addStretch();
    return page;
}

QWidget *ChannelTranslationsPage::buildTablePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    m_tablePanel = new QWidget;
    m_tablePanel->setObjectName(QStringLiteral("TablePanel"));
    pageLayout->addWidget(m_tablePanel);
    auto *layout = new QVBoxLayout(m_tablePanel);

    m_grid = new TLogTranslationGrid(m_dialogs);
    m_grid->setObjectName(QStringLiteral("TrnGrid"));
    m_grid->setLOG_MaxColumns(TLogTranslationGrid::kMaxPoints);
    m_grid->setLOG_CellInc(1.0);
    m_grid->setColumnWidth(0, 100);
    m_grid->setCellText(0, 0, QStringLiteral("Digital Values"));
    m_grid->setCellText(0, 1, QStringLiteral("Translation Values"));
    m_grid->setMinimumHeight(90);
    layout->addWidget(m_grid);

    auto *form = new QFormLayout;
    m_minMillivolts = numberEdit("MinMillivolts", QStringLiteral("500"));
    m_maxMillivolts = numberEdit("MaxMillivolts", QStringLiteral("4500"));
    m_minUnits = numberEdit("MinUnits", QStringLiteral("0"));
    m_maxUnits = numberEdit("MaxUnits", QStringLiteral("100"));
    m_points = new TLogSpinEdit(m_dialogs);
    m_points->setObjectName(QStringLiteral("LogSpinEdit1"));
    m_points->setNumericOnly(true);
    m_points->setMinValue(kMinPoints);
    m_points->setMaxValue(TLogTranslationGrid::kMaxPoints);
    m_points->setLog_FieldName(QStringLiteral("ColumnCount"));
    m_points->setText(QStringLiteral("11"));
    form->addRow(QStringLiteral("Min Millivolts"), m_minMillivolts);
    form->addRow(QStringLiteral("Max Millivolts"), m_maxMillivolts);
    form->addRow(QStringLiteral("Min Units"), m_minUnits);
    form->addRow(QStringLiteral("Max Units"), m_maxUnits);
    form->addRow(QStringLiteral("Translation points"), m_points);
    layout->addLayout(form);

    auto *buttons = new QHBoxLayout;
    auto *create = button("Button2", QStringLiteral("Create Table"));
    auto *load = button("Button4", QStringLiteral("Load Translation"));
    auto *save = button("Button5", QStringLiteral("Save Translation"));
    connectGuarded(m_dialogs, create, &QPushButton::clicked, this, [this] { Button2Click(); });
    connectGuarded(m_dialogs, load, &QPushButton::clicked, this, [this] { Button4Click(); });
    connectGuarded(m_dialogs, save, &QPushButton::clicked, this, [this] { Button5Click(); });
    buttons->addWidget(create);
    buttons->addWidget(load);
    buttons->addWidget(save);
    buttons->addStretch();
    layout->addLayout(buttons);
    return page;
}

void ChannelTranslationsPage::connectControls()
{
    connectGuarded(m_dialogs, m_list, &QTableWidget::currentCellChanged, this,
        [this](int row, int, int previousRow, int) {
            if (row != previousRow && row >= 0)
                StringGrid1SelectCell(row + 1);
        });
    connectGuarded(m_dialogs, m_list, &QTableWidget::cellChanged, this,
        [this](int row, int column) { listItemChanged(row, column); });
    connectGuarded(
        m_dialogs, m_list, &QTableWidget::cellClicked, this, [this](int row, int column) {
            if (column == 0)
                fixedCellClicked(row);
        });
    connectGuarded(m_dialogs, m_dataTranslation, &QButtonGroup::idClicked, this, [this](int id) {
        if (TTranslation *record = selectedRecord())
            record->Active = std::uint8_t(id);
        showTranslationKind(id);
    });
    connectGuarded(m_dialogs, m_translationMode, &QButtonGroup::idClicked, this, [this](int id) {
        if (TTranslation *record = selectedRecord())
            record->TranslationMode = std::uint8_t(id);
    });
    connectGuarded(m_dialogs, m_operation, &QComboBox::activated, this, [this](int index) {
        if (TTranslation *record = selectedRecord())
            record->Condition_AB = std::uint8_t(index);
    });
    connectGuarded(m_dialogs, m_constant, &QLineEdit::editingFinished, this, [this] {
        if (TTranslation *record = selectedRecord(); record && !m_showing)
            record->Value_A = float(UserNumbers::parse(m_constant->text()));
    });
    connectGuarded(m_dialogs, m_filter, &QSlider::valueChanged, this, [this](int position) {
        m_filterLabel->setText(QStringLiteral("Filter Level ") + QString::number(position));
        if (TTranslation *record = selectedRecord(); record && !m_showing)
            record->AvgLevel = std::uint8_t(position);
    });
    connectGuarded(m_dialogs, m_speedUnit, &QButtonGroup::idClicked, this,
        [this](int id) { m_wheelLabel->setText(id == 1 ? kWheelInFeet : kWheelInMetres); });
}

void ChannelTranslationsPage::bindTrnTable()
{
    m_grid->setLOG_MemTable(&m_trnTable);
    m_grid->setLOG_RecordType(TranslationTableLayout::kAnalogueInput);
    m_points->setLog_MemTable(&m_trnTable);
    m_points->setLog_RecordType(TranslationTableLayout::kAnalogueInput);
}

TTranslation *ChannelTranslationsPage::selectedRecord()
{
    if (m_selected < 0 || m_selected >= TTranslations::kRecordCount)
        return nullptr;
    return &m_translations.record(m_selected);
}

void ChannelTranslationsPage::fillChannelList()
{
    const QScopedValueRollback showing(m_showing, true);
    m_selected = -1;
    const QStringList &names = m_settings.ChannelNames();
    const int rows = std::min(int(names.size()), TTranslations::kRecordCount);
    const QSignalBlocker blocker(m_list);
    m_list->clearContents();
    m_list->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const TTranslation &record = m_translations.record(i);
        auto *channel = new QTableWidgetItem(names[i]);
        channel->setFlags(Qt::ItemIsEnabled);
        m_list->setItem(i, 0, channel);
        m_list->setItem(i, 1, new QTableWidgetItem(record.Name.toString()));
        m_list->setItem(i, 2, new QTableWidgetItem(record.UOM.toString()));
    }
    m_list->setCurrentCell(-1, -1);
    m_tablePanel->setEnabled(false);
}

void ChannelTranslationsPage::StringGrid1SelectCell(int row)
{
    if (row < 0 || row > m_list->rowCount())
        return;
    // The grid belongs to the record shown so far; it goes there before another is shown.
    copyGridIntoRecord();
    if (row == 0) {
        m_selected = -1;
        m_tablePanel->setEnabled(false);
        return;
    }
    m_selected = row - 1;
    if (m_list->currentRow() != m_selected) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentCell(m_selected, 1);
    }
    m_translations.setItemIndex(m_selected);
    TTranslation &record = m_translations.record(m_selected);
    record.CalcChannel_A = std::uint8_t(m_selected);
    showRecord(record);
}

void ChannelTranslationsPage::selectFirstChannel(bool takeFocus)
{
    StringGrid1SelectCell(1);
    if (takeFocus)
        m_list->setFocus();
}

void ChannelTranslationsPage::showRecord(const TTranslation &record)
{
    const QScopedValueRollback showing(m_showing, true);
    m_title->setText(record.Name.toString());
    checkEntry(*m_dataTranslation, record.Active);
    showTranslationKind(record.Active);
    checkEntry(*m_translationMode, record.TranslationMode);
    m_filter->setValue(std::min<int>(record.AvgLevel, kMaxFilterLevel));
    m_filterLabel->setText(QStringLiteral("Filter Level ") + QString::number(m_filter->value()));
    m_constant->setText(UserNumbers::general(finiteOrZero(record.Value_A)));
    m_operation->setCurrentIndex(
        record.Condition_AB < m_operation->count() ? int(record.Condition_AB) : -1);
    const double pulses = finiteOrZero(record.pulsesPerRevolution());
    for (QSpinBox *input : { m_speedPulses, m_rpmPulses })
        input->setValue(
            int(std::clamp(pulses, double(input->minimum()), double(input->maximum()))));
    m_wheelDiameter->setValue(finiteOrZero(record.wheelDiameter()));
    m_ratio->setValue(finiteOrZero(record.differentialRatio()));
    showTableFromRecord(record);
    m_tablePanel->setEnabled(true);
}

void ChannelTranslationsPage::showTableFromRecord(const TTranslation &record)
{
    const int points = record.pointCount();
    m_points->setText(QString::number(points));
    // A record without points still shows one empty column to type into.
    m_grid->setPointCount(std::max(points, 1));
    m_grid->setCellText(1, 0, QString());
    m_grid->setCellText(1, 1, QString());
    for (int i = 0; i < points; ++i) {
        m_grid->setCellText(i + 1, 0, UserNumbers::general(record.DigitalValue[i]));
        m_grid->setCellText(i + 1, 1, UserNumbers::general(double(record.TranslationValue[i])));
    }
    m_grid->setChanged(false);
}

void ChannelTranslationsPage::showTranslationKind(int active)
{
    // Only the page of the record's kind is offered; a binary bit position needs neither.
    m_kindPages->setTabEnabled(CalculationKind, active == CalculationKind);
    m_kindPages->setTabEnabled(TableKind, active == TableKind);
    if (active == CalculationKind || active == TableKind)
        m_kindPages->setCurrentIndex(active);
}

void ChannelTranslationsPage::copyGridIntoRecord()
{
    TTranslation *record = selectedRecord();
    if (!record)
        return;
    int points = m_grid->pointCount();
    // The empty column shown for a record without points adds none.
    if (points == 1 && m_grid->cellText(1, 0).trimmed().isEmpty()
        && m_grid->cellText(1, 1).trimmed().isEmpty())
        points = 0;
    points = std::min(points, kTranslationPoints);
    for (int i = 0; i < points; ++i) {
        const double raw = numberFromText(m_grid->cellText(i + 1, 0)).value_or(0.0);
        record->DigitalValue[i]
            = std::isnan(raw) ? 0 : std::uint16_t(std::clamp(std::trunc(raw), 0.0, 65535.0));
        record->TranslationValue[i] = m_grid->CellNumberValue(i + 1, 1);
    }
    record->ColumnCount = std::uint8_t(points);
}

void ChannelTranslationsPage::TabSheet2Exit()
{
    copyGridIntoRecord();
    m_translations.SaveTranslationTables();
    Translations1loadTable();
}

void ChannelTranslationsPage::Translations1loadTable()
{
    const int index = m_translations.ItemIndex();
    if (index >= 0 && index < TTranslations::kRecordCount) {
        const int active = m_translations.record(index).Active;
        checkEntry(*m_dataTranslation, active);
        showTranslationKind(active);
    }
    emit translationsLoaded();
}

void ChannelTranslationsPage::listItemChanged(int row, int column)
{
    if (m_showing || row < 0 || row >= TTranslations::kRecordCount)
        return;
    QTableWidgetItem *item = m_list->item(row, column);
    if (!item || column == 0)
        return;
    const int limit = column == 1 ? kNameLength : kUnitLength;
    if (item->text().size() > limit) {
        const QSignalBlocker blocker(m_list);
        item->setText(item->text().left(limit));
    }
    TTranslation &record = m_translations.record(row);
    if (column == 1) {
        record.Name.assign(item->text());
        m_title->setText(record.Name.toString());
    } else {
        record.UOM.assign(item->text());
    }
}

void ChannelTranslationsPage::fixedCellClicked(int row)
{
    QTableWidgetItem *channel = m_list->item(row, 0);
    QTableWidgetItem *name = m_list->item(row, 1);
    if (!channel || !name || !name->text().isEmpty())
        return;
    // Through the cell's change, which stores the name.
    name->setText(channel->text());
}

void ChannelTranslationsPage::Button1Click()
{
    const int pulses = m_speedPulses->value();
    const double diameter = m_wheelDiameter->value();
    const double ratio = m_ratio->value();
    if (pulses <= 0 || ratio <= 0)
        return;
    const double perSecond = (1.0 / pulses) / ratio * (diameter * std::numbers::pi);
    const bool miles = m_speedUnit->checkedId() == 1;
    const double factor = perSecond * (miles ? kMphPerFootSecond : kKphPerMetreSecond);
    m_operation->setCurrentIndex(MultipliedByValue);
    m_constant->setText(UserNumbers::format(factor, kConstantPattern));
    TTranslation *record = selectedRecord();
    if (!record)
        return;
    record->Condition_AB = MultipliedByValue;
    record->setPulsesPerRevolution(float(pulses));
    record->setWheelDiameter(float(diameter));
    record->setDifferentialRatio(float(ratio));
    // The constant as shown, as leaving the edit would store it.
    record->Value_A = float(UserNumbers::parse(m_constant->text()));
}

void ChannelTranslationsPage::Button3Click()
{
    const int pulses = m_rpmPulses->value();
    if (pulses <= 0)
        return;
    const double constant = 60.0 / pulses;
    m_operation->setCurrentIndex(MultipliedByValue);
    m_constant->setText(UserNumbers::format(constant, kConstantPattern));
    TTranslation *record = selectedRecord();
    if (!record)
        return;
    record->Condition_AB = MultipliedByValue;
    record->setPulsesPerRevolution(float(pulses));
    record->Value_A = float(constant);
}

void ChannelTranslationsPage::Button2Click()
{
    const double minMillivolts = UserNumbers::parse(m_minMillivolts->text());
    const double maxMillivolts = UserNumbers::parse(m_maxMillivolts->text());
    double umin = UserNumbers::parse(m_minUnits->text());
    double umax = UserNumbers::parse(m_maxUnits->text());
    // The spin edit's own range holds only for Enter and its buttons.
    const double typed = UserNumbers::parse(m_points->text());
    const int n = std::isnan(typed) ? kMinPoints
                                    : int(std::clamp(std::trunc(typed), double(kMinPoints),
                                        double(TLogTranslationGrid::kMaxPoints)));
    m_points->setText(QString::number(n));

    const auto counts = [](double millivolts) {
        return std::clamp(std::trunc(millivolts * kCountsPerMillivolt), 0.0, 65535.0);
    };
    double dmax = counts(maxMillivolts);
    const double dmin = counts(minMillivolts);
    const double dstep = (dmax - dmin) / (n - 1);
    const double ustep = (umax - umin) / (n - 1);

    TTranslation *record = selectedRecord();
    m_grid->setPointCount(n);
    if (record)
        record->ColumnCount = std::uint8_t(n);
    for (int column = n; column >= 2; --column) {
        const double raw = std::clamp(dmax, 0.0, 65535.0);
        m_grid->setCellText(column, 0, QString::number(qint64(raw)));
        m_grid->setCellText(column, 1, UserNumbers::format(umax, kUnitsPattern));
        if (record) {
            record->DigitalValue[column - 1] = std::uint16_t(raw);
            record->TranslationValue[column - 1] = float(umax);
        }
        // The raw values stay whole numbers.
        dmax = std::trunc(dmax - dstep);
        umax -= ustep;
    }
    m_grid->setCellText(1, 0, QString::number(qint64(dmin)));
    m_grid->setCellText(1, 1, UserNumbers::format(umin, kUnitsPattern));
    if (record) {
        record->DigitalValue[0] = std::uint16_t(dmin);
        record->TranslationValue[0] = float(umin);
    }
}

void ChannelTranslationsPage::Button4Click()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Translations Tables|*.trn");
    request.defaultExtension = QStringLiteral(".TRN");
    request.initialFolder = m_dataFolder();
    request.initialFileName = QStringLiteral("*.Trn");
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path || QFileInfo(*path).suffix().toUpper() != QLatin1String("TRN"))
        return;
    // An unreadable file throws before the grid is touched.
    m_trnTable.close();
    m_trnTable.loadFromFile(*path);
    bindTrnTable();
    if (m_trnTable.isEmpty())
        return;
    m_grid->ReadFromTable();
    if (m_trnTable.findColumn(QStringLiteral("ColumnCount")) >= 0)
        m_points->ReadFromTable();
    else
        m_points->setText(QString::number(m_grid->pointCount()));
}

void ChannelTranslationsPage::Button5Click()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Translation Tables|*.Trn");
    // Without it a typed name would have no extension, and loading takes only ".trn" files.
    request.defaultExtension = QStringLiteral("Trn");
    request.initialFolder = m_dataFolder();
    const std::optional<QString> path = m_dialogs.saveFile(request);
    if (!path)
        return;
    m_trnTable.close();
    m_trnTable.clearColumns();
    TranslationTableLayout::addColumns(m_trnTable);
    m_trnTable.open();
    bindTrnTable();
    m_grid->WriteToTable();
    m_points->WriteToTable();
    m_trnTable.saveToFile(*path);
}

} // namespace zel
