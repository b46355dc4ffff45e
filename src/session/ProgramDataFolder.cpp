#include "session/ProgramDataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zel {

bool folderWritable(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString programDataFolder(const QString &programFolder, const FolderWritable &writable)
{
    const QString beside = QDir(programFolder).filePath(QStringLiteral("Data"));
    if (writable(beside))
        return beside;
    const QString fallback = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                                 .filePath(QStringLiteral("Data"));
    QDir().mkpath(fallback);
    return fallback;
}

} // namespace zel
