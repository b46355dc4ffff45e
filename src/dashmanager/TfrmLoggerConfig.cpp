#include "dashmanager/TfrmLoggerConfig.h"

#include "card/CardDrives.h"
#include "card/CardIDRegister.h"
#include "card/CardImportSource.h"
#include "card/CardLogs.h"
#include "card/CardPaths.h"
#include "card/ImportDestination.h"
#include "card/ProgramPaths.h"
#include "common/FolderName.h"
#include "card/DashModels.h"
#include "dashmanager/CardSettingsBackup.h"
#include "dashmanager/ChannelTranslationsPage.h"
#include "dashmanager/MathsEditor.h"
#include "dashmanager/DashEmulator.h"
#include "dashmanager/DashFileInstaller.h"
#include "dashmanager/DashFileNames.h"
#include "dashmanager/LogChannelsPage.h"
#include "dashmanager/LogFileEditor.h"
#include "dashmanager/LogSettingsPage.h"
#include "dashmanager/WindowImportObserver.h"
#include "logger/TMathsChannels.h"
#include "session/LogImport.h"
#include "session/ProgramDataFolder.h"
#include "session/TKRO_Data.h"
#include "ui/BusyCursor.h"
#include "ui/HandlerGuard.h"
#include "ui/MenuItems.h"
#include "ui/LimitedTextEdit.h"
#include "ui/ProgressBarBinding.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zel {

namespace {

const QStringList kECUModels { QStringLiteral("Select ECU"), QStringLiteral("No ECU Connected"),
    QStringLiteral("ZEL Motorsport ECUs"), QStringLiteral("ZEL Corvid 4"),
    QStringLiteral("MoTec M800"), QStringLiteral("ZEL VT4A"), QStringLiteral("ZEL VT4B") };
const QStringList kDashModels { QStringLiteral("Select logger"), QStringLiteral("ZEL KRO-7 Street"),
    QStringLiteral("ZEL KRO-7 Pro Street"), QStringLiteral("ZEL KRO-7 Pro Drag"),
    QStringLiteral("ZEL KRO-7 Pro Circuit"), QStringLiteral("ZEL KRO-7 Hot Rod") };

struct PageInfo
{
    const char *objectName;
    const char *title;
    const char *node; // the navigation tree's caption
};

const PageInfo kPages[TfrmLoggerConfig::PageCount] = {
    { "SDCard", "SD Card", "SD Card" },
    { "LogSettings", "Log Settings", "Log settings" },
    { "ChannelTranslations", "Channel Translations", "Channel Translations" },
    { "LogChannels", "Log Channels", "Channel Selections" },
    { "Logs", "Logs", "Up-Load logs" },
    { "LogFileEditor", "Log File Editor", "Log File Editor" },
};

// The entries a card with settings enables and the no-card state disables ("Open Imported
// Log" stays enabled in both).
const char *const kCardEntries[] = { "SaveSettings1", "ClearLogs1", "LoadnewfirmwaretoCard1",
    "SelectDataLog1", "QuickImport1", "SaveImportedLog1", "LoadPracticeRun1", "LoadMessageFile1" };

constexpr int kCardIDLength = 20;
constexpr int kVehicleLength = 47;
constexpr int kNotesLength = 254;

// Any case of ".dsh": the card's file system ignores case, a copy on disk may not.
const QString kRawLogFilter = QStringLiteral("KRO 7 Log Files|*.[Dd][Ss][Hh]");

// The name a raw log's session log is proposed under: up to the first ".".
QString sessionStem(const QString &rawLogName)
{
    return rawLogName.section(u'.', 0, 0);
}

} // namespace

TfrmLoggerConfig::TfrmLoggerConfig(TKRO_Data &data, UserDialogs &dialogs, CardDrives &drives,
    const QString &programFolder, LogFileOpener openLogFile, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
    , m_dialogs(dialogs)
    , m_drives(drives)
    , m_programFolder(programFolder)
    , m_openLogFile(std::move(openLogFile))
{
    setObjectName(QStringLiteral("frmLoggerConfig"));
    setWindowTitle(QStringLiteral("Logger Configuration"));
    m_settings.setTranslation(&m_translations);
    m_translations.setSettings(&m_settings);
    connectGuarded(m_dialogs, &m_settings, &TKROSettings::OnloadTable, this,
        [this] { KROSettingsloadTable(); });
    connect(&m_settings, &TKROSettings::BeforeSaveTable, this,
        &TfrmLoggerConfig::KROSettingsBeforeSaveTable);

    m_dashFiles = new DashFileInstaller(
        m_dialogs, m_settings, [this] { return m_cardDrive; },
        [this] { return ProgramPaths(m_programFolder, m_programDataFolder); }, this);
    m_dashEmulator = new DashEmulator(
        emulatorLaunch(ProgramPaths(m_programFolder, QString()).emulator(),
            QStandardPaths::findExecutable(QStringLiteral("wine"))),
        3000, this);
    connect(m_dashEmulator, &DashEmulator::failedToStart, this,
        [this] { m_dialogs.error(QStringLiteral("Unable to run ") + m_dashEmulator->emulator()); });
    connect(m_dashEmulator, &DashEmulator::ended, this, [this] { emulatorEnded(); });
    m_logFileEditor = new LogFileEditor(m_dialogs);
    connect(m_logFileEditor, &LogFileEditor::logOpened, this, [this] {
        m_pages->widget(LogFileEditorPage)->setEnabled(true);
        showPage(LogFileEditorPage);
    });

    buildLayout();
    buildMenus();
    // The data module's folder once it has started, so that both agree on the fallback.
    m_programDataFolder = m_data.ProgramDataFolder().isEmpty() ? programDataFolder(m_programFolder)
                                                               : m_data.ProgramDataFolder();
    QDir().mkpath(m_programDataFolder);
    guarded(m_dialogs, [this] { m_mathsEditor->loadRepository(); });
    m_logFileEditor->setOpenFolder(m_programDataFolder);

    connectGuarded(m_dialogs, &m_drives, &CardDrives::arrived, this,
        [this] { WMDeviceChange(DeviceChange::Arrival); });
    connectGuarded(m_dialogs, &m_drives, &CardDrives::removed, this,
        [this] { WMDeviceChange(DeviceChange::Removal); });
    finddrives();
    showNoCard();
}

TfrmLoggerConfig::~TfrmLoggerConfig()
{
    if (!m_closing)
        FormClose();
}

void TfrmLoggerConfig::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildHeader());

    auto *middle = new QHBoxLayout;
    m_pageTree = new QTreeWidget;
    m_pageTree->setObjectName(QStringLiteral("PageTree"));
    m_pageTree->setHeaderHidden(true);
    m_pageTree->setRootIsDecorated(false);
    m_pageTree->setFixedWidth(170);
    m_pages = new QStackedWidget;
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_translationsPage = new zel::ChannelTranslationsPage(
        m_translations, m_settings, m_dialogs, [this] { return m_programDataFolder; });
    for (int i = 0; i < PageCount; ++i) {
        new QTreeWidgetItem(m_pageTree, { QString::fromLatin1(kPages[i].node) });
        QWidget *page = i == SDCardPage    ? buildSDCardPage()
            : i == LogsPage                ? buildLogsPage()
            : i == LogFileEditorPage       ? m_logFileEditor
            : i == ChannelTranslationsPage ? m_translationsPage
            : i == LogSettingsPage         ? buildLogSettingsPage()
            : i == LogChannelsPage         ? buildLogChannelsPage()
                                           : new QWidget;
        page->setObjectName(QString::fromLatin1(kPages[i].objectName));
        page->setWindowTitle(QString::fromLatin1(kPages[i].title));
        if (!page->layout()) {
            auto *pageLayout = new QVBoxLayout(page);
            pageLayout->addStretch();
        }
        auto *title = new QLabel(QString::fromLatin1(kPages[i].title));
        QFont bold = title->font();
        bold.setBold(true);
        bold.setPointSizeF(bold.pointSizeF() * 1.2);
        title->setFont(bold);
        static_cast<QBoxLayout *>(page->layout())->insertWidget(0, title);
        m_pages->addWidget(page);
    }
    connect(m_pageTree, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem *item, QTreeWidgetItem *previous) {
            if (previous && m_pageTree->indexOfTopLevelItem(previous) == ChannelTranslationsPage)
                guarded(m_dialogs, [this] { m_translationsPage->TabSheet2Exit(); });
            if (item)
                m_pages->setCurrentIndex(m_pageTree->indexOfTopLevelItem(item));
        });
    m_pageTree->setCurrentItem(m_pageTree->topLevelItem(SDCardPage));
    middle->addWidget(m_pageTree);
    // The pages scroll rather than push the window past a laptop's screen: the channel boxes
    // and the translation grid want more height than one has, and a page's lists widen
    // only once the card fills them.
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("PagesScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_pages);
    middle->addWidget(scroll, 1);
    layout->addLayout(middle, 1);

    auto *bottom = new QHBoxLayout;
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    bindProgressBar(*m_progressBar, m_progress);
    bottom->addWidget(m_progressBar, 1);
    bottom->addWidget(m_status);
    layout->addLayout(bottom);
    QSize size(1100, 820);
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
}

QWidget *TfrmLoggerConfig::buildHeader()
{
    auto *header = new QWidget;
    auto *grid = new QGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);

    m_driveBox = new QComboBox;
    m_driveBox->setObjectName(QStringLiteral("SelectionDriveList"));
    m_driveBox->setMinimumWidth(260);
    m_driveList = std::make_unique<CardDriveList>(*m_driveBox);
    connect(m_driveBox, &QComboBox::currentIndexChanged, this,
        [this] { guarded(m_dialogs, [this] { SelectionDriveListChoose(); }); });

    const auto readOnlyList = [](const char *name, const QStringList &entries) {
        auto *list = new QComboBox;
        list->setObjectName(QString::fromLatin1(name));
        list->addItems(entries);
        // Shows the card's settings, which the user never changes here; left enabled so
        // that the entry stays readable.
        list->setFocusPolicy(Qt::NoFocus);
        list->setAttribute(Qt::WA_TransparentForMouseEvents);
        return list;
    };
    m_ecuList = readOnlyList("ECUModelList", kECUModels);
    m_modelList = readOnlyList("DashModelList", kDashModels);

    m_cardIdentifier = new QLabel(QStringLiteral("SD Card Identifier: "));
    m_cardIdentifier->setObjectName(QStringLiteral("CardIdentifier"));

    const auto button = [](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    auto *close = button("BitBtn1", QStringLiteral("Close"));
    m_saveToCard = button("SaveToSDCard", QStringLiteral("Save to SD Card"));
    m_emulator = button("BitBtn24", QStringLiteral("Race Dash Emulator"));
    onClicked(close, [this] { BitBtn1Click(); });
    onClicked(m_saveToCard, [this] { SaveSettings1Click(); });
    onClicked(m_emulator, [this] { BitBtn24Click(); });

    grid->addWidget(new QLabel(QStringLiteral("Select SD Card")), 0, 0);
    grid->addWidget(m_driveBox, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("ECU Model")), 0, 1);
    grid->addWidget(m_ecuList, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Race Dash Model")), 0, 2);
    grid->addWidget(m_modelList, 1, 2);
    grid->addWidget(m_cardIdentifier, 2, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(close);
    buttons->addWidget(m_saveToCard);
    buttons->addWidget(m_emulator);
    grid->addLayout(buttons, 1, 3);
    grid->setColumnStretch(3, 1);
    return header;
}

QWidget *TfrmLoggerConfig::buildSDCardPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    m_cardID = new QLineEdit;
    m_cardID->setObjectName(QStringLiteral("CardIDEdit"));
    m_cardID->setMaxLength(kCardIDLength);
    m_vehicle = new QLineEdit;
    m_vehicle->setObjectName(QStringLiteral("VehicleEdit"));
    m_vehicle->setMaxLength(kVehicleLength);
    m_notes = new LimitedTextEdit(kNotesLength);
    m_notes->setObjectName(QStringLiteral("NotesMemo"));
    m_extraNotes = new LimitedTextEdit(kNotesLength);
    m_extraNotes->setObjectName(QStringLiteral("ExtraNotesMemo"));
    form->addRow(QStringLiteral("SD Card ID"), m_cardID);
    form->addRow(QStringLiteral("Vehicle"), m_vehicle);
    form->addRow(QStringLiteral("Notes"), m_notes);
    form->addRow(QStringLiteral("Extra Notes"), m_extraNotes);
    layout->addLayout(form);

    auto *buttons = new QHBoxLayout;
    const auto addButton = [buttons](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    onClicked(addButton("BitBtn12", QStringLiteral("Backup Settings")), [this] { BitBtn12Click(); });
    onClicked(addButton("BitBtn13", QStringLiteral("Restore Backup")), [this] { BitBtn13Click(); });
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

QWidget *TfrmLoggerConfig::buildLogSettingsPage()
{
    m_dashFileNames = new DashFileNames(m_settings, *m_dashFiles, m_dialogs);
    m_logSettingsPage
        = new zel::LogSettingsPage(m_settings, m_translations, m_dialogs, m_dashFileNames);
    return m_logSettingsPage;
}

QWidget *TfrmLoggerConfig::buildLogChannelsPage()
{
    m_logChannelsPage = new zel::LogChannelsPage(m_settings, m_translations, m_dialogs);
    // Names typed on the translation page caption the boxes once that page stores them.
    connect(m_translationsPage, &zel::ChannelTranslationsPage::translationsLoaded,
        m_logChannelsPage, &zel::LogChannelsPage::showChannelNames);
    return m_logChannelsPage;
}

QWidget *TfrmLoggerConfig::buildLogsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const auto button = [layout](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        layout->addWidget(b, 0, Qt::AlignLeft);
        return b;
    };
    m_readLog = button("ReadLogFile", QStringLiteral("Read Log File from SD Card"));
    m_saveLog = button("SaveLogFile", QStringLiteral("Save Log File to Data Analyzer"));
    m_quickImport = button("QuickLogImport", QStringLiteral("Quick Log File Import"));
    onClicked(m_readLog, [this] { ImportLog(); });
    onClicked(m_saveLog, [this] { SaveImportedLog(); });
    onClicked(m_quickImport, [this] { QuickImport(); });

    auto *current = new QHBoxLayout;
    current->addWidget(new QLabel(QStringLiteral("Current Log:")));
    m_currentLog = new QLabel;
    m_currentLog->setObjectName(QStringLiteral("CurrentLogLabel"));
    current->addWidget(m_currentLog, 1);
    layout->addLayout(current);

    auto *numbering = new QHBoxLayout;
    numbering->addWidget(new QLabel(QStringLiteral("Current Log Number")));
    m_lastLog = new QLabel;
    m_lastLog->setObjectName(QStringLiteral("LastLogLabel"));
    numbering->addWidget(m_lastLog);
    auto *clear = new QPushButton(QStringLiteral("Clear all logs"));
    clear->setObjectName(QStringLiteral("ClearAllLogs"));
    onClicked(clear, [this] { ClearLogs1Click(); });
    numbering->addWidget(clear);
    numbering->addStretch();
    layout->addLayout(numbering);

    m_mathsEditor = new MathsEditor(m_data, m_dialogs);
    layout->addWidget(m_mathsEditor, 1);
    return page;
}

template <typename Handler> void TfrmLoggerConfig::onClicked(QPushButton *button, Handler handler)
{
    connectGuarded(m_dialogs, button, &QPushButton::clicked, this, std::move(handler));
}

template <typename Handler> void TfrmLoggerConfig::onTriggered(QAction *action, Handler handler)
{
    connectGuarded(m_dialogs, action, &QAction::triggered, this, std::move(handler));
}

void TfrmLoggerConfig::buildMenus()
{
    auto *bar = new QMenuBar(this);
    layout()->setMenuBar(bar);

    QMenu *card = bar->addMenu(QStringLiteral("SD Card"));
    onTriggered(addMenuItem(card, "SaveSettings1", QStringLiteral("Save settings to card")),
        [this] { SaveSettings1Click(); });
    onTriggered(addMenuItem(card, "InitialiseNewCard1", QStringLiteral("Initialise new card")), [this] {
        if (onInitialiseCard)
            onInitialiseCard();
    });
    onTriggered(addMenuItem(card, "ClearLogs1", QStringLiteral("Clear Logs from card")),
        [this] { ClearLogs1Click(); });
    onTriggered(
        addMenuItem(card, "LoadnewfirmwaretoCard1", QStringLiteral("Load new firmware to card")),
        [this] { m_dashFiles->LoadFirmware(); });
    onTriggered(addMenuItem(card, "LoadPracticeRun1", QStringLiteral("Load Sector File")),
        [this] { m_dashFiles->LoadSectorFile(); });
    onTriggered(addMenuItem(card, "LoadMessageFile1", QStringLiteral("Load Message File")),
        [this] { m_dashFiles->LoadMessageFile(); });

    QMenu *logs = bar->addMenu(QStringLiteral("Logs"));
    // Enabled with the card, as the dash software has it, but it starts nothing.
    addMenuItem(logs, "SelectDataLog1", QStringLiteral("Select Data Log"));
    onTriggered(addMenuItem(logs, "SaveImportedLog1", QStringLiteral("Save Imported Log")),
        [this] { SaveImportedLog(); });
    onTriggered(
        addMenuItem(logs, "QuickImport1", QStringLiteral("Quick Import")), [this] { QuickImport(); });
    logs->addSeparator();
    onTriggered(addMenuItem(logs, "OpenImportedLog1", QStringLiteral("Open Imported Log")),
        [this] { m_logFileEditor->OpenImportedLog(); });

    QMenu *maps = bar->addMenu(QStringLiteral("Maps"));
    maps->setObjectName(QStringLiteral("Maps1"));
    maps->menuAction()->setVisible(false);
}

void TfrmLoggerConfig::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A rescan empties the selection, so it waits until no card is shown: otherwise the
    // selector would name no card while that card's tables stay open.
    if (m_cardDrive.isEmpty())
        guarded(m_dialogs, [this] { finddrives(); });
}

void TfrmLoggerConfig::finddrives()
{
    m_driveList->fill(m_drives.roots());
    findChild<QAction *>(QStringLiteral("InitialiseNewCard1"))->setEnabled(false);
}

void TfrmLoggerConfig::SelectionDriveListChoose()
{
    if (m_driveList->folderEntrySelected()) {
        const auto folder
            = m_dialogs.chooseFolder(QStringLiteral("Select SD Card"), m_programFolder);
        if (!folder) {
            m_driveList->select(m_cardDrive); // back to the card shown
            return;
        }
        m_driveList->addChosenFolder(QDir::cleanPath(QFileInfo(*folder).absoluteFilePath()));
    }
    SelectionDriveListChange();
}

void TfrmLoggerConfig::SelectionDriveListChange()
{
    try {
        closeOrReleaseCardTables();
    } catch (...) {
        // The shown card keeps its tables (a save failed): the selector names it again.
        m_driveList->select(m_cardDrive);
        throw;
    }
    m_modelList->setCurrentIndex(0);
    m_ecuList->setCurrentIndex(0);

    m_cardDrive = m_driveList->selectedRoot();
    m_cardFromDrives = m_driveList->isDriveRoot(m_cardDrive);
    m_cardIdentity = m_cardDrive.isEmpty() ? QString() : m_drives.identity(m_cardDrive);
    m_cardDataFolder = m_cardDrive.isEmpty() ? QString() : CardPaths(m_cardDrive).dataFolder();
    findChild<QAction *>(QStringLiteral("InitialiseNewCard1"))->setEnabled(!m_cardDrive.isEmpty());

    const CardPaths card(m_cardDrive);
    if (m_cardDrive.isEmpty() || !QFileInfo(card.settingsFile()).isFile()) {
        showNoCard();
        return;
    }
    try {
        loadCard(card);
    } catch (...) {
        // A table that cannot be read leaves no card shown rather than half of one.
        releaseCardTables();
        showNoCard();
        throw;
    }
}

void TfrmLoggerConfig::loadCard(const CardPaths &card)
{
    enableCardEntries(true);
    m_saveToCard->setEnabled(true);
    m_translations.setTranslationFileName(card.translationFile());
    m_translations.LoadTranslationTables();
    m_settings.setSettingsFileName(card.settingsFile());
    m_settings.LoadSettingsTable();
    TMathsChannels &maths = m_data.MathsChannels1();
    maths.setMathsFileName(card.mathsFile());
    if (QFileInfo(card.mathsFile()).isFile())
        maths.LoadMathsTables();
    else
        maths.CreateMathsTables();
    warnAboutShortFiles();

    m_mathsEditor->setCardRoot(m_cardDrive);

    const TSettings &settings = m_settings.settings();
    m_ecuChannelCount = ecuChannelCount(settings.model, settings.ECUIndex);
    enablePagesForFeature(settings.feature);
    m_translationsPage->selectFirstChannel(m_pages->currentIndex() == ChannelTranslationsPage);
}

void TfrmLoggerConfig::warnAboutShortFiles()
{
    for (const QString &warning : { m_translations.loadWarning(), m_settings.loadWarning(),
             m_data.MathsChannels1().loadWarning() }) {
        if (!warning.isEmpty())
            m_dialogs.warning(warning);
    }
}

void TfrmLoggerConfig::enableCardEntries(bool enabled)
{
    for (const char *name : kCardEntries)
        findChild<QAction *>(QLatin1String(name))->setEnabled(enabled);
    findChild<QAction *>(QStringLiteral("OpenImportedLog1"))->setEnabled(true);
    m_emulator->setEnabled(enabled);
    m_readLog->setEnabled(enabled);
    m_quickImport->setEnabled(enabled);
    m_saveLog->setEnabled(false);
}

void TfrmLoggerConfig::showNoCard()
{
    for (int i = SDCardPage; i <= LogsPage; ++i)
        m_pages->widget(i)->setEnabled(false);
    // Opened by "Open Imported Log", never by a card.
    m_pages->widget(LogFileEditorPage)->setEnabled(m_logFileEditor->logOpen());
    enableCardEntries(false);
    // Saving to a card without settings offers to initialise it.
    m_saveToCard->setEnabled(!m_cardDrive.isEmpty());
    m_cardSettingsLoaded = false;
    m_ecuChannelCount = 0;
    m_mathsEditor->setCardRoot({});
    // No other card's fields stay on show.
    m_cardID->clear();
    m_vehicle->clear();
    m_notes->clear();
    m_extraNotes->clear();
    m_dashFileNames->refresh();
    m_logSettingsPage->clear();
    m_logChannelsPage->clear();
    m_cardIdentifier->setText(QStringLiteral("SD Card Identifier: "));
    m_lastLog->clear();
}

void TfrmLoggerConfig::enablePagesForFeature(int feature)
{
    const bool logging = feature != 0;
    m_pages->widget(SDCardPage)->setEnabled(true);
    m_pages->widget(ChannelTranslationsPage)->setEnabled(true);
    for (Page page : { LogSettingsPage, LogChannelsPage, LogsPage })
        m_pages->widget(page)->setEnabled(logging);
}

void TfrmLoggerConfig::closeCardTables()
{
    m_translations.CloseTranslationTables();
    m_settings.CloseSettingsTable();
    m_data.MathsChannels1().CloseMathsTables();
}

void TfrmLoggerConfig::releaseCardTables()
{
    m_translations.ReleaseTranslationTables();
    m_settings.ReleaseSettingsTable();
    m_data.MathsChannels1().ReleaseMathsTables();
}

bool TfrmLoggerConfig::shownCardStillThere() const
{
    if (m_cardDrive.isEmpty())
        return true;
    if (m_cardFromDrives)
        return m_drives.roots().contains(m_cardDrive)
            && m_drives.identity(m_cardDrive) == m_cardIdentity;
    return QFileInfo(m_cardDrive).isDir();
}

void TfrmLoggerConfig::closeOrReleaseCardTables()
{
    if (shownCardStillThere())
        closeCardTables();
    else
        releaseCardTables();
}

void TfrmLoggerConfig::WMDeviceChange(DeviceChange change)
{
    // Every device change resets the selection, so the shown card is let go first: saved
    // when it is still the card whose tables the window holds, released when it is gone or
    // swapped, or when its save fails (that error is shown).
    if (!guarded(m_dialogs, [this] { closeOrReleaseCardTables(); }))
        releaseCardTables();
    if (change == DeviceChange::Arrival) {
        m_cardSettingsLoaded = true;
    } else {
        m_cardSettingsLoaded = false;
        m_emulator->setEnabled(false);
        m_dashEmulator->requestClose();
    }
    finddrives();
    SelectionDriveListChange();
}

void TfrmLoggerConfig::KROSettingsloadTable()
{
    const TSettings &settings = m_settings.settings();
    const QString cardID = settings.DataDict.DriverName.toString();
    m_cardID->setText(cardID);
    m_vehicle->setText(settings.DataDict.Vehicle.toString());
    m_notes->setPlainText(settings.DataDict.TrackConditiion.toString());
    m_extraNotes->setPlainText(settings.DataDict.WeatherCondition.toString());
    m_modelList->setCurrentIndex(
        settings.ModelIndex < m_modelList->count() ? settings.ModelIndex : -1);
    m_ecuList->setCurrentIndex(settings.ECUIndex < m_ecuList->count() ? settings.ECUIndex : -1);
    m_cardIdentifier->setText(QStringLiteral("SD Card Identifier: ") + cardID);
    m_lastLog->setNum(settings.LastLog);
    m_logChannelsPage->showSettings();
    m_logSettingsPage->showSettings();
    m_translationsPage->fillChannelList();
    m_cardSettingsLoaded = true;
}

void TfrmLoggerConfig::ClearLogs1Click(bool askUser)
{
    if (!m_settings.active() || m_cardDrive.isEmpty())
        return;
    if (askUser
        && !m_dialogs.question(QStringLiteral(
            "THIS WILL REMOVE ALL LOG FILES FROM SD CARD. DO YOU WHISH TO CONTINUE?")))
        return;
    // The logs go first: when they cannot, the card keeps numbering after them.
    clearLogsFolder(CardPaths(m_cardDrive));
    m_settings.settings().LastLog = 1;
    m_settings.SaveSettingsTable();
    m_lastLog->setNum(1);
}

void TfrmLoggerConfig::BitBtn12Click()
{
    backupCardSettings(*this);
}

void TfrmLoggerConfig::BitBtn13Click()
{
    restoreCardSettings(*this);
}

void TfrmLoggerConfig::KROSettingsBeforeSaveTable()
{
    m_logChannelsPage->storeSettings();
    // A code the lists have no entry for stays as the card has it.
    TSettings &settings = m_settings.settings();
    if (m_modelList->currentIndex() >= 0)
        settings.ModelIndex = std::uint8_t(m_modelList->currentIndex());
    if (m_ecuList->currentIndex() >= 0)
        settings.ECUIndex = std::uint8_t(m_ecuList->currentIndex());
    m_logSettingsPage->storeSettings();
}

void TfrmLoggerConfig::SaveSettings1Click()
{
    if (m_cardDrive.isEmpty())
        return;
    if (!m_settings.active() && QFileInfo(CardPaths(m_cardDrive).settingsFile()).isFile()) {
        // The card's tables could not be loaded: selecting it again says why.
        SelectionDriveListChange();
        return;
    }
    if (!QFileInfo(CardPaths(m_cardDrive).settingsFile()).isFile()) {
        if (m_dialogs.question(QStringLiteral(
                "This card must be initialized! Do you want to initialize this card?"))
            && onInitialiseCard)
            onInitialiseCard();
        return;
    }
    // Checked before the fields reach the settings: an empty ID kept in memory would be
    // written by the next close.
    if (m_cardID->text().trimmed().isEmpty()) {
        m_dialogs.information(QStringLiteral("Please enter an SD Card ID"));
        return;
    }
    // The card ID names the card's folders in the program's Data folder.
    if (!isSafeFolderName(m_cardID->text())) {
        m_dialogs.information(QStringLiteral(
            "The SD Card ID \"%1\" can not name a folder: leave out / \\ : * ? \" < > |, "
            "control characters, \".\" or \"..\" alone and dots or spaces at either end.")
                                  .arg(m_cardID->text()));
        return;
    }
    TSettings &settings = m_settings.settings();
    settings.LogSpeed = 2;
    settings.DataDict.DriverName.assign(m_cardID->text());
    settings.DataDict.Vehicle.assign(m_vehicle->text());
    settings.DataDict.TrackConditiion.assign(m_notes->toPlainText());
    settings.DataDict.WeatherCondition.assign(m_extraNotes->toPlainText());
    m_settings.SaveSettingsTable();
    m_settings.LoadSettingsTable();
    SelectionDriveListChange();
}

void TfrmLoggerConfig::keyPressEvent(QKeyEvent *event)
{
    // A dialog presses its default button on Enter, here "Close", which would end the
    // window while the user confirms a card ID or a value.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmLoggerConfig::showPage(Page page)
{
    m_pageTree->setCurrentItem(m_pageTree->topLevelItem(page));
}

bool TfrmLoggerConfig::ImportLog()
{
    if (m_cardDrive.isEmpty())
        return false;
    const CardPaths card(m_cardDrive);
    FileDialogRequest request;
    request.filter = kRawLogFilter;
    request.defaultExtension = QStringLiteral("dsh");
    request.initialFolder = card.logsFolder();
    const auto path = m_dialogs.openFile(request);
    if (!path)
        return false;

    showPage(LogsPage);
    m_importSaveable = false;
    m_saveLog->setEnabled(false);
    m_importedParts.clear();
    m_currentLogName = QFileInfo(*path).fileName();
    m_currentLog->setText(m_currentLogName);

    const BusyCursor busy;
    const CardImportSource source(card, m_data);
    for (const QString &warning : source.warnings())
        m_dialogs.warning(warning);
    WindowImportObserver observer(
        m_dialogs, m_progress, [this](const QString &text) { m_status->setText(text); });
    LogImport import(m_data, observer);
    source.configure(import);
    import.setDataFolder(m_programDataFolder);
    import.importFile(m_logFile, *path);
    m_importedCardID = source.cardID();
    m_importedParts = import.savedParts();
    m_mathsEditor->setLogChannels(import.LogChannels());
    // A formula that failed gave 0 in its rows; one line per channel says how many.
    const QStringList failures = m_data.FormulaMaths().failureSummary();
    if (!failures.isEmpty())
        m_dialogs.warning(failures.join(u'\n'));

    // A split log is saved already, part by part.
    m_importSaveable = m_importedParts.isEmpty();
    m_saveLog->setEnabled(m_importSaveable);
    m_readLog->setEnabled(true);
    m_quickImport->setEnabled(true);
    return true;
}

void TfrmLoggerConfig::SaveImportedLog()
{
    RecordTable &table = m_data.LogDataTable();
    if (!m_importSaveable || !table.isOpen())
        return;
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Log File|*.kro");
    request.defaultExtension = QStringLiteral("kro");
    request.initialFileName = sessionStem(m_currentLogName);
    request.confirmOverwrite = true;
    request.initialFolder = LogImport::cardFolder(m_programDataFolder, m_importedCardID);
    QDir().mkpath(request.initialFolder);
    const auto path = m_dialogs.saveFile(request);
    if (!path)
        return;
    {
        const BusyCursor busy;
        table.saveToFile(*path);
    }
    if (m_importedCardID.isEmpty() || isSafeFolderName(m_importedCardID))
        recordCard(m_data, m_importedCardID, QDate::currentDate());
}

void TfrmLoggerConfig::QuickImport()
{
    if (!ImportLog())
        return;
    QString saved;
    if (!m_importedParts.isEmpty()) {
        saved = m_importedParts.first(); // the import saved every part, the start of the run first
    } else if (!isSafeFolderName(m_importedCardID)) {
        // Without a card ID there is no card folder to save into.
        if (!m_importedCardID.trimmed().isEmpty())
            m_dialogs.warning(QStringLiteral("The card ID \"%1\" cannot name a folder, so the log "
                                             "was not saved. Give the card another ID.")
                                  .arg(m_importedCardID));
        return;
    } else {
        const BusyCursor busy;
        saved = ImportDestination(m_programDataFolder, m_importedCardID)
                    .save(m_data.LogDataTable(), m_currentLogName);
    }
    if (m_openLogFile)
        m_openLogFile(saved);
    accept();
}

void TfrmLoggerConfig::BitBtn24Click()
{
    if (m_cardDrive.isEmpty() || m_dashEmulator->running())
        return;
    // The emulator works on the card's files, so the window lets them go and offers nothing
    // that would load or write them (also not another card) until it has ended.
    closeOrReleaseCardTables();
    for (Page page :
        { LogSettingsPage, ChannelTranslationsPage, LogChannelsPage, LogsPage, SDCardPage })
        m_pages->widget(page)->setEnabled(false);
    enableCardEntries(false);
    findChild<QAction *>(QStringLiteral("InitialiseNewCard1"))->setEnabled(false);
    m_saveToCard->setEnabled(false);
    m_driveBox->setEnabled(false);
    m_dashEmulator->start(m_cardDrive);
}

void TfrmLoggerConfig::emulatorEnded()
{
    if (m_closing)
        return;
    m_driveBox->setEnabled(true);
    // The selector still names the card, or none after a device change.
    guarded(m_dialogs, [this] { SelectionDriveListChange(); });
}

void TfrmLoggerConfig::BitBtn1Click()
{
    m_cardSettingsLoaded = false;
    m_dashEmulator->requestClose();
    reject();
}

void TfrmLoggerConfig::done(int result)
{
    if (!m_closing)
        FormClose();
    QDialog::done(result);
}

void TfrmLoggerConfig::FormClose()
{
    m_closing = true;
    m_dashEmulator->requestClose();
    m_data.LogDataTable().close();
    m_logFileEditor->CloseLog();
    m_pages->setEnabled(false);
    enableCardEntries(false);
    m_saveToCard->setEnabled(false);
    m_logFile.CloseLogFile();
    m_cardSettingsLoaded = false;
    guarded(m_dialogs, [this] { closeOrReleaseCardTables(); });
}

} // namespace zel
