#include "card/SystemCardDrives.h"

#include "card/MountWatcher.h"
#include "card/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace zel {

namespace {

QByteArray readMountTable(const QString &mountInfoPath)
{
    QFile file(mountInfoPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList rootsFromMountTable(const QString &mountInfoPath, const QString &sysRoot)
{
    return removableRoots(readMountTable(mountInfoPath), sysRoot);
}

// The number of the mount whose mount point is the longest leading part of \a path.
QString mountIDOf(const QString &mountInfoPath, const QString &path)
{
    QString id;
    qsizetype longest = -1;
    for (const MountedVolume &volume : parseMountInfo(readMountTable(mountInfoPath))) {
        const QString &point = volume.root;
        const bool holds = path == point
            || (path.startsWith(point) && (point.endsWith(u'/') || path.at(point.size()) == u'/'));
        if (holds && point.size() > longest) {
            longest = point.size();
            id = volume.mountID;
        }
    }
    return id;
}

} // namespace

SystemCardDrives::SystemCardDrives(
    const QString &mountInfoPath, const QString &sysRoot, QObject *parent)
    : SystemCardDrives(
        [mountInfoPath, sysRoot] { return rootsFromMountTable(mountInfoPath, sysRoot); },
        mountInfoPath, parent)
{
    auto *watcher = new MountWatcher(mountInfoPath, this);
    connect(watcher, &MountWatcher::changed, this, &SystemCardDrives::refresh);
}

SystemCardDrives::SystemCardDrives(RootsSource source, QObject *parent)
    : SystemCardDrives(std::move(source), QString(), parent)
{ }

SystemCardDrives::SystemCardDrives(RootsSource source, QString mountInfoPath, QObject *parent)
    : CardDrives(parent)
    , m_source(std::move(source))
    , m_mountInfoPath(std::move(mountInfoPath))
    , m_roots(m_source())
{ }

QString SystemCardDrives::identity(const QString &root) const
{
    struct stat rootStat = {};
    if (root.isEmpty() || ::stat(QFile::encodeName(root).constData(), &rootStat) != 0)
        return {};
    const QString device = QStringLiteral("dev %1").arg(quint64(rootStat.st_dev));
    if (m_mountInfoPath.isEmpty())
        return device;
    const QString canonical = QFileInfo(root).canonicalFilePath();
    return QStringLiteral("mount %1 ").arg(mountIDOf(m_mountInfoPath, canonical)) + device;
}

void SystemCardDrives::refresh()
{
    const QStringList now = m_source();
    if (now == m_roots)
        return;
    const bool someRemoved = std::any_of(
        m_roots.begin(), m_roots.end(), [&](const QString &r) { return !now.contains(r); });
    const bool someArrived = std::any_of(
        now.begin(), now.end(), [&](const QString &r) { return !m_roots.contains(r); });
    m_roots = now;
    if (someRemoved)
        emit removed();
    if (someArrived)
        emit arrived();
}

} // namespace zel
