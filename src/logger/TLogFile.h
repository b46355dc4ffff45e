#pragma once

#include "logger/LogFileError.h"
#include "logger/LogRecords.h"

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace zel {

class TKROSettings;
class TTranslations;

/// Reads a raw ".Dsh" log written by the dash: the header, then one data record at a time.
/// The file is only ever read. Failures throw LogFileError and leave the reader closed.
class TLogFile : public QObject
{
    Q_OBJECT
public:
    explicit TLogFile(QObject *parent = nullptr);
    ~TLogFile() override;

    /// Path of the raw log that OpenLogFile opens.
    QString LogFileName() const { return FLogFileName; }
    /// Sets the path used by the next OpenLogFile.
    void setLogFileName(const QString &name) { FLogFileName = name; }

    /// Settings component kept for the owner's handlers; the reader never uses it.
    TKROSettings *Settings() const { return FSettings; }
    /// Sets the settings component kept for the owner's handlers.
    void setSettings(TKROSettings *settings) { FSettings = settings; }
    /// Translation component kept for the owner's handlers; the reader never uses it.
    TTranslations *Translation() const { return FTranslation; }
    /// Sets the translation component kept for the owner's handlers.
    void setTranslation(TTranslations *translation) { FTranslation = translation; }

    /// Opens LogFileName read-only (closing any open log first) and reads its header.
    void OpenLogFile();
    /// Restarts at the first data record and reads it.
    void First();
    /// Reads the next data record, or sets EOL at the end of the log.
    void ReadLogRecord();
    /// Reads the last whole data record and sets EOL.
    void Last();
    /// Closes the log and sets EOL.
    void CloseLogFile();
    /// Raw logs are written only by the dash; kept for the table components' common shape.
    void CreateLogFile() {}
    /// Raw logs are written only by the dash; kept for the table components' common shape.
    void SaveLogRecord() {}

    /// Header of the open log (all zero before the first open).
    const TDataDictionary &header() const { return FHeader; }
    /// Current data record; only the first 268 bytes of a longer record are kept.
    const TLogRecord &record() const { return FRecord; }
    /// True once the end of the log is reached, and while closed.
    bool EOL() const { return FEOL; }
    /// Size of the open file in bytes at the time it was opened (capped at 4 GiB - 1).
    quint32 LogSize() const { return FLogSize; }
    /// True while a log is open.
    bool active() const { return FActive; }

Q_SIGNALS:
    /// The header of a newly opened log has been read.
    void AfterOpenLog();
    /// A new data record has been read.
    void AfterReadLogRecord();

private:
    void readNext();
    bool loadRecord(std::uint64_t index);
    void fillBuffer(std::uint64_t index);
    void closeFile();

    QString FLogFileName;
    TKROSettings *FSettings = nullptr;
    TTranslations *FTranslation = nullptr;

    int FFile = -1;
    bool FActive = false;
    bool FEOL = true;
    quint32 FLogSize = 0;
    std::uint32_t FLastRecordID = 0;
    TDataDictionary FHeader {};
    TLogRecord FRecord {};

    std::uint32_t FRecordLength = 0;
    std::uint64_t FRecordCount = 0; ///< whole records present when opened (no 4 GiB cap)
    std::uint64_t FNextRecord = 0;  ///< index of the record the next read returns

    std::vector<char> FBuffer;      ///< a run of whole records read in one call
    std::uint64_t FBufferFirst = 0; ///< index of the first record held in FBuffer
    std::uint64_t FBufferCount = 0; ///< records held in FBuffer
};

} // namespace zel
