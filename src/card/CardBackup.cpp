#include "card/CardBackup.h"

#include "card/CardPaths.h"
#include "card/ProgramPaths.h"
#include "common/Error.h"
#include "session/SessionFileName.h"
#include "session/SettingsBackup.h"

#include <QDir>
#include <QFileInfo>

namespace zel {

namespace {

CopyReport copyBackupFiles(
    const QString &sourceFolder, const QString &targetFolder, const BackupProgress &progress)
{
    CopyReport report;
    int done = 0;
    for (const QString &name : settingsBackupFiles()) {
        report.add(copyCardFile(sourceFolder, targetFolder, name));
        if (progress)
            progress(++done);
    }
    return report;
}

} // namespace

std::optional<QString> prepareBackupFolder(const ProgramPaths &program, const QString &cardID)
{
    const QString folder = program.backupFolder(cardID);
    if (folder.isEmpty())
        return std::nullopt;
    // The shared folder of cards without an ID is never made here; it serves only when it
    // was made by hand.
    if (!cardID.isEmpty() && !QDir().mkpath(folder))
        return std::nullopt;
    if (!QFileInfo(folder).isDir())
        return std::nullopt;
    return folder;
}

CopyReport backupCard(
    const CardPaths &card, const QString &backupFolder, const BackupProgress &progress)
{
    return copyBackupFiles(card.dataFolder(), backupFolder, progress);
}

bool backupHoldsSettings(const QString &backupFolder)
{
    return QFileInfo(existingFileName(backupFolder, QStringLiteral("Settings.prm"))).isFile();
}

CopyReport restoreBackup(
    const QString &backupFolder, const CardPaths &card, const BackupProgress &progress)
{
    if (!backupHoldsSettings(backupFolder)) {
        throw FileError(QStringLiteral("The backup in \"%1\" holds no \"Settings.prm\"; nothing "
                                       "was restored.")
                            .arg(backupFolder));
    }
    const QString dataFolder = card.dataFolder();
    if (!QDir().mkpath(dataFolder) || !QFileInfo(dataFolder).isDir()) {
        throw FileError(QStringLiteral("Cannot create the card's folder \"%1\"; nothing was "
                                       "restored.")
                            .arg(dataFolder));
    }
    return copyBackupFiles(backupFolder, dataFolder, progress);
}

} // namespace zel
