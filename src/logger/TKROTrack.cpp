#include "logger/TKROTrack.h"

namespace zel {

TKROTrack::TKROTrack(QObject *parent)
    : QObject(parent)
{ }

void TKROTrack::LoadTrackTable()
{
    // Counters describe the file just read, never an earlier one.
    FRecordCount = 0;
    FLastSectorRecord = 0;
    FLogStartRecord = 0;
    FLogStopRecord = 0;
    FTrackTable.load(FTrackFileName, FTrackData.data(), kFileSize);
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
    emit OnloadTable();
}

void TKROTrack::SaveTrackTable()
{
    // The whole file is replaced at the path now chosen, so a save under another name
    // writes that file and never the one loaded earlier.
    CloseTrackTable();
    emit BeforeSaveTable();
    LoggerTableFile::writeFile(FTrackFileName,
        QByteArrayView(reinterpret_cast<const char *>(FTrackData.data()), kFileSize));
}

void TKROTrack::CloseTrackTable()
{
    FTrackTable.close();
}

void TKROTrack::CreateTrackTable()
{
    FRecordCount = 0;
    FTrackTable.create(FTrackFileName, {});
}

} // namespace zel
