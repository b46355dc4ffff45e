#pragma once

#include "logger/CardTableFile.h"
#include "logger/TrackLine.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

namespace zel {

/// A sector file ("*.prc") or message file ("*.msg"): 256 line records. A load keeps the
/// file open; a save writes the file TrackFileName names and ends inactive; the records in
/// memory survive closing. Failures throw LoggerTableError.
class TKROTrack : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLineCount = 256;
    static constexpr int kRecordSize = int(sizeof(TrackLine));
    static constexpr int kFileSize = kLineCount * kRecordSize;
    using Lines = std::array<TrackLine, kLineCount>;

    explicit TKROTrack(QObject *parent = nullptr);

    /// Path of the line file that loads, saves and creates use.
    QString TrackFileName() const { return FTrackFileName; }
    /// Sets the path of the line file.
    void setTrackFileName(const QString &name) { FTrackFileName = name; }

    /// The 256 line records; record i sits at file offset i * 105.
    Lines &TrackData() { return FTrackData; }
    /// The 256 line records.
    const Lines &TrackData() const { return FTrackData; }

    /// Number of start/finish and sector lines: counted by a load, set by the owner
    /// before a save.
    int RecordCount() const { return FRecordCount; }
    /// Sets the number of lines the owner holds.
    void setRecordCount(int count) { FRecordCount = count; }
    /// Record number of the last start/finish or sector line met by the last load.
    std::uint8_t LastSectorRecord() const { return FLastSectorRecord; }
    /// Record number of the last log-start line met by the last load.
    std::uint8_t LogStartRecord() const { return FLogStartRecord; }
    /// Record number of the last log-stop line met by the last load.
    std::uint8_t LogStopRecord() const { return FLogStopRecord; }

    /// True while the line file is open.
    bool active() const { return FTrackTable.active(); }
    /// True when the last load found a file shorter than 256 records.
    bool wasShort() const { return FTrackTable.wasShort(); }
    /// Message about the last load for the user (empty when the file was whole).
    QString loadWarning() const { return FTrackTable.loadWarning(); }

    /// Opens TrackFileName (releasing any open file), reads the 256 records, counts the
    /// lines afresh and raises OnloadTable. A short file is read as far as it goes and the
    /// rest is cleared; loadWarning() then says so. A missing file throws and leaves the
    /// component inactive.
    void LoadTrackTable();
    /// Raises BeforeSaveTable and writes the 256 records to TrackFileName, creating it
    /// when missing; always ends inactive.
    void SaveTrackTable();
    /// Releases the open file without saving.
    void CloseTrackTable();
    /// Creates or empties TrackFileName and becomes active without writing a record.
    void CreateTrackTable();

signals:
    /// Raised after each load.
    void OnloadTable();
    /// Raised before each save, so the owner can copy its lines in.
    void BeforeSaveTable();

private:
    QString FTrackFileName;
    CardTableFile FTrackTable { QStringLiteral("a line file"),
        QStringLiteral("the missing lines were cleared") };
    int FRecordCount = 0;
    Lines FTrackData {};
    std::uint8_t FLastSectorRecord = 0;
    std::uint8_t FLogStartRecord = 0;
    std::uint8_t FLogStopRecord = 0;
};

} // namespace zel
