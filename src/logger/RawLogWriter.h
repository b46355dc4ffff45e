#pragma once

#include "logger/LogRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zel {

/// Builds a raw ".Dsh" log as the dash writes it: a header naming the logged channels,
/// then one data record per sample. Used to make test logs and demo cards.
class RawLogWriter
{
public:
    /// Logs channelNames at positions 0..n-1 (n at most 47), each 4 bytes long. The logger
    /// channel number of position j is channelNumbers[j] (strictly ascending, below 48), or
    /// j when channelNumbers is empty. Throws std::invalid_argument otherwise.
    explicit RawLogWriter(const QStringList &channelNames,
                          const QList<int> &channelNumbers = {});

    /// The header to be written; fields may be changed before records are appended.
    TDataDictionary &header() { return m_header; }
    /// The header to be written.
    const TDataDictionary &header() const { return m_header; }

    /// Appends one record of the header's LogRecordLength bytes: the record's first bytes,
    /// zero-padded when the length exceeds the 268-byte record.
    void appendRecord(const TLogRecord &record);

    /// The whole file as it will be saved: header followed by the records.
    QByteArray bytes() const;

    /// Writes the file atomically (an existing file is replaced only on success);
    /// throws LogFileError naming the file on failure.
    void save(const QString &fileName) const;

private:
    TDataDictionary m_header {};
    QByteArray m_records;
};

} // namespace zel
