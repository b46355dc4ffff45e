#include "dashmanager/CardSettingsBackup.h"

#include "card/CardBackup.h"
#include "card/CardIDRegister.h"
#include "card/CardPaths.h"
#include "card/ProgramPaths.h"
#include "dashmanager/TCardIDFrm.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "session/TKRO_Data.h"
#include "ui/UserDialogs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <optional>

namespace zel {

namespace {

constexpr int kBackupFiles = 8;

// The shared progress bar counts the eight files and is empty again afterwards.
class FileProgress
{
public:
    explicit FileProgress(QProgressBar &bar)
        : m_bar(bar)
    {
        m_bar.setRange(0, kBackupFiles);
        m_bar.setValue(0);
    }
    ~FileProgress() { m_bar.setValue(0); }
    FileProgress(const FileProgress &) = delete;
    FileProgress &operator=(const FileProgress &) = delete;

    BackupProgress stepper()
    {
        return [this](int done) { m_bar.setValue(done); };
    }

private:
    QProgressBar &m_bar;
};

QString currentCardID(TfrmLoggerConfig &config)
{
    return config.KROSettings().settings().DataDict.DriverName.toString();
}

ProgramPaths programPaths(TfrmLoggerConfig &config)
{
    return ProgramPaths(config.programFolder(), config.ProgramDataFolder());
}

// A card has maths channels and a third screen only once the user gave it them (the
// initialisation writes neither), so a backup without them is complete.
bool optionalOnCard(const QString &name)
{
    return name.compare(QLatin1String("Maths.prm"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("Screen3.scn"), Qt::CaseInsensitive) == 0;
}

void reportCopies(UserDialogs &dialogs, const CopyReport &report, const QString &completed)
{
    CopyReport news;
    for (const CopyResult &result : report.results()) {
        if (result.outcome != CopyOutcome::SourceMissing || !optionalOnCard(result.name))
            news.add(result);
    }
    if (news.complete())
        dialogs.information(completed);
    else
        dialogs.warning(news.summary());
}

} // namespace

void backupCardSettings(TfrmLoggerConfig &config)
{
    const QString root = config.CardDrive();
    if (root.isEmpty())
        return;
    UserDialogs &dialogs = config.dialogs();
    const QString id = currentCardID(config);
    config.closeCardTables();
    FileProgress progress(config.progressBar());
    const std::optional<QString> folder = prepareBackupFolder(programPaths(config), id);
    if (!folder) {
        config.SelectionDriveListChange();
        dialogs.information(
            QStringLiteral("Failed to create backup folder. Operation has aborted"));
        return;
    }
    std::optional<CopyReport> report;
    if (dialogs.question(QStringLiteral("Backing up settings for ") + id))
        report = backupCard(CardPaths(root), *folder, progress.stepper());
    config.SelectionDriveListChange();
    if (!report)
        return;
    // Only a backup that holds the settings can be restored, so only such a backup is
    // offered for it.
    if (report->copied(QStringLiteral("Settings.prm")))
        recordCard(config.data(), id, QDate::currentDate());
    reportCopies(dialogs, *report, QStringLiteral("Backup has completed"));
}

void restoreCardSettings(TfrmLoggerConfig &config)
{
    const QString root = config.CardDrive();
    if (root.isEmpty())
        return;
    UserDialogs &dialogs = config.dialogs();
    TKRO_Data &data = config.data();
    FileProgress progress(config.progressBar());
    const QString currentID = currentCardID(config);
    data.setKROCardID(currentID);
    {
        TCardIDFrm chooser(data, dialogs, &config);
        chooser.exec();
    }
    if (data.KROCardIDBackup().isEmpty())
        return;
    const QString backup = programPaths(config).backupFolder(data.KROCardID());
    if (backup.isEmpty() || !QFileInfo(backup).isDir() || !backupHoldsSettings(backup)) {
        dialogs.information(QStringLiteral("This card ID does not have a backup."));
        return;
    }
    if (data.KROCardID() != currentID
        && !dialogs.question(QStringLiteral("The Selected Card ID does not match the current SD "
                                            "Card. DO YOU WANT TO CONTINUE?")))
        return;
    config.closeCardTables();
    const CardPaths card(root);
    const bool overwrite = !QFileInfo(card.dataFolder()).isDir()
        || dialogs.question(QStringLiteral("Do you want to overwrite the existing Logger setting?"));
    std::optional<CopyReport> report;
    if (overwrite)
        report = restoreBackup(backup, card, progress.stepper());
    config.SelectionDriveListChange();
    if (report)
        reportCopies(dialogs, *report, QStringLiteral("Restore has completed"));
}

} // namespace zel
