#pragma once

#include <QFile>
#include <QString>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

/// Makes a file unwritable for the lifetime of the object, as a locked card is: its
/// permission bits and, because tests may run as root (whom permission bits do not stop),
/// the immutable attribute where the file system and the privileges allow it. works() says
/// whether an open for writing is really refused; a test that needs it skips otherwise.
class WriteProtectedFile
{
public:
    explicit WriteProtectedFile(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        struct stat info = {};
        if (::stat(m_path.constData(), &info) != 0)
            return;
        m_mode = info.st_mode & 07777;
        ::chmod(m_path.constData(), 0444);
        m_immutable = setImmutable(true);
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC);
        m_works = fd < 0;
        if (fd >= 0)
            ::close(fd);
    }
    ~WriteProtectedFile()
    {
        if (m_immutable)
            setImmutable(false);
        if (m_mode >= 0)
            ::chmod(m_path.constData(), mode_t(m_mode));
    }
    WriteProtectedFile(const WriteProtectedFile &) = delete;
    WriteProtectedFile &operator=(const WriteProtectedFile &) = delete;

    /// True when the file really cannot be opened for writing.
    bool works() const { return m_works; }

private:
    bool setImmutable(bool on) const
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QByteArray m_path;
    int m_mode = -1;
    bool m_immutable = false;
    bool m_works = false;
};
