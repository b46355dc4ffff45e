#pragma once

#include "dashmanager/CardDriveList.h"
#include "logger/TKROSettings.h"
#include "logger/TLogFile.h"
#include "logger/TTranslations.h"
#include "session/ProgressModel.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace zel {

class CardDrives;
class CardPaths;
class ChannelTranslationsPage;
class DashEmulator;
class DashFileInstaller;
class DashFileNames;
class LimitedTextEdit;
class LogChannelsPage;
class LogFileEditor;
class LogSettingsPage;
class MathsEditor;
class TKRO_Data;
class UserDialogs;

/// The "Logger Configuration" window of the dash manager: one SD card at a time, chosen in
/// the card selector from the removable drives (or a folder standing for a card). Selecting
/// a card with settings loads its translations, settings and maths tables, which stay open
/// while the card is shown and save when they are closed; the pages and entries that need a
/// card are enabled only then. Raw logs on the card are imported into the data module's
/// session table and saved as session logs, or opened at once in the analysis window.
///
/// A card pulled out or swapped for another (the drive source's identity of its root
/// changed) has its tables released unsaved, so the window never writes one card's tables
/// onto another.
class TfrmLoggerConfig : public QDialog
{
    Q_OBJECT
public:
    /// Opens a session log in the analysis window.
    using LogFileOpener = std::function<void(const QString &path)>;

    /// Which device change WMDeviceChange handles.
    enum class DeviceChange { Arrival, Removal };

    /// The pages in the order of the navigation tree.
    enum Page {
        SDCardPage,
        LogSettingsPage,
        ChannelTranslationsPage,
        LogChannelsPage,
        LogsPage,
        LogFileEditorPage,
        PageCount
    };

    /// Builds the window over the data module \a data, asking through \a dialogs, listing
    /// the cards of \a drives; \a programFolder holds the program (its "Data" folder is
    /// created when missing) and \a openLogFile opens a saved session log in the analysis
    /// window. No card is selected.
    TfrmLoggerConfig(TKRO_Data &data, UserDialogs &dialogs, CardDrives &drives,
        const QString &programFolder, LogFileOpener openLogFile, QWidget *parent = nullptr);
    ~TfrmLoggerConfig() override;

    // What the window works with

    TKROSettings &KROSettings() { return m_settings; }
    TTranslations &Translations1() { return m_translations; }
    MathsEditor &mathsEditor() { return *m_mathsEditor; }
    zel::ChannelTranslationsPage &translationsPage() { return *m_translationsPage; }
    TKRO_Data &data() { return m_data; }
    UserDialogs &dialogs() { return m_dialogs; }
    QProgressBar &progressBar() { return *m_progressBar; }
    QString programFolder() const { return m_programFolder; }
    /// The program's "Data" folder (or the user's fallback), where imports are saved.
    QString ProgramDataFolder() const { return m_programDataFolder; }

    // The selected card

    /// Root folder of the selected card; empty when none is selected.
    QString CardDrive() const { return m_cardDrive; }
    /// The selected card's "Data" folder; empty when none is selected.
    QString CardDataFolder() const { return m_cardDataFolder; }
    /// True once the selected card's settings have reached the window's controls.
    bool CardSettingsLoaded() const { return m_cardSettingsLoaded; }
    /// Channel positions the selected card's dash and ECU fill (ecuChannelCount).
    int ECUChannelCount() const { return m_ecuChannelCount; }
    /// File name of the raw log imported last.
    QString CurrentLogName() const { return m_currentLogName; }

    /// Runs "Initialise new card", and "Save to SD Card" on a card without settings when
    /// the user agrees to initialise it.
    std::function<void()> onInitialiseCard;

    // Cards

    /// Lists the removable drives and the chosen folders, with nothing selected.
    void finddrives();
    /// Shows the card the selector names: closes the tables of the card shown before (saving
    /// them, unless that card is gone or swapped), then loads the new card's tables and
    /// enables what it supports, or shows the no-card state.
    void SelectionDriveListChange();
    /// A drive arrived or was removed: lets the shown card go (unsaved when it is gone or
    /// swapped), lists the drives again and selects none.
    void WMDeviceChange(DeviceChange change);
    /// Enables the pages a dash with \a feature has: "Log Settings", "Log Channels" and "Logs"
    /// when it is not 0 (the street dash has none of them); "Channel Translations" and
    /// "SD Card" always.
    void enablePagesForFeature(int feature);
    /// Closes the card's translation, settings and maths tables; each saves first.
    void closeCardTables();
    /// Lets the card's translation, settings and maths tables go without saving.
    void releaseCardTables();

    // Settings

    /// "Save settings to card" and "Save to SD Card": the "SD Card" page into the settings,
    /// saved to the card and shown again; a card without settings is offered initialisation.
    void SaveSettings1Click();
    /// After each settings load: the settings into the controls.
    void KROSettingsloadTable();
    /// Before each settings save: the controls into the settings.
    void KROSettingsBeforeSaveTable();

    /// "Clear Logs from card" and "Clear all logs": after asking (when \a askUser), empties
    /// the selected card's "Logs" folder and starts the log numbers at 1 again. Does nothing
    /// without the card's settings loaded. A folder that cannot be emptied keeps the log
    /// number and is reported.
    void ClearLogs1Click(bool askUser = true);
    /// "Backup Settings".
    void BitBtn12Click();
    /// "Restore Backup".
    void BitBtn13Click();

    // Logs

    /// "Read Log File from SD Card": asks for a raw log on the card and imports it into the
    /// data module's session table; false when no log was imported.
    bool ImportLog();
    /// "Save Imported Log" and "Save Log File to Data Analyzer": saves the imported log where
    /// the user chooses, starting in the card's folder of the program's "Data" folder.
    void SaveImportedLog();
    /// "Quick Import" and "Quick Log File Import": imports a raw log, saves it in the card's
    /// folder under a free name, opens it in the analysis window and closes this one.
    void QuickImport();

    /// "Race Dash Emulator": closes the card's tables and disables what would use them, then
    /// runs the emulator on the card; once it ends the card is selected again.
    void BitBtn24Click();
    /// The running dash emulator, if any.
    DashEmulator &dashEmulator() { return *m_dashEmulator; }

    /// "Close".
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;
    /// Every way of closing ends here: releases what the window holds (FormClose).
    void done(int result) override;
    /// Enter confirms the field it is typed in; it never presses a button of the window.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    void buildMenus();
    QWidget *buildHeader();
    QWidget *buildSDCardPage();
    QWidget *buildLogSettingsPage();
    QWidget *buildLogChannelsPage();
    QWidget *buildLogsPage();
    template <typename Handler> void onClicked(QPushButton *button, Handler handler);
    template <typename Handler> void onTriggered(QAction *action, Handler handler);

    void FormClose();
    void SelectionDriveListChoose();
    void loadCard(const CardPaths &card);
    void showNoCard();
    void enableCardEntries(bool enabled);
    void closeOrReleaseCardTables();
    bool shownCardStillThere() const;
    void showPage(Page page);
    void warnAboutShortFiles();
    void emulatorEnded();

    TKRO_Data &m_data;
    UserDialogs &m_dialogs;
    CardDrives &m_drives;
    QString m_programFolder;
    QString m_programDataFolder;
    LogFileOpener m_openLogFile;

    TKROSettings m_settings;
    TTranslations m_translations;
    TLogFile m_logFile;
    ProgressModel m_progress;

    QString m_cardDrive;
    QString m_cardDataFolder;
    QString m_cardIdentity; // the drive source's identity of m_cardDrive when selected
    bool m_cardFromDrives = false; // m_cardDrive was a drive root, not a chosen folder
    bool m_cardSettingsLoaded = false;
    int m_ecuChannelCount = 0;
    QString m_currentLogName;
    QString m_importedCardID; // the card ID of the last import, whose folder it goes to
    QStringList m_importedParts; // the parts of a split import, saved already
    bool m_importSaveable = false; // the last import ended whole and unsplit
    bool m_closing = false;

    QComboBox *m_driveBox = nullptr;
    std::unique_ptr<CardDriveList> m_driveList;
    QComboBox *m_ecuList = nullptr;
    QComboBox *m_modelList = nullptr;
    QLabel *m_cardIdentifier = nullptr;
    QPushButton *m_saveToCard = nullptr;
    QPushButton *m_emulator = nullptr;
    QTreeWidget *m_pageTree = nullptr;
    QStackedWidget *m_pages = nullptr;
    QLineEdit *m_cardID = nullptr;
    QLineEdit *m_vehicle = nullptr;
    LimitedTextEdit *m_notes = nullptr;
    LimitedTextEdit *m_extraNotes = nullptr;
    QPushButton *m_readLog = nullptr;
    QPushButton *m_saveLog = nullptr;
    QPushButton *m_quickImport = nullptr;
    QLabel *m_currentLog = nullptr;
    QLabel *m_lastLog = nullptr;
    MathsEditor *m_mathsEditor = nullptr;
    zel::ChannelTranslationsPage *m_translationsPage = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progressBar = nullptr;
    DashFileInstaller *m_dashFiles = nullptr;
    DashFileNames *m_dashFileNames = nullptr;
    zel::LogSettingsPage *m_logSettingsPage = nullptr;
    zel::LogChannelsPage *m_logChannelsPage = nullptr;
    LogFileEditor *m_logFileEditor = nullptr;
    DashEmulator *m_dashEmulator = nullptr;
};

} // namespace zel
