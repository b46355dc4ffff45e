#include "logger/RawLogWriter.h"

#include "common/AtomicFile.h"
#include "logger/LogFileError.h"

#include <algorithm>
#include <cstring>

namespace zel {

RawLogWriter::RawLogWriter(const QStringList &channelNames, const QList<int> &channelNumbers)
{
    const int n = int(channelNames.size());
    if (n > kMaxReadableChannels)
        throw std::invalid_argument("a raw log holds at most 47 channels");
    if (!channelNumbers.isEmpty() && channelNumbers.size() != n)
        throw std::invalid_argument("one channel number is needed per channel name");

    std::fill(std::begin(m_header.LogChannels), std::end(m_header.LogChannels), kUnusedPosition);
    int previous = -1;
    for (int j = 0; j < n; ++j) {
        const int number = channelNumbers.isEmpty() ? j : channelNumbers[j];
        // The dash assigns positions in ascending order of channel number.
        if (number <= previous || number >= kMaxLogChannels)
            throw std::invalid_argument("channel numbers must ascend and stay below 48");
        previous = number;
        m_header.ChannelNames[j].assign(channelNames[j]);
        m_header.DataSize[number] = 4;
        m_header.LogChannels[j] = std::uint8_t(number);
    }
    m_header.NumberOfChannels = std::uint8_t(n);
    m_header.LogRecordLength = std::uint16_t(logRecordLength(4 * n));
}

void RawLogWriter::appendRecord(const TLogRecord &record)
{
    const qsizetype length = m_header.LogRecordLength;
    const qsizetype kept = std::min<qsizetype>(length, sizeof record);
    m_records.append(reinterpret_cast<const char *>(&record), kept);
    m_records.append(length - kept, '\0');
}

QByteArray RawLogWriter::bytes() const
{
    QByteArray file(reinterpret_cast<const char *>(&m_header), sizeof m_header);
    file.append(m_records);
    return file;
}

void RawLogWriter::save(const QString &fileName) const
{
    const QByteArrayView header(reinterpret_cast<const char *>(&m_header), sizeof m_header);
    try {
        AtomicFile::replace(fileName, { header, m_records });
    } catch (const FileError &error) {
        throw LogFileError(error.message());
    }
}

} // namespace zel
