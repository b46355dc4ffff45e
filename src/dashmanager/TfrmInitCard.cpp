#include "dashmanager/TfrmInitCard.h"

#include "card/CardFileCopy.h"
#include "card/CardLogs.h"
#include "card/CardPaths.h"
#include "card/DashModels.h"
#include "common/Error.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/TKROSettings.h"
#include "ui/BusyCursor.h"
#include "ui/HandlerGuard.h"
#include "ui/UserDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel {

namespace {

// The dash models a card can be initialised for here; the last model of the configuration
// window's list has no entry of its own in this window.
constexpr int kOfferedDashModels = 4;

constexpr int kProgressSteps = 12;

void makeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("The folder \"%1\" could not be created.")
                            .arg(QDir::toNativeSeparators(folder)));
}

} // namespace

TfrmInitCard::TfrmInitCard(QWidget *parent)
    : QDialog(parent)
    , m_ecu(new QComboBox(this))
    , m_dash(new QComboBox(this))
    , m_initialise(new QPushButton(QStringLiteral("Initialise Card"), this))
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmInitCard"));
    setWindowTitle(QStringLiteral("SD Card Initialisation"));
    setModal(true);

    m_ecu->setObjectName(QStringLiteral("ComboBox1"));
    m_ecu->addItems(ecuEntries());
    m_ecu->setPlaceholderText(QStringLiteral("Select ECU"));
    m_ecu->setCurrentIndex(-1);
    m_dash->setObjectName(QStringLiteral("ComboBox2"));
    m_dash->addItems(dashModelEntries().mid(0, kOfferedDashModels));
    m_dash->setPlaceholderText(QStringLiteral("Select Dash Model"));
    m_dash->setCurrentIndex(-1);
    m_initialise->setObjectName(QStringLiteral("Button1"));
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, kProgressSteps);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    // Only the user's picks run the change handler, not the handler's own reset of a list.
    connect(m_ecu, &QComboBox::activated, this, [this] { guarded(config().dialogs(), [this] { ComboBox2Change(); }); });
    connect(m_dash, &QComboBox::activated, this, [this] { guarded(config().dialogs(), [this] { ComboBox2Change(); }); });
    connect(m_initialise, &QPushButton::clicked, this, [this] { guarded(config().dialogs(), [this] { Button1Click(); }); });

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Select ECU"), m_ecu);
    form->addRow(QStringLiteral("Select Dash Model"), m_dash);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_initialise);
    layout->addWidget(m_progress);
    setMinimumWidth(360);
}

void TfrmInitCard::run(TfrmLoggerConfig &config)
{
    m_config = &config;
    m_progress->setValue(0);
    exec();
    m_config = nullptr;
}

TfrmLoggerConfig &TfrmInitCard::config() const
{
    Q_ASSERT(m_config);
    return *m_config;
}

int TfrmInitCard::dashChoice() const
{
    return m_dash->currentIndex();
}

int TfrmInitCard::ecuChoice() const
{
    return m_ecu->currentIndex();
}

void TfrmInitCard::ComboBox2Change()
{
    if (!isRefusedCombination(dashChoice(), ecuChoice()))
        return;
    config().dialogs().information(QStringLiteral("Can not select a Street Dash without an ECU"));
    // Back to no choice: the list's first entry is the street dash itself.
    m_dash->setCurrentIndex(-1);
}

void TfrmInitCard::Button1Click()
{
    UserDialogs &dialogs = config().dialogs();
    if (dashChoice() < 0 || ecuChoice() < 0) {
        dialogs.information(QStringLiteral("You must select an ECU model and dash model"));
        return;
    }
    const QString root = config().CardDrive();
    if (root.isEmpty()) {
        dialogs.information(QStringLiteral("Select the SD card to initialise first."));
        return;
    }
    if (!confirmOverwrite(root))
        return;
    initialise(root);
}

// Asks before settings or raw logs that are on the card go.
bool TfrmInitCard::confirmOverwrite(const QString &root)
{
    UserDialogs &dialogs = config().dialogs();
    const CardPaths card(root);
    if (QFileInfo(card.dataFolder()).isDir()
        && !dialogs.question(
            QStringLiteral("THIS WILL REMOVE ANY PREVIOUS SETTINGS. DO YOU WHISH TO CONTINUE?")))
        return false;
    return !holdsRawLogs(card)
        || dialogs.question(
            QStringLiteral("THIS WILL REMOVE ALL LOG FILES FROM SD CARD. DO YOU WHISH TO CONTINUE?"));
}

void TfrmInitCard::initialise(const QString &root)
{
    struct ProgressReset
    {
        QProgressBar *bar;
        ~ProgressReset() { bar->setValue(0); }
    } reset { m_progress };
    BusyCursor busy;
    m_progress->setValue(1);
    TKROSettings &settings = config().KROSettings();
    if (config().CardSettingsLoaded())
        settings.SaveSettingsTable();

    const CardPaths card(root);
    makeFolder(card.dataFolder());
    makeFolder(card.logsFolder());
    const QString templates = templateFolder(config().programFolder(), dashChoice(), ecuChoice());
    m_progress->setValue(3);
    config().closeCardTables();

    CopyReport report;
    int step = 4;
    for (const QString &name : initialisationFileNames()) {
        report.add(copyCardFile(templates, card.dataFolder(), name));
        m_progress->setValue(step++);
    }
    if (!report.copied(QStringLiteral("Settings.prm"))) {
        config().SelectionDriveListChange();
        config().dialogs().error(
            QStringLiteral("The card was not initialised.\n%1").arg(report.summary()));
        return;
    }

    // The chosen model and ECU reach the card's settings only now, after the user confirmed.
    config().SelectionDriveListChange();
    const CardCodes codes = cardCodes(dashChoice(), ecuChoice());
    settings.SetChannels(codes.model, codes.feature, codes.ecuMake, codes.ecuModel, codes.ecuFeature);
    settings.settings().ModelIndex = codes.modelIndex;
    settings.settings().ECUIndex = codes.ecuIndex;
    settings.SaveSettingsTable();
    m_progress->setValue(11);
    config().SelectionDriveListChange();
    m_progress->setValue(kProgressSteps);
    config().ClearLogs1Click(false);
    accept();
    if (!report.complete())
        config().dialogs().warning(report.summary());
}

} // namespace zel
