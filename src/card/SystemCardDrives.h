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
    /// Takes the roots from \a source as above and the mounts' numbers from the table at
    /// \a mountInfoPath.
    SystemCardDrives(RootsSource source, QString mountInfoPath, QObject *parent = nullptr);

    QStringList roots() const override { return m_roots; }
    /// The number of the mount that holds \a root and its device number; empty when \a root
    /// cannot be examined. A card taken out and another put in at the same mount point
    /// differ in the mount's number even when the reader gives both the same device number,
    /// while saves on the card, which replace its files, change neither. Without a mount
    /// table only the device number is used.
    QString identity(const QString &root) const override;

public Q_SLOTS:
    /// Reads the roots again and reports what changed.
    void refresh();

private:
    RootsSource m_source;
    QString m_mountInfoPath;
    QStringList m_roots;
};

} // namespace zel
