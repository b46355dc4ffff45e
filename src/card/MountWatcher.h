#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zel {

/// Tells when the kernel's mount table changes. The kernel marks an open mountinfo file
/// with an exceptional condition (POLLPRI) whenever a file system is mounted or unmounted,
/// so the watcher waits on that and needs no timer. A file that cannot be opened, or an
/// ordinary file given in its place, is simply never reported as changed.
class MountWatcher : public QObject
{
    Q_OBJECT
public:
    /// Watches \a mountInfoPath, normally the process's own mount table.
    explicit MountWatcher(const QString &mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
        QObject *parent = nullptr);
    ~MountWatcher() override;
    MountWatcher(const MountWatcher &) = delete;
    MountWatcher &operator=(const MountWatcher &) = delete;

    /// True when the file is open and being watched.
    bool isWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    /// A file system was mounted or unmounted.
    void changed();

private:
    void onException();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zel
