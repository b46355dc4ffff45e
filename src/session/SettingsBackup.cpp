#include "session/SettingsBackup.h"

#include "common/FolderName.h"

#include <QDir>

namespace zel {

const QStringList &settingsBackupFiles()
{
    static const QStringList names
        = { QStringLiteral("GaugeParam.prm"), QStringLiteral("PWMLoop.prm"),
              QStringLiteral("Settings.prm"), QStringLiteral("Translation.prm"),
              QStringLiteral("Maths.prm"), QStringLiteral("Screen1.scn"),
              QStringLiteral("Screen2.scn"), QStringLiteral("Screen3.scn") };
    return names;
}

QString settingsBackupFolder(const QString &dataFolder, const QString &cardID)
{
    const QDir data(dataFolder);
    if (cardID.isEmpty())
        return data.filePath(QStringLiteral("Settings"));
    if (!isSafeFolderName(cardID))
        return {};
    return data.filePath(cardID + QStringLiteral("/Settings"));
}

} // namespace zel
