#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace {

constexpr char kPrefix[] = ".zel-";
constexpr int kRandomChars = 6;
// A writer locks its temporary straight after creating it; the age keeps the cleaner away
// from the moment in between.
constexpr time_t kStaleSeconds = 60;
// Temporaries of older versions carry no lock, so only long-abandoned ones are removed.
constexpr time_t kLegacyStaleSeconds = 3600;
// Written data is handed to the disk in pieces this large as it comes, so that the disk
// works while the writer makes the rest and commit()'s sync waits for the last piece only.
constexpr off_t kWritebackBytes = off_t(8) << 20;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString randomName()
{
    static constexpr char kChars[]
        = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = QString::fromLatin1(kPrefix);
    for (int i = 0; i < kRandomChars; ++i)
        name += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
    return name;
}

bool isTemporaryName(const char *name)
{
    const size_t prefix = sizeof kPrefix - 1;
    if (std::strncmp(name, kPrefix, prefix) != 0 || std::strlen(name) != prefix + kRandomChars)
        return false;
    for (const char *c = name + prefix; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c)))
            return false;
    }
    return true;
}

// ".<table name>.XXXXXX", as the program's saves named their temporaries before.
bool isLegacyTemporaryName(const char *name)
{
    static const char *const kExtensions[]
        = { ".kro.", ".map.", ".dta.", ".rep.", ".axt.", ".trn." };
    const size_t length = std::strlen(name);
    if (name[0] != '.' || length < 1 + 1 + 5 + kRandomChars)
        return false;
    const char *suffix = name + length - kRandomChars;
    for (const char *c = suffix; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c)))
            return false;
    }
    for (const char *extension : kExtensions) {
        if (strncasecmp(suffix - 5, extension, 5) == 0)
            return true;
    }
    return false;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Takes the name for the finished file without ever replacing a file of that name.
// Returns 0 or an errno value (EEXIST when the name is taken).
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot refuse a rename by itself: a hard link can, where there are
    // hard links; elsewhere an exclusive create reserves the name first.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    const int reserved
        = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (reserved < 0)
        return errno;
    ::close(reserved);
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        return error;
    }
    return 0;
}

} // namespace

AtomicFile::AtomicFile(const QString &target, Placement placement)
    : m_placement(placement)
{
    const QFileInfo info(target);
    m_target = info.absoluteFilePath();
    m_folder = info.absolutePath();
    m_shownTarget = target;

    struct stat existing {};
    if (::lstat(nativePath(m_target).constData(), &existing) == 0 && !S_ISREG(existing.st_mode)
        && !S_ISLNK(existing.st_mode))
        fail(QStringLiteral("it exists and is not a regular file"), 0);

    removeStaleTemporaries(m_folder);
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = QDir(m_folder).filePath(randomName());
        m_fd = ::open(nativePath(m_temporary).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0 && errno != EEXIST)
            fail(QStringLiteral("cannot create a file in \"%1\"").arg(m_folder), errno);
    }
    if (m_fd < 0)
        fail(QStringLiteral("cannot create a file in \"%1\"").arg(m_folder), EEXIST);
    ::flock(m_fd, LOCK_EX | LOCK_NB);
}

AtomicFile::~AtomicFile()
{
    if (!m_committed)
        discard();
}

void AtomicFile::fail(const QString &reason, int error) const
{
    QString message = QStringLiteral("Cannot write \"%1\": %2").arg(m_shownTarget, reason);
    if (error != 0)
        message += QStringLiteral(" (") + systemReason(error) + u')';
    throw FileError(message);
}

void AtomicFile::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            discard();
            fail(QStringLiteral("the write failed"), error);
        }
        data += n;
        left -= n;
        m_written += n;
    }
    startWritebackWhenDue(m_writebackStart);
}

void AtomicFile::countWrittenElsewhere(qint64 bytes)
{
    m_written += bytes;
    // Where another writer put its bytes is its own affair: the disk is started on the file
    // as a whole.
    startWritebackWhenDue(0);
}

// Starts the disk on the file from \a start to its end once enough has been written since
// the last start. Only a start: commit()'s fsync is what makes the data durable and reports
// any error.
void AtomicFile::startWritebackWhenDue(off_t start)
{
    if (m_written - m_writebackStart < kWritebackBytes)
        return;
    ::sync_file_range(m_fd, start, 0, SYNC_FILE_RANGE_WRITE);
    m_writebackStart = m_written;
}

void AtomicFile::commit()
{
    if (::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        fail(QStringLiteral("the data could not be synced"), error);
    }
    // A replacement keeps the permissions of the file it replaces; a new file has the
    // usual ones, already given by the umask when the temporary was created.
    struct stat existing {};
    if (m_placement == Placement::Replace
        && ::lstat(nativePath(m_target).constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(m_fd, existing.st_mode & 07777);
    place();
    m_committed = true;
    ::close(m_fd);
    m_fd = -1;
    syncFolder(m_folder);
}

void AtomicFile::retarget(const QString &target)
{
    const QFileInfo info(target);
    if (info.absolutePath() != m_folder)
        fail(QStringLiteral("\"%1\" is not in the same folder").arg(target), 0);
    m_target = info.absoluteFilePath();
    m_shownTarget = target;
}

void AtomicFile::place()
{
    const QByteArray from = nativePath(m_temporary);
    const QByteArray to = nativePath(m_target);
    int error = 0;
    if (m_placement == Placement::Replace)
        error = ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    else
        error = renameNoReplace(from, to);
    if (error == 0)
        return;
    if (error == EEXIST) {
        throw FileExistsError(
            QStringLiteral("Cannot write \"%1\": a file of that name exists").arg(m_shownTarget));
    }
    discard();
    fail(QStringLiteral("the file could not be put in place"), error);
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::unlink(nativePath(m_temporary).constData());
        ::close(m_fd);
        m_fd = -1;
    }
}

void AtomicFile::replace(const QString &path, std::initializer_list<QByteArrayView> pieces)
{
    AtomicFile file(path, Placement::Replace);
    for (QByteArrayView piece : pieces)
        file.write(piece);
    file.commit();
}

void AtomicFile::removeStaleTemporaries(const QString &folder)
{
    const QByteArray path = nativePath(folder);
    const int dirFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const bool ours = isTemporaryName(entry->d_name);
        if (!ours && !isLegacyTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode)
            || now - info.st_mtime < (ours ? kStaleSeconds : kLegacyStaleSeconds))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // A live writer holds the lock for as long as its temporary exists.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace zel
