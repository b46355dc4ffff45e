#include "dashmanager/LogSettingsPage.h"

#include "dashmanager/TLOGEdit.h"
#include "dashmanager/TLogCombo.h"
#include "dashmanager/TZELSpinEdit.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"
#include "ui/HandlerGuard.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace zel {

namespace {

constexpr int kNameLength = 31;
constexpr int kCompareValueMax = 65535;
constexpr int kStartDelayMax = 2000;
constexpr double kStartDelayStep = 10.0;

const QStringList kCompareEntries { QStringLiteral("Greater or Equal"),
    QStringLiteral("Less than") };

// A stored single as the whole number its control shows; a value outside the control's
// range (a damaged file) shows the nearest bound instead of wrapping.
int truncated(float value, int maxValue)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::trunc(double(value)), 0.0, double(maxValue)));
}

// The entry \a index selects, or none when the list has no such entry.
void selectIndex(QButtonGroup *group, int index)
{
    if (QAbstractButton *button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

void storeIndex(int index, std::uint8_t &field)
{
    if (index >= 0)
        field = std::uint8_t(index);
}

} // namespace

LogSettingsPage::LogSettingsPage(TKROSettings &settings, TTranslations &translations,
    UserDialogs &dialogs, QWidget *dashFileNames, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_translations(translations)
    , m_dialogs(dialogs)
{
    // The controls' writes are connected in the context of the settings: the window destroys
    // its settings before its pages, and a focused edit still reports losing the focus then.
    auto *layout = new QVBoxLayout(this);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Log File Name")));
    m_logFileName = new TLOGEdit(m_dialogs);
    m_logFileName->setObjectName(QStringLiteral("LOGEdit1"));
    m_logFileName->setMaxLength(kNameLength);
    connectGuarded(m_dialogs, m_logFileName, &QLineEdit::editingFinished, &m_settings,
        [this] { storeName(); });
    nameRow->addWidget(m_logFileName);
    nameRow->addStretch();
    layout->addLayout(nameRow);
    layout->addWidget(dashFileNames);

    auto *grid = new QGridLayout;
    grid->addWidget(
        choices(m_recordingMode, "LogRecordingMode", QStringLiteral("Log Recording Mode"),
            { QStringLiteral("Separate Log Files"), QStringLiteral("Continuous Log File") },
            &TSettings::ContiguousLogMode),
        0, 0);
    grid->addWidget(
        choices(m_memory, "LogMemory", QStringLiteral("Log Memory"),
            { QStringLiteral("Log to SD Card"), QStringLiteral("Log to internal memory") },
            &TSettings::Logmemory),
        0, 1);
    grid->addWidget(
        choices(m_trackMessages, "TrackMessages", QStringLiteral("Track Messages"),
            { QStringLiteral("De-Activate Messages"), QStringLiteral("Activate Messages") },
            &TSettings::DoTrackMessages),
        1, 0);
    grid->addWidget(choices(m_speedUnits, "GPSUnits", QStringLiteral("GPS units of measure"),
                        { QStringLiteral("KPH and Meters per second"),
                            QStringLiteral("MPH and Feet per second") },
                        &TSettings::SpeedUOM),
        1, 1);
    grid->addWidget(
        choices(m_startStopMode, "LogStartStopMode", QStringLiteral("Log Start/Stop Mode"),
            { QStringLiteral("Use Start / Stop Channels"), QStringLiteral("Use GPS Position"),
                QStringLiteral("Use Digital Input Switch") },
            &TSettings::LogStartMethod),
        2, 0);
    grid->addWidget(startStopBox(), 2, 1);
    layout->addLayout(grid);
    layout->addStretch();
}

QWidget *LogSettingsPage::choices(QButtonGroup *&group, const char *name, const QString &title,
    const QStringList &entries, ByteField field)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(QString::fromLatin1(name));
    auto *column = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < entries.size(); ++i) {
        auto *button = new QRadioButton(entries[i]);
        group->addButton(button, i);
        column->addWidget(button);
    }
    connectGuarded(m_dialogs, group, &QButtonGroup::idClicked, &m_settings,
        [this, field](int id) { storeIndex(id, m_settings.settings().*field); });
    return box;
}

QComboBox *LogSettingsPage::indexList(QComboBox *list, const char *name, ByteField field)
{
    list->setObjectName(QString::fromLatin1(name));
    connectGuarded(m_dialogs, list, &QComboBox::activated, &m_settings,
        [this, field](int index) { storeIndex(index, m_settings.settings().*field); });
    return list;
}

TLOGEdit *LogSettingsPage::compareValue(const char *name, FloatSetter store)
{
    auto *edit = new TLOGEdit(m_dialogs);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setNumericOnly(true);
    edit->setMinValue(0);
    edit->setMaxValue(kCompareValueMax);
    connectGuarded(m_dialogs, edit, &QLineEdit::editingFinished, &m_settings,
        [this, edit, store] { store(m_settings.settings(), float(edit->GetBaseValue())); });
    return edit;
}

TZELSpinEdit *LogSettingsPage::startDelay(const char *name, FloatSetter store)
{
    auto *edit = new TZELSpinEdit(m_dialogs);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setNumericOnly(true);
    edit->setMinValue(0);
    edit->setMaxValue(kStartDelayMax);
    edit->setIncrement(kStartDelayStep);
    edit->OnBeforeWritetoECU
        = [this, edit, store](bool &) { store(m_settings.settings(), float(edit->Value())); };
    return edit;
}

QWidget *LogSettingsPage::startStopBox()
{
    auto *box = new QGroupBox;
    auto *grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Start / Stop Channel")), 0, 0);
    m_startStopChannel = new TLogCombo;
    indexList(m_startStopChannel, "LogCombo1", &TSettings::StartChan);
    grid->addWidget(m_startStopChannel, 0, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Compare")), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Compare Value")), 1, 2);
    m_startCompare = indexList(new QComboBox, "StartCompare", &TSettings::StartMode);
    m_stopCompare = indexList(new QComboBox, "StopCompare", &TSettings::StopMode);
    for (QComboBox *compare : { m_startCompare, m_stopCompare })
        compare->addItems(kCompareEntries);
    m_startValue = compareValue("LOGEdit38", [](TSettings &s, float v) { s.StartValue = v; });
    m_stopValue = compareValue("LOGEdit39", [](TSettings &s, float v) { s.StopValue = v; });
    grid->addWidget(new QLabel(QStringLiteral("Start")), 2, 0);
    grid->addWidget(m_startCompare, 2, 1);
    grid->addWidget(m_startValue, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Stop")), 3, 0);
    grid->addWidget(m_stopCompare, 3, 1);
    grid->addWidget(m_stopValue, 3, 2);

    // The logger keeps its start and stop delays, but the page does not offer them.
    auto *delayLabel = new QLabel(QStringLiteral("Start Delay MS"));
    m_startDelay = startDelay("StartDelay", [](TSettings &s, float v) { s.Start = v; });
    m_stopDelay = startDelay("StopDelay", [](TSettings &s, float v) { s.Stop = v; });
    grid->addWidget(delayLabel, 4, 0);
    grid->addWidget(m_startDelay, 4, 1);
    grid->addWidget(m_stopDelay, 4, 2);
    for (QWidget *hidden :
        std::initializer_list<QWidget *> { delayLabel, m_startDelay, m_stopDelay })
        hidden->setVisible(false);
    return box;
}

void LogSettingsPage::keyPressEvent(QKeyEvent *event)
{
    // Enter confirms a field here; passed on, it would press the window's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LogSettingsPage::storeName()
{
    // A blank name would leave the logger without a name for its log files.
    const QString name = m_logFileName->text().trimmed().isEmpty() ? QStringLiteral("Datalog")
                                                                   : m_logFileName->text();
    m_settings.settings().Name.assign(name.left(kNameLength));
}

void LogSettingsPage::showSettings()
{
    const TSettings &settings = m_settings.settings();
    QStringList channels;
    const int count = std::clamp(LoggerChannelCount(), 0, int(TTranslations::kRecordCount));
    for (int i = 0; i < count; ++i)
        channels << m_translations.record(i).Name.toString();
    m_startStopChannel->clear();
    m_startStopChannel->addItems(channels);

    m_logFileName->setText(settings.Name.toString());
    selectIndex(m_recordingMode, settings.ContiguousLogMode);
    selectIndex(m_memory, settings.Logmemory);
    selectIndex(m_trackMessages, settings.DoTrackMessages);
    selectIndex(m_speedUnits, settings.SpeedUOM);
    selectIndex(m_startStopMode, settings.LogStartMethod);
    // An index the list does not have selects nothing (-1).
    const auto show = [](QComboBox *list, int index) {
        list->setCurrentIndex(index < list->count() ? index : -1);
    };
    show(m_startStopChannel, settings.StartChan);
    show(m_startCompare, settings.StartMode);
    show(m_stopCompare, settings.StopMode);
    m_startValue->SetBaseValue(quint16(truncated(settings.StartValue, kCompareValueMax)));
    m_stopValue->SetBaseValue(quint16(truncated(settings.StopValue, kCompareValueMax)));
    m_startDelay->setValue(truncated(settings.Start, kStartDelayMax));
    m_stopDelay->setValue(truncated(settings.Stop, kStartDelayMax));
}

void LogSettingsPage::clear()
{
    m_logFileName->clear();
    for (QButtonGroup *group :
        { m_recordingMode, m_memory, m_trackMessages, m_speedUnits, m_startStopMode })
        selectIndex(group, -1);
    m_startStopChannel->clear();
    m_startCompare->setCurrentIndex(-1);
    m_stopCompare->setCurrentIndex(-1);
    for (TLOGEdit *edit : { m_startValue, m_stopValue })
        edit->clear();
    for (TZELSpinEdit *edit : { m_startDelay, m_stopDelay })
        edit->setText(QString());
}

void LogSettingsPage::storeSettings()
{
    TSettings &settings = m_settings.settings();
    storeIndex(m_speedUnits->checkedId(), settings.SpeedUOM);
    storeIndex(m_memory->checkedId(), settings.Logmemory);
    storeIndex(m_recordingMode->checkedId(), settings.ContiguousLogMode);
    storeIndex(m_trackMessages->checkedId(), settings.DoTrackMessages);
    storeName();
    storeIndex(m_startStopMode->checkedId(), settings.LogStartMethod);
    storeIndex(m_startStopChannel->currentIndex(), settings.StartChan);
    storeIndex(m_startCompare->currentIndex(), settings.StartMode);
    storeIndex(m_stopCompare->currentIndex(), settings.StopMode);
    settings.StartValue = float(m_startValue->GetBaseValue());
    settings.StopValue = float(m_stopValue->GetBaseValue());
}

} // namespace zel
