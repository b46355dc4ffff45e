#include "LoggerTableFixtures.h"
#include "logger/LoggerTableError.h"
#include "logger/TKROTrack.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace zel;
using namespace fixtures;

namespace {

constexpr int kLine = 105;
constexpr int kFile = 256 * kLine;

class KROTrackTest : public TableTest
{
protected:
    /// A line file with the given kinds at the given records; every record knows its index.
    static QByteArray lineFile(std::initializer_list<std::pair<int, int>> kinds)
    {
        QByteArray file(kFile, '\0');
        for (int i = 0; i < 256; ++i)
            file[i * kLine] = char(i);
        for (auto [record, kind] : kinds)
            file[record * kLine + 1] = char(kind);
        return file;
    }

    void load(TKROTrack &track, const QString &name)
    {
        track.setTrackFileName(path(name));
        track.LoadTrackTable();
    }
};

TEST_F(KROTrackTest, FieldsSitAtTheirRecordOffsets)
{
    QByteArray file = lineFile({ { 7, 2 } });
    const int r = 7 * kLine;
    put<double>(file, r + 2, 1.5);
    put<double>(file, r + 10, -2.5);
    put<double>(file, r + 18, 3.5);
    put<double>(file, r + 26, 4.5);
    put<double>(file, r + 34, 0.75);
    put<double>(file, r + 42, 99.0);
    put<std::uint16_t>(file, r + 50, 513);
    putText(file, r + 52, 32, "Pit in");
    put<double>(file, r + 84, 31.25);
    file[r + 92] = 'x';
    file[r + 104] = 2;
    writeAll(path("Track.prc"), file);

    TKROTrack track;
    int loads = 0;
    QObject::connect(&track, &TKROTrack::OnloadTable, [&] { ++loads; });
    load(track, "Track.prc");
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(track.active());
    const TrackLine &line = track.TrackData()[7];
    EXPECT_EQ(line.index, 7);
    EXPECT_EQ(line.RecType, kSectorLine);
    EXPECT_EQ(line.X1, 1.5);
    EXPECT_EQ(line.Y1, -2.5);
    EXPECT_EQ(line.X2, 3.5);
    EXPECT_EQ(line.Y2, 4.5);
    EXPECT_EQ(line.Slope, 0.75);
    EXPECT_EQ(line.distance, 99.0);
    EXPECT_EQ(line.Trigger, 513);
    EXPECT_EQ(line.Description.toString(), QLatin1String("Pit in"));
    EXPECT_EQ(line.TargetTime, 31.25);
    EXPECT_EQ(line.Reserved[0], 'x');
    EXPECT_EQ(line.PointsSet, 2);
}

TEST_F(KROTrackTest, EachLoadCountsTheLinesOfItsOwnFile)
{
    writeAll(
        path("A.prc"), lineFile({ { 0, 1 }, { 1, 2 }, { 2, 2 }, { 7, 3 }, { 9, 4 }, { 12, 5 } }));
    writeAll(path("B.prc"), lineFile({ { 0, 1 } }));
    TKROTrack track;
    load(track, "A.prc");
    EXPECT_EQ(track.RecordCount(), 3);
    EXPECT_EQ(track.LastSectorRecord(), 2);
    EXPECT_EQ(track.LogStartRecord(), 7);
    EXPECT_EQ(track.LogStopRecord(), 9);

    track.CloseTrackTable();
    load(track, "B.prc");
    EXPECT_EQ(track.RecordCount(), 1);
    EXPECT_EQ(track.LastSectorRecord(), 0);
    EXPECT_EQ(track.LogStartRecord(), 0);
    EXPECT_EQ(track.LogStopRecord(), 0);

    // Loading again without closing reads the file afresh, too.
    load(track, "A.prc");
    EXPECT_EQ(track.RecordCount(), 3);
}

TEST_F(KROTrackTest, SaveWritesBackEveryByteAndEndsInactive)
{
    const QByteArray file = noise(kFile, 1);
    writeAll(path("Track.msg"), file);
    TKROTrack track;
    load(track, "Track.msg");
    int saves = 0;
    QObject::connect(&track, &TKROTrack::BeforeSaveTable, [&] { ++saves; });
    track.SaveTrackTable();
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(track.active());
    EXPECT_EQ(readAll(path("Track.msg")), file);
}

TEST_F(KROTrackTest, SaveOfANewTableCreatesTheFileFromMemory)
{
    TKROTrack track;
    track.setTrackFileName(path("New.prc"));
    track.SaveTrackTable();
    EXPECT_EQ(readAll(path("New.prc")), QByteArray(kFile, '\0'));

    track.TrackData()[3].RecType = kStartFinishLine;
    track.SaveTrackTable();
    EXPECT_EQ(readAll(path("New.prc"))[3 * kLine + 1], 1);
}

TEST_F(KROTrackTest, SaveUnderAnotherNameWritesThatFile)
{
    const QByteArray a = lineFile({ { 0, 1 } });
    const QByteArray b = noise(kFile, 2);
    writeAll(path("A.prc"), a);
    writeAll(path("B.prc"), b);
    TKROTrack track;
    load(track, "A.prc");
    track.TrackData()[1].RecType = kSectorLine;
    track.setTrackFileName(path("B.prc"));
    track.SaveTrackTable();

    QByteArray expected = a;
    expected[kLine + 1] = 2;
    EXPECT_EQ(readAll(path("B.prc")), expected);
    EXPECT_EQ(readAll(path("A.prc")), a);
}

TEST_F(KROTrackTest, CloseDiscardsEditsAndMemorySurvives)
{
    const QByteArray file = lineFile({ { 0, 1 } });
    writeAll(path("A.prc"), file);
    TKROTrack track;
    load(track, "A.prc");
    track.TrackData()[0].TargetTime = 12.5;
    track.CloseTrackTable();
    EXPECT_FALSE(track.active());
    EXPECT_EQ(readAll(path("A.prc")), file);
    EXPECT_EQ(track.TrackData()[0].TargetTime, 12.5);
}

TEST_F(KROTrackTest, CreateEmptiesTheFileAndBecomesActive)
{
    writeAll(path("A.prc"), noise(kFile, 3));
    TKROTrack track;
    track.setRecordCount(9);
    track.setTrackFileName(path("A.prc"));
    track.CreateTrackTable();
    EXPECT_TRUE(track.active());
    EXPECT_EQ(track.RecordCount(), 0);
    EXPECT_EQ(QFileInfo(path("A.prc")).size(), 0);
}

TEST_F(KROTrackTest, HostileFilesStayInsideTheirRecords)
{
    TKROTrack track;
    writeAll(path("A.prc"), noise(kFile, 4));
    load(track, "A.prc");

    // Short: what the file lacks is cleared, not kept from the file before.
    QByteArray shortFile = lineFile({ { 0, 1 }, { 1, 2 } }).left(2 * kLine + 50);
    shortFile[52] = char(255); // Description length byte of record 0
    writeAll(path("Short%2.prc"), shortFile);
    load(track, "Short%2.prc");
    EXPECT_TRUE(track.wasShort());
    EXPECT_TRUE(track.loadWarning().contains(path("Short%2.prc")));
    EXPECT_EQ(track.RecordCount(), 2);
    EXPECT_EQ(track.LastSectorRecord(), 1);
    EXPECT_EQ(track.TrackData()[0].Description.toString().size(), 31);
    const auto *bytes = reinterpret_cast<const unsigned char *>(track.TrackData().data());
    EXPECT_TRUE(std::all_of(bytes + 2 * kLine + 50, bytes + kFile, [](auto b) { return b == 0; }));

    // Oversized: the 256 records are read, nothing beyond.
    const QByteArray big = noise(kFile + 333, 5);
    writeAll(path("Big.prc"), big);
    load(track, "Big.prc");
    EXPECT_FALSE(track.wasShort());
    EXPECT_EQ(std::memcmp(track.TrackData().data(), big.constData(), kFile), 0);
}

TEST_F(KROTrackTest, FileErrorsNameTheFile)
{
    TKROTrack track;
    track.setTrackFileName(path("missing.prc"));
    EXPECT_THROW(track.LoadTrackTable(), LoggerTableError);
    EXPECT_FALSE(track.active());

    track.setTrackFileName(path("no/such/folder/A.prc"));
    try {
        track.SaveTrackTable();
        FAIL() << "no error";
    } catch (const LoggerTableError &e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path("no/such/folder/A.prc")));
    }
}

} // namespace
