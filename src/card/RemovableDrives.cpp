#include "card/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace zel {

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in paths as "\ooo".
QString decodedField(QByteArrayView field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1])
            && isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            bytes += char(
                ((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            bytes += field[i];
        }
    }
    return QFile::decodeName(bytes);
}

QString firstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine(64)).trimmed();
}

// Prefixes of kernel block devices that are never a card, whatever their flags say: RAM
// and loop disks, device-mapper and software RAID volumes, network and NVMe disks, and
// optical drives (marked removable, but a disc is not a card).
bool isNeverACard(const QString &name)
{
    static const char *const prefixes[]
        = { "loop", "ram", "zram", "dm-", "md", "nbd", "nvme", "sr" };
    return std::any_of(std::begin(prefixes), std::end(prefixes),
        [&](const char *prefix) { return name.startsWith(QLatin1String(prefix)); });
}

} // namespace

QList<MountedVolume> parseMountInfo(QByteArrayView mountinfo)
{
    QList<MountedVolume> volumes;
    for (const QByteArray &line : mountinfo.toByteArray().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // ID, parent ID, major:minor, root, mount point, options, optional fields, "-",
        // file-system type, source, super-block options.
        const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
        if (separator < 0 || separator + 2 >= fields.size() || fields[4].isEmpty())
            continue;
        volumes.append({ decodedField(fields[4]), decodedField(fields[separator + 2]),
            decodedField(fields[separator + 1]), QString::fromLatin1(fields[0]) });
    }
    return volumes;
}

bool isRemovableDevice(const QString &device, const QString &sysRoot)
{
    const QString name = device.mid(5);
    if (!device.startsWith(QLatin1String("/dev/")) || name.isEmpty() || name.contains(u'/')
        || name.startsWith(u'.') || isNeverACard(name)) {
        return false;
    }
    const QString entry = QDir(sysRoot).filePath(QStringLiteral("class/block/") + name);
    const QString resolved = QFileInfo(entry).canonicalFilePath();
    if (resolved.isEmpty())
        return false;
    // A partition's folder sits inside its disk's.
    const QString disk = QFileInfo::exists(resolved + QStringLiteral("/partition"))
        ? QFileInfo(resolved).path()
        : resolved;
    if (firstLine(disk + QStringLiteral("/removable")) == QLatin1String("1"))
        return true;
    if (QFileInfo(disk).fileName().startsWith(QLatin1String("mmcblk"))) {
        // An internal reader reports its cards as fixed; built-in eMMC storage says "MMC".
        return firstLine(disk + QStringLiteral("/device/type")) != QLatin1String("MMC");
    }
    const QStringList parts = resolved.split(u'/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(),
        [](const QString &part) { return part.startsWith(QLatin1String("usb")); });
}

QStringList removableRoots(QByteArrayView mountinfo, const QString &sysRoot)
{
    QStringList roots;
    for (const MountedVolume &volume : parseMountInfo(mountinfo)) {
        if (isRemovableDevice(volume.device, sysRoot))
            roots << volume.root;
    }
    roots.sort();
    roots.removeDuplicates();
    return roots;
}

} // namespace zel
