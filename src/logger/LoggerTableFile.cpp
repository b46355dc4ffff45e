#include "logger/LoggerTableFile.h"

#include "common/AtomicFile.h"
#include "logger/LoggerTableError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zel {

namespace {

[[noreturn]] void fail(const QString &action, const QString &path, const QString &reason)
{
    throw LoggerTableError(QStringLiteral("Cannot %1 \"%2\": %3").arg(action, path, reason));
}

// Reads from the current position until size bytes arrived or the file ended, then
// zero-fills the rest so that nothing of an earlier card survives in the buffer.
qint64 readFully(QFile &file, void *data, qint64 size)
{
    auto *bytes = static_cast<char *>(data);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes + done, size - done);
        if (n < 0)
            fail(QStringLiteral("read"), file.fileName(), file.errorString());
        if (n == 0)
            break;
        done += n;
    }
    std::memset(bytes + done, 0, std::size_t(size - done));
    return done;
}

} // namespace

void LoggerTableFile::open(const QString &path)
{
    close();
    FFile.setFileName(path);
    // Saves write through this handle: a symbolic link would carry them out of the card's
    // folder into whatever file it names.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        fail(QStringLiteral("open"), path,
            error == ELOOP ? QStringLiteral("it is a symbolic link, which a card table may not be")
                           : QString::fromLocal8Bit(std::strerror(error)));
    }
    if (!FFile.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(QStringLiteral("open"), path, FFile.errorString());
    }
}

void LoggerTableFile::create(const QString &path, QByteArrayView content)
{
    close();
    writeFile(path, content);
    open(path);
}

void LoggerTableFile::close()
{
    FFile.close();
}

qint64 LoggerTableFile::read(void *data, qint64 size)
{
    if (!FFile.seek(0))
        fail(QStringLiteral("read"), FFile.fileName(), FFile.errorString());
    return readFully(FFile, data, size);
}

void LoggerTableFile::write(const void *data, qint64 size)
{
    const QString path = FFile.fileName();
    if (!FFile.seek(0))
        fail(QStringLiteral("write"), path, FFile.errorString());
    if (FFile.write(static_cast<const char *>(data), size) != size || !FFile.flush())
        fail(QStringLiteral("write"), path, FFile.errorString());
    // The card may be pulled right after a save; the bytes must be on it, not in a cache.
    if (::fsync(FFile.handle()) != 0)
        fail(QStringLiteral("write"), path, QString::fromLocal8Bit(std::strerror(errno)));
}

qint64 LoggerTableFile::readFile(const QString &path, void *data, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), path, file.errorString());
    return readFully(file, data, size);
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
