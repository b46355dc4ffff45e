#include "card/SystemCardDrives.h"

#include "card/MountWatcher.h"
#include "card/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>

namespace zel {

namespace {

QStringList rootsFromMountTable(const QString &mountInfoPath, const QString &sysRoot)
{
    QFile file(mountInfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return removableRoots(file.readAll(), sysRoot);
}

} // namespace

SystemCardDrives::SystemCardDrives(
    const QString &mountInfoPath, const QString &sysRoot, QObject *parent)
    : SystemCardDrives(
        [mountInfoPath, sysRoot] { return rootsFromMountTable(mountInfoPath, sysRoot); }, parent)
{
    auto *watcher = new MountWatcher(mountInfoPath, this);
    connect(watcher, &MountWatcher::changed, this, &SystemCardDrives::refresh);
}

SystemCardDrives::SystemCardDrives(RootsSource source, QObject *parent)
    : CardDrives(parent)
    , m_source(std::move(source))
    , m_roots(m_source())
{ }

QString SystemCardDrives::identity(const QString &root) const
{
    struct stat rootStat = {};
    if (root.isEmpty() || ::stat(QFile::encodeName(root).constData(), &rootStat) != 0)
        return {};
    QString identity = QStringLiteral("dev %1").arg(quint64(rootStat.st_dev));
    struct stat settingsStat = {};
    const QByteArray settings
        = QFile::encodeName(QDir(root).filePath(QStringLiteral("Data/Settings.prm")));
    if (::stat(settings.constData(), &settingsStat) == 0)
        identity += QStringLiteral(" settings %1").arg(quint64(settingsStat.st_ino));
    return identity;
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
