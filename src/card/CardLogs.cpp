#include "card/CardLogs.h"

#include "card/CardPaths.h"
#include "common/Error.h"

#include <QDir>
#include <QFileInfo>

namespace zel {

namespace {

[[noreturn]] void failClearing(const QString &folder, const QString &reason)
{
    throw FileError(QStringLiteral("Cannot clear the logs folder \"%1\": %2").arg(folder, reason));
}

} // namespace

bool holdsRawLogs(const CardPaths &card)
{
    // Name filters ignore case unless told otherwise, as the card does.
    return !QDir(card.logsFolder())
                .entryList({ QStringLiteral("*.dsh") },
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}

void clearLogsFolder(const CardPaths &card)
{
    if (!QFileInfo(card.root()).isDir())
        failClearing(card.logsFolder(), QStringLiteral("the card cannot be found"));
    const QString folder = card.logsFolder();
    const QFileInfo info(folder);
    if (info.isSymLink())
        failClearing(folder, QStringLiteral("it is a symbolic link, not the card's own folder"));
    if (info.exists() && !info.isDir())
        failClearing(folder, QStringLiteral("it is not a folder"));
    // removeRecursively deletes links inside the folder, never what they point to.
    if (info.exists() && !QDir(folder).removeRecursively())
        failClearing(folder, QStringLiteral("some of its files could not be deleted"));
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        failClearing(folder, QStringLiteral("the folder could not be created again"));
}

} // namespace zel
