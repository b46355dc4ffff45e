#include "card/MountWatcher.h"

#include <QFile>
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

namespace zel {

MountWatcher::MountWatcher(const QString &mountInfoPath, QObject *parent)
    : QObject(parent)
{
    m_fd = ::open(QFile::encodeName(mountInfoPath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::onException);
}

MountWatcher::~MountWatcher()
{
    // The notifier must stop watching before its descriptor is closed.
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void MountWatcher::onException()
{
    // Reading the table through to its end acknowledges the change, so the condition is
    // raised again only by the next one.
    char buffer[4096];
    ::lseek(m_fd, 0, SEEK_SET);
    while (::read(m_fd, buffer, sizeof buffer) > 0) { }
    emit changed();
}

} // namespace zel
