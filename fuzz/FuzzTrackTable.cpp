// Any sector or message file must load with counters that describe its own records, and a
// save must write back exactly what memory holds.

#include "FuzzInputFile.h"
#include "logger/LoggerTableError.h"
#include "logger/TKROTrack.h"

#include <cstring>

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeFuzzInput(QStringLiteral("Track.prc"), data, size);
    TKROTrack track;
    track.setTrackFileName(path);
    try {
        track.LoadTrackTable();
    } catch (const LoggerTableError &) {
        __builtin_trap();
    }
    if (track.wasShort() != (size < std::size_t(TKROTrack::kFileSize)))
        __builtin_trap();

    int lines = 0;
    int descriptions = 0;
    for (const TrackLine &line : track.TrackData()) {
        lines += line.RecType == kStartFinishLine || line.RecType == kSectorLine;
        descriptions += line.Description.toString().size();
    }
    if (track.RecordCount() != lines || descriptions > 256 * 31)
        __builtin_trap();
    const int last = track.TrackData()[track.LastSectorRecord()].RecType;
    if (lines > 0 && last != kStartFinishLine && last != kSectorLine)
        __builtin_trap();

    track.SaveTrackTable();
    QFile saved(path);
    if (!saved.open(QIODevice::ReadOnly))
        __builtin_trap();
    const QByteArray bytes = saved.readAll();
    if (bytes.size() != TKROTrack::kFileSize
        || std::memcmp(bytes.constData(), track.TrackData().data(), std::size_t(bytes.size())) != 0)
        __builtin_trap();
    return 0;
}
