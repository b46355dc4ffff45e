#include "logger/LoggerTableFile.h"

#include "common/AtomicFile.h"
#include "logger/LoggerTableError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace {

[[noreturn]] void fail(const QString &action, const QString &path, const QString &reason)
{
    throw LoggerTableError(QStringLiteral("Cannot %1 \"%2\": %3").arg(action, path, reason));
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why an open failed, in the words a user of the card understands.
QString openReason(int error, bool forWriting)
{
    if (error == ELOOP)
        return QStringLiteral("it is a symbolic link, which a card table may not be");
    if (forWriting && (error == EACCES || error == EPERM || error == EROFS))
        return QStringLiteral("the file or the card is write-protected");
    return systemReason(error);
}

// Closes a descriptor opened for one write, whatever way the write ends.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    ~Descriptor() { ::close(m_fd); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads from offset 0 until size bytes arrived or the file ended, then zero-fills the rest
// so that nothing of an earlier card survives in the buffer.
qint64 readFully(int fd, const QString &path, void *data, qint64 size)
{
    auto *bytes = static_cast<char *>(data);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes + done, std::size_t(size - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(QStringLiteral("read"), path, systemReason(errno));
        if (n == 0)
            break;
        done += n;
    }
    std::memset(bytes + done, 0, std::size_t(size - done));
    return done;
}

// Opens path for reading without following a link and without waiting on a FIFO; only a
// regular file is accepted.
int openRegularFile(const QString &path, struct stat &info)
{
    const int fd = ::open(
        QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        fail(QStringLiteral("open"), path, openReason(errno, false));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("open"), path, QStringLiteral("it is not a regular file"));
    }
    return fd;
}

} // namespace

LoggerTableFile::~LoggerTableFile()
{
    close();
}

void LoggerTableFile::open(const QString &path)
{
    close();
    struct stat info = {};
    m_fd = openRegularFile(path, info);
    m_path = path;
    m_device = info.st_dev;
    m_inode = info.st_ino;
}

void LoggerTableFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

qint64 LoggerTableFile::read(void *data, qint64 size)
{
    return readFully(m_fd, m_path, data, size);
}

void LoggerTableFile::write(QByteArrayView bytes)
{
    // Reading never needed write access; a save asks for it now, under the loaded name and
    // never through a link, and goes on only if that name still leads to the loaded file.
    // Asking keeps a write-protected file protected: replacing it would not need its leave.
    struct stat info = {};
    {
        const int fd = ::open(
            QFile::encodeName(m_path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            fail(QStringLiteral("write"), m_path, openReason(errno, true));
        const Descriptor file(fd);
        if (::fstat(fd, &info) != 0 || info.st_dev != m_device || info.st_ino != m_inode) {
            fail(QStringLiteral("write"), m_path,
                QStringLiteral("another file has taken its place since it was loaded"));
        }
    }
    // Bytes beyond the table in a longer file are the logger's; they stay.
    QByteArray content = bytes.toByteArray();
    if (info.st_size > content.size()) {
        const qsizetype tailStart = content.size();
        content.resize(qsizetype(info.st_size));
        const qint64 tailSize = qint64(info.st_size) - tailStart;
        qint64 done = 0;
        while (done < tailSize) {
            const ssize_t n = ::pread(m_fd, content.data() + tailStart + done,
                std::size_t(tailSize - done), off_t(tailStart + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail(QStringLiteral("read"), m_path, systemReason(n < 0 ? errno : EIO));
            done += n;
        }
    }
    // The new content goes to a temporary that replaces the file only once it is whole and
    // on the device, so a pulled card or a full one keeps the old file. The temporary is
    // held before the rename, so the file held afterwards is surely the one written.
    int held = -1;
    try {
        AtomicFile file(m_path, AtomicFile::Placement::Replace);
        file.write(content);
        held = ::open(QFile::encodeName(file.temporaryPath()).constData(),
            O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (held < 0)
            fail(QStringLiteral("write"), m_path, systemReason(errno));
        file.commit();
    } catch (const FileError &error) {
        if (held >= 0)
            ::close(held);
        throw LoggerTableError(error.message());
    } catch (...) {
        if (held >= 0)
            ::close(held);
        throw;
    }
    if (::fstat(held, &info) != 0) {
        const int error = errno;
        ::close(held);
        fail(QStringLiteral("write"), m_path, systemReason(error));
    }
    ::close(m_fd);
    m_fd = held;
    m_device = info.st_dev;
    m_inode = info.st_ino;
}

qint64 LoggerTableFile::readFile(const QString &path, void *data, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), path, file.errorString());
    return readFully(file.handle(), path, data, size);
}

void LoggerTableFile::writeFile(const QString &path, QByteArrayView content)
{
    try {
        AtomicFile::replace(path, { content });
    } catch (const FileError &error) {
        throw LoggerTableError(error.message());
    }
}

} // namespace zel
