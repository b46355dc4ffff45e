#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace zel {

/// One line of the kernel's mount table: where a file system is mounted and what from.
struct MountedVolume
{
    QString root; ///< the mount point
    QString device; ///< the mount source, e.g. "/dev/sdb1", or "tmpfs" for a virtual one
    QString fsType;
    /// The mount's number in the table; a new mount gets a new one, so a card taken out and
    /// another put in at the same mount point differ in it.
    QString mountID;

    friend bool operator==(const MountedVolume &, const MountedVolume &) = default;
};

/// The volumes of a mount table in the format of /proc/self/mountinfo, in table order.
/// Escapes such as "\040" (a space) in paths are decoded; lines that do not have the
/// format are skipped.
QList<MountedVolume> parseMountInfo(QByteArrayView mountinfo);

/// True when \a device (e.g. "/dev/sdb1") is a drive meant to be taken out: per the sysfs
/// tree at \a sysRoot its disk is marked removable, is an SD card (mmcblk) or hangs off a
/// USB bus. Optical drives, built-in eMMC storage, loop, device-mapper, NVMe and virtual
/// devices are not.
bool isRemovableDevice(const QString &device, const QString &sysRoot);

/// The mount points of the removable devices in \a mountinfo, sorted, each once.
QStringList removableRoots(QByteArrayView mountinfo, const QString &sysRoot);

} // namespace zel
