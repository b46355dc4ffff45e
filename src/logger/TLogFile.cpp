#include "logger/TLogFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace {

constexpr std::uint64_t kHeaderSize = sizeof(TDataDictionary);
constexpr std::uint64_t kChunkBytes = 1 << 20;

QString quoted(const QString &fileName)
{
    return u'"' + fileName + u'"';
}

LogFileError systemError(const char *action, const QString &fileName, int error)
{
    return LogFileError(QString::fromLatin1(action) + QStringLiteral(" log file ")
        + quoted(fileName) + QStringLiteral(": ") + qt_error_string(error));
}

LogFileError notALog(const QString &fileName, const QString &reason)
{
    return LogFileError(quoted(fileName) + QStringLiteral(" is not a KRO log: ") + reason);
}

/// The longest record a dash writes: every one of the 48 channels logged, 4 bytes each.
constexpr int kMaxLogRecordLength = logRecordLength(4 * kMaxLogChannels);

/// True when the meaningful characters of a header text hold a control character that no
/// dash writes there: NUL counts as padding, and the two condition texts are typed in
/// multi-line boxes, so they may break lines and hold tabs.
template <int N> bool holdsControlCharacters(const ShortString<N> &text, bool multiLine)
{
    for (int i = 0; i < text.length(); ++i) {
        const auto c = static_cast<unsigned char>(text.Chars[i]);
        if (multiLine && (c == '\t' || c == '\n' || c == '\r'))
            continue;
        if ((c != 0 && c < 0x20) || c == 0x7F)
            return true;
    }
    return false;
}

/// Why a header cannot come from a dash, or an empty string when it can. The limits are
/// those of every log a dash writes, so that a file of another kind (a saved table, a text)
/// is refused instead of being read as records of garbage.
QString implausibleHeader(const TDataDictionary &h)
{
    const int channels = h.NumberOfChannels;
    const int length = h.LogRecordLength;
    if (channels > kMaxLogChannels)
        return QStringLiteral("invalid log header: %1 channels, at most %2")
            .arg(QString::number(channels), QString::number(kMaxLogChannels));
    if (length < kMinLogRecordLength)
        return QStringLiteral("invalid log header: record length %1").arg(length);
    if (length < logRecordLength(4 * channels))
        return QStringLiteral("invalid log header: record length %1 is too short for %2 channels")
            .arg(QString::number(length), QString::number(channels));
    if (length > kMaxLogRecordLength)
        return QStringLiteral("invalid log header: record length %1, at most %2")
            .arg(QString::number(length), QString::number(kMaxLogRecordLength));

    const struct
    {
        const char *what;
        bool bad;
    } texts[] = {
        { "the track name", holdsControlCharacters(h.TrackName, false) },
        { "the vehicle", holdsControlCharacters(h.Vehicle, false) },
        { "the driver name", holdsControlCharacters(h.DriverName, false) },
        { "the track condition", holdsControlCharacters(h.TrackConditiion, true) },
        { "the weather condition", holdsControlCharacters(h.WeatherCondition, true) },
    };
    for (const auto &text : texts) {
        if (text.bad)
            return QStringLiteral("invalid log header: %1 holds control characters")
                .arg(QLatin1String(text.what));
    }
    for (int j = 0; j < kMaxLogChannels; ++j) {
        if (holdsControlCharacters(h.ChannelNames[j], false))
            return QStringLiteral("invalid log header: the name of channel position %1 holds "
                                  "control characters")
                .arg(j);
    }
    return {};
}

/// Reads until count bytes arrived, the file ends, or an error; returns -1 on error.
ssize_t readAt(int fd, char *data, std::uint64_t count, std::uint64_t offset)
{
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, data + done, count - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::uint64_t(n);
    }
    return ssize_t(done);
}

/// Closes a descriptor on every early exit of OpenLogFile.
class FileGuard
{
public:
    explicit FileGuard(int fd) : m_fd(fd) {}
    ~FileGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileGuard(const FileGuard &) = delete;
    FileGuard &operator=(const FileGuard &) = delete;
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace

TLogFile::TLogFile(QObject *parent)
    : QObject(parent)
{ }

TLogFile::~TLogFile()
{
    closeFile();
}

void TLogFile::OpenLogFile()
{
    CloseLogFile();
    std::memset(&FHeader, 0, sizeof FHeader);
    // A shorter record never reaches the tail of the buffer, so clear what an earlier log
    // left there.
    std::memset(&FRecord, 0, sizeof FRecord);
    FLastRecordID = 0;
    FEOL = true;

    // Non-blocking so that opening a FIFO returns at once and can be refused; reads of
    // regular files ignore the flag.
    const int fd = ::open(QFile::encodeName(FLogFileName).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw systemError("Cannot open", FLogFileName, errno);
    FileGuard guard(fd);

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw systemError("Cannot open", FLogFileName, errno);
    if (!S_ISREG(info.st_mode))
        throw notALog(FLogFileName, QStringLiteral("not a regular file"));

    const std::uint64_t size = std::uint64_t(info.st_size);
    const QString tooShort = QStringLiteral("the file is shorter than the %1-byte log header")
                                 .arg(kHeaderSize);
    if (size < kHeaderSize)
        throw notALog(FLogFileName, tooShort);
    TDataDictionary header;
    const ssize_t got = readAt(fd, reinterpret_cast<char *>(&header), kHeaderSize, 0);
    if (got < 0)
        throw systemError("Cannot read", FLogFileName, errno);
    if (std::uint64_t(got) < kHeaderSize)
        throw notALog(FLogFileName, tooShort);
    if (const QString fault = implausibleHeader(header); !fault.isEmpty())
        throw notALog(FLogFileName, fault);

    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    FFile = guard.release();
    FHeader = header;
    FLogSize = quint32(std::min<std::uint64_t>(size, 0xFFFFFFFFu));
    FRecordLength = header.LogRecordLength;
    FRecordCount = (size - kHeaderSize) / FRecordLength;
    FNextRecord = 0;
    FBufferFirst = 0;
    FBufferCount = 0;
    const std::uint64_t chunkRecords = std::min(kChunkBytes / FRecordLength, FRecordCount);
    FBuffer.resize(std::max<std::uint64_t>(1, chunkRecords) * FRecordLength);
    FEOL = false;
    FActive = true;
    Q_EMIT AfterOpenLog();
}

void TLogFile::First()
{
    if (!FActive)
        return;
    FLastRecordID = 0;
    FNextRecord = 0;
    FEOL = false;
    readNext();
}

void TLogFile::ReadLogRecord()
{
    if (!FActive || FEOL)
        return;
    readNext();
}

void TLogFile::Last()
{
    if (!FActive)
        return;
    FEOL = true;
    // The last whole record: a trailing partial one is never decoded.
    if (FRecordCount == 0 || !loadRecord(FRecordCount - 1))
        return;
    FNextRecord = FRecordCount;
    FLastRecordID = FRecord.RecordID;
    Q_EMIT AfterReadLogRecord();
}

void TLogFile::CloseLogFile()
{
    if (!FActive)
        return;
    closeFile();
    FActive = false;
    FEOL = true;
}

void TLogFile::readNext()
{
    // A repeated RecordID is how the dash marks the end of a log that it did not truncate.
    if (!loadRecord(FNextRecord) || FRecord.RecordID == FLastRecordID) {
        FEOL = true;
        return;
    }
    ++FNextRecord;
    FLastRecordID = FRecord.RecordID;
    Q_EMIT AfterReadLogRecord();
}

bool TLogFile::loadRecord(std::uint64_t index)
{
    // Only records wholly present when the file was opened count, so a file that keeps
    // growing still ends and a trailing partial record is never decoded.
    if (index >= FRecordCount)
        return false;
    if (index < FBufferFirst || index >= FBufferFirst + FBufferCount) {
        fillBuffer(index);
        if (index >= FBufferFirst + FBufferCount)
            return false;
    }
    const std::uint64_t length = std::min<std::uint64_t>(FRecordLength, sizeof FRecord);
    std::memcpy(&FRecord, FBuffer.data() + (index - FBufferFirst) * FRecordLength, length);
    return true;
}

void TLogFile::fillBuffer(std::uint64_t index)
{
    const std::uint64_t capacity = FBuffer.size() / FRecordLength;
    const std::uint64_t count = std::min(capacity, FRecordCount - index);
    FBufferFirst = index;
    FBufferCount = 0;
    const ssize_t got = readAt(FFile, FBuffer.data(), count * FRecordLength,
                               kHeaderSize + index * FRecordLength);
    if (got < 0) {
        const int error = errno;
        FEOL = true;
        throw systemError("Cannot read", FLogFileName, error);
    }
    // The file may have shrunk since it was opened; keep only the records that arrived.
    FBufferCount = std::uint64_t(got) / FRecordLength;
}

void TLogFile::closeFile()
{
    if (FFile >= 0)
        ::close(FFile);
    FFile = -1;
}

} // namespace zel
