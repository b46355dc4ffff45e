#pragma once

#include "card/CardFileCopy.h"

#include <QString>
#include <functional>
#include <optional>

namespace zel {

class CardPaths;
class ProgramPaths;

/// Told the number of backup files dealt with so far (1 to 8) after each one.
using BackupProgress = std::function<void(int)>;

/// The backup folder of card \a cardID, created when missing: "<data>/<id>/Settings", or
/// "<data>/Settings" for an empty ID, which is used only when it already exists. None when
/// the folder cannot be made or the ID cannot name a folder.
std::optional<QString> prepareBackupFolder(const ProgramPaths &program, const QString &cardID);

/// Copies the backup files from the card's Data folder into \a backupFolder, each one
/// attempted whatever became of the others.
CopyReport backupCard(
    const CardPaths &card, const QString &backupFolder, const BackupProgress &progress = {});

/// True when \a backupFolder holds a "Settings.prm" (in any case), without which there is
/// no backup to restore.
bool backupHoldsSettings(const QString &backupFolder);

/// Copies the backup files from \a backupFolder into the card's Data folder, creating the
/// folder when missing, each one attempted whatever became of the others. Throws
/// FileError, touching nothing on the card, when the backup holds no "Settings.prm" or
/// the card's Data folder cannot be made.
CopyReport restoreBackup(
    const QString &backupFolder, const CardPaths &card, const BackupProgress &progress = {});

} // namespace zel
