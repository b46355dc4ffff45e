#pragma once

#include "card/CardDrives.h"

#include <functional>

namespace zel {

/// The removable drives of this machine: the removable roots of the kernel's mount table,
/// kept current by a MountWatcher. Each change of the table is compared with the roots
/// known before: a root that disappeared raises removed(), a new one arrived() (both, in
/// that order, when a card was swapped between two changes).
class SystemCardDrives : public CardDrives
{
    Q_OBJECT
public:
    /// Where the current removable roots come from.
    using RootsSource = std::function<QStringList()>;

    /// Follows the mount table at \a mountInfoPath, telling removable devices by the sysfs
    /// tree at \a sysRoot.
    explicit SystemCardDrives(const QString &mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
        const QString &sysRoot = QStringLiteral("/sys"), QObject *parent = nullptr);
    /// Takes the roots from \a source at construction and at each refresh(), watching
    /// nothing itself.
    explicit SystemCardDrives(RootsSource source, QObject *parent = nullptr);

    QStringList roots() const override { return m_roots; }
    /// The device number of \a root's file system and the inode number of its
    /// "Data/Settings.prm" when there is one; empty when \a root cannot be examined. A card
    /// swapped at the same mount point changes it: the new card may get the old one's
    /// device number, but FAT file systems number a newly mounted card's files afresh.
    /// Replacing the settings file (rather than writing into it) changes it too.
    QString identity(const QString &root) const override;

public Q_SLOTS:
    /// Reads the roots again and reports what changed.
    void refresh();

private:
    RootsSource m_source;
    QStringList m_roots;
};

} // namespace zel
