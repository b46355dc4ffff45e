#include "logger/TKROTrack.h"

namespace zel {

void TKROTrack::LoadTrackTable()
{
    CloseTrackTable();
    // Counters describe the file just read, never an earlier one.
    FRecordCount = 0;
    FLastSectorRecord = 0;
    FLogStartRecord = 0;
    FLogStopRecord = 0;
    FLoadWarning.clear();
    FTrackTable.open(FTrackFileName);
    const qint64 got = FTrackTable.read(FTrackData.data(), kFileSize);
    if (got < kFileSize) {
        FLoadWarning = QStringLiteral("\"%1\" holds only %2 of the %3 bytes of a line file; "
                                      "the missing lines were cleared.")
                           .arg(FTrackFileName, QString::number(got), QString::number(kFileSize));
    }
    for (int i = 0; i < kLineCount; ++i) {
        switch (FTrackData[std::size_t(i)].RecType) {
        case kStartFinishLine:
        case kSectorLine:
            FLastSectorRecord = std::uint8_t(i);
            ++FRecordCount;
            break;
        case kLogStartLine:
            FLogStartRecord = std::uint8_t(i);
            break;
        case kLogStopLine:
            FLogStopRecord = std::uint8_t(i);
            break;
        default:
            break;
        }
    }
    FActive = true;
    if (OnloadTable)
        OnloadTable();
}

void TKROTrack::SaveTrackTable()
{
    // The whole file is replaced at the path now chosen, so a save under another name
    // writes that file and never the one loaded earlier.
    CloseTrackTable();
    if (BeforeSaveTable)
        BeforeSaveTable();
    LoggerTableFile::writeFile(FTrackFileName,
        QByteArrayView(reinterpret_cast<const char *>(FTrackData.data()), kFileSize));
}

void TKROTrack::CloseTrackTable()
{
    FTrackTable.close();
    FActive = false;
}

void TKROTrack::CreateTrackTable()
{
    CloseTrackTable();
    FRecordCount = 0;
    FTrackTable.create(FTrackFileName, {});
    FActive = true;
}

} // namespace zel
