#pragma once

#include <QString>
#include <QStringList>

namespace zel {

/// The card files a settings backup holds, under the names they are written with, in the
/// order a backup and a restore copy them.
const QStringList &settingsBackupFiles();

/// The folder that holds the settings backup of card \a cardID: "<dataFolder>/<id>/Settings",
/// or "<dataFolder>/Settings" for an empty ID, which all cards without an ID share. An ID
/// that is not one plain folder name (isSafeFolderName) gives an empty string, so no
/// backup of it is ever made, read or removed outside \a dataFolder.
QString settingsBackupFolder(const QString &dataFolder, const QString &cardID);

} // namespace zel
