#include "logger/RawLogWriter.h"
#include "logger/TLogFile.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;

namespace {

constexpr int kHeader = 2307;

template<typename T>
void put(QByteArray &bytes, qsizetype offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

TLogRecord recordWithId(quint32 id)
{
    TLogRecord record {};
    record.RecordID = id;
    return record;
}

/// A header for `channels` positions followed by records carrying the given RecordIDs.
QByteArray rawLog(const std::vector<quint32> &ids, int channels = 3)
{
    QStringList names;
    for (int j = 0; j < channels; ++j)
        names << QStringLiteral("Ch%1").arg(j);
    RawLogWriter writer(names);
    for (quint32 id : ids)
        writer.appendRecord(recordWithId(id));
    return writer.bytes();
}

bool isAllZero(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(data);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

class TLogFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QObject::connect(&reader, &TLogFile::AfterReadLogRecord,
            [this] { events.push_back(quint32(reader.record().RecordID)); });
        QObject::connect(&reader, &TLogFile::AfterOpenLog, [this] { ++opens; });
    }

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("log.Dsh"))
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return file.fileName();
    }

    // Opening fails naming the file and the fault in its header, and leaves the reader closed.
    void expectRefused(const QString &file, const QString &refusal)
    {
        try {
            open(file);
            ADD_FAILURE() << "opened";
        } catch (const LogFileError &e) {
            EXPECT_EQ(QString::fromStdString(e.what()),
                '"' + file + "\" is not a KRO log: invalid log header: " + refusal);
        }
        EXPECT_FALSE(reader.active());
    }

    void open(const QString &fileName)
    {
        reader.setLogFileName(fileName);
        reader.OpenLogFile();
    }

    /// The calling order the import uses; returns how many reads it took.
    int walk()
    {
        int reads = 1;
        reader.First();
        while (!reader.EOL()) {
            reader.ReadLogRecord();
            ++reads;
        }
        return reads;
    }

    QTemporaryDir dir;
    TLogFile reader;
    std::vector<quint32> events;
    int opens = 0;
};

TEST_F(TLogFileTest, HeaderFieldsAreReadAtTheirOffsets)
{
    // Printable noise everywhere, so that the header still reads as one a dash could write.
    QByteArray image(kHeader, '\0');
    for (int k = 0; k < kHeader; ++k)
        image[k] = char(0x20 + (k * 31 + 7) % 95);
    put<quint16>(image, 1, 0x0104);
    put<quint16>(image, 7, 0xBEEF);
    put<double>(image, 667, 45000.25);
    image[59] = char(255); // Vehicle: a length byte past the field reads 47 characters
    image[675 + 5 * 32] = char(255); // ChannelNames[5]: reads 31 characters
    image[675 + 2 * 32] = 3;
    std::memcpy(image.data() + 675 + 2 * 32 + 1, "RPM", 3);
    image[2259 + 2] = char(255); // position 2 unused even though it has a name
    open(write(image));
    const TDataDictionary &h = reader.header();

    struct Field
    {
        const char *name;
        int offset;
        int size;
        const void *data;
    };
    const Field fields[] = {
        {"NumberOfChannels", 0, 1, &h.NumberOfChannels},
        {"LogRecordLength", 1, 2, &h.LogRecordLength},
        {"Spare1", 3, 4, &h.Spare1},
        {"LastLap", 7, 2, &h.LastLap},
        {"CompletedLog", 9, 1, &h.CompletedLog},
        {"TrackSectors", 10, 1, &h.TrackSectors},
        {"TrackName", 11, 48, &h.TrackName},
        {"Vehicle", 59, 48, &h.Vehicle},
        {"DriverName", 107, 48, &h.DriverName},
        {"TrackConditiion", 155, 256, &h.TrackConditiion},
        {"WeatherCondition", 411, 256, &h.WeatherCondition},
        {"Date", 667, 8, &h.Date},
        {"ChannelNames[0]", 675, 32, &h.ChannelNames[0]},
        {"ChannelNames[47]", 675 + 47 * 32, 32, &h.ChannelNames[47]},
        {"DataSize", 2211, 48, &h.DataSize},
        {"LogChannels", 2259, 48, &h.LogChannels},
    };
    for (const Field &f : fields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(std::memcmp(f.data, image.constData() + f.offset, std::size_t(f.size)), 0);
    }
    EXPECT_EQ(quint16(h.LogRecordLength), 0x0104);
    EXPECT_EQ(quint16(h.LastLap), 0xBEEF);
    EXPECT_EQ(double(h.Date), 45000.25);
    EXPECT_EQ(h.Vehicle.toString().size(), 47);
    EXPECT_EQ(h.ChannelNames[5].toString().size(), 31);
    EXPECT_EQ(h.ChannelNames[2].toString(), QStringLiteral("RPM"));
    EXPECT_EQ(h.LogChannels[2], kUnusedPosition);
    EXPECT_EQ(reader.LogSize(), quint32(kHeader));
}

TEST_F(TLogFileTest, RecordFieldsAreReadAtTheirOffsets)
{
    QByteArray image = rawLog({}, 47);
    QByteArray rec(268, '\0');
    for (int k = 0; k < rec.size(); ++k)
        rec[k] = char((k * 13 + 1) & 0xFF);
    put<float>(rec, 16, 61.25f);
    put<qint32>(rec, 52, -51234567);
    put<float>(rec, 76 + 46 * 4, 7.5f);
    image += rec;
    open(write(image));
    reader.First();
    ASSERT_EQ(events.size(), 1u);
    const TLogRecord &r = reader.record();

    struct Field
    {
        const char *name;
        int offset;
        int size;
        const void *data;
    };
    const Field fields[] = {
        {"RecordID", 0, 4, &r.RecordID},
        {"LapNumber", 4, 2, &r.LapNumber},
        {"LapCounter", 6, 2, &r.LapCounter},
        {"LapMarker", 8, 1, &r.LapMarker},
        {"ChannelCount", 9, 1, &r.ChannelCount},
        {"LapID", 12, 4, &r.LapID},
        {"LapTime", 16, 4, &r.LapTime},
        {"LapRunningTime", 20, 4, &r.LapRunningTime},
        {"LapDifference", 24, 4, &r.LapDifference},
        {"SectorNumber", 28, 1, &r.SectorNumber},
        {"SectorMarker", 32, 1, &r.SectorMarker},
        {"SectorTime", 36, 4, &r.SectorTime},
        {"SectorRunningTime", 40, 4, &r.SectorRunningTime},
        {"SectorDifference", 44, 4, &r.SectorDifference},
        {"TrackTime", 48, 4, &r.TrackTime},
        {"GPSLat", 52, 4, &r.GPSLat},
        {"GPSLong", 56, 4, &r.GPSLong},
        {"GPSAlt", 60, 4, &r.GPSAlt},
        {"GPSSpeed", 64, 4, &r.GPSSpeed},
        {"LapDistance", 68, 4, &r.LapDistance},
        {"SectorDistance", 72, 4, &r.SectorDistance},
        {"ChannelData", 76, 192, &r.ChannelData},
    };
    for (const Field &f : fields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(std::memcmp(f.data, rec.constData() + f.offset, std::size_t(f.size)), 0);
    }
    EXPECT_EQ(float(r.LapTime), 61.25f);
    EXPECT_EQ(qint32(r.GPSLat), -51234567);
    EXPECT_EQ(float(r.ChannelData[46]), 7.5f);
}

TEST_F(TLogFileTest, FifteenChannelRecordsAre140BytesWithPositionJAt76Plus4J)
{
    QByteArray image = rawLog({}, 15);
    for (quint32 id = 1; id <= 2; ++id) {
        QByteArray rec(140, '\0');
        put<quint32>(rec, 0, id);
        for (int j = 0; j < 15; ++j)
            put<float>(rec, 76 + 4 * j, float(100 * id + j));
        put<quint32>(rec, 136, 0xFFFFFFFF); // trailing bytes
        image += rec;
    }
    open(write(image));
    EXPECT_EQ(reader.header().NumberOfChannels, 15);
    EXPECT_EQ(quint16(reader.header().LogRecordLength), 140);
    reader.First();
    reader.ReadLogRecord();
    ASSERT_EQ(events, (std::vector<quint32> {1, 2}));
    for (int j = 0; j < 15; ++j)
        EXPECT_EQ(float(reader.record().ChannelData[j]), float(200 + j)) << "position " << j;
    EXPECT_TRUE(isAllZero(&reader.record().ChannelData[16], 32 * 4));
}

TEST_F(TLogFileTest, EndOfLogRules)
{
    struct Case
    {
        const char *name;
        std::vector<quint32> ids;
        QByteArray trailing;
        std::vector<quint32> expected;
    };
    QByteArray partial(50, '\0');
    put<quint32>(partial, 0, 3);
    const Case cases[] = {
        {"header only", {}, {}, {}},
        {"three records", {1, 2, 3}, {}, {1, 2, 3}},
        {"repeated id ends the log after the first", {1, 2, 2, 3}, {}, {1, 2}},
        {"first id 0 is an empty log", {0, 1, 2}, {}, {}},
        {"repeat at the start", {7, 7, 8}, {}, {7}},
        {"trailing partial record ends the log", {1, 2}, partial, {1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        open(write(rawLog(c.ids) + c.trailing));
        EXPECT_FALSE(reader.EOL());
        EXPECT_EQ(walk(), int(c.expected.size()) + 1);
        EXPECT_EQ(events, c.expected);
        EXPECT_TRUE(reader.EOL());
        EXPECT_EQ(quint32(reader.record().RecordID), c.expected.empty() ? 0 : c.expected.back());
        reader.ReadLogRecord(); // stays at the end
        EXPECT_EQ(events, c.expected);
        reader.CloseLogFile();
    }
}

TEST_F(TLogFileTest, FirstOnAHeaderOnlyLogLeavesTheRecordAllZeroAfterAnotherLog)
{
    QByteArray full = rawLog({}, 47);
    TLogRecord rec;
    std::memset(&rec, 0x5A, sizeof rec);
    rec.RecordID = 1;
    full.append(reinterpret_cast<const char *>(&rec), sizeof rec);
    open(write(full, QStringLiteral("a.Dsh")));
    reader.First();
    ASSERT_EQ(events.size(), 1u);

    open(write(rawLog({}, 3), QStringLiteral("b.Dsh"))); // closes a.Dsh first
    reader.First();
    EXPECT_TRUE(reader.EOL());
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(isAllZero(&reader.record(), sizeof(TLogRecord)));
    EXPECT_EQ(reader.header().NumberOfChannels, 3);
    EXPECT_EQ(opens, 2);
}

TEST_F(TLogFileTest, RecordLengthsMustFitTheChannelCount)
{
    struct Case
    {
        int channels;
        int length;
        QString refusal; ///< empty when the header is read
    };
    const Case cases[] = {
        { 3, 0, "record length 0" },
        { 3, 79, "record length 79" },
        { 0, 80, {} },
        { 3, 91, "record length 91 is too short for 3 channels" },
        { 3, 92, {} },
        { 3, 268, {} },
        { 47, 268, {} },
        { 48, 268, "record length 268 is too short for 48 channels" },
        { 48, 272, {} },
        { 3, 273, "record length 273, at most 272" },
        { 3, 65535, "record length 65535, at most 272" },
        { 49, 276, "49 channels, at most 48" },
        { 255, 300, "255 channels, at most 48" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, length " << c.length);
        events.clear();
        QByteArray image = rawLog({}, 3);
        image[0] = char(c.channels);
        put<quint16>(image, 1, quint16(c.length));
        for (quint32 id = 1; id <= 3; ++id) {
            QByteArray rec(c.length, char(0xAB)); // 0xAB marks bytes past the buffer
            if (c.length >= 4)
                put<quint32>(rec, 0, id);
            if (c.length >= 268)
                put<float>(rec, 264, float(id));
            image += rec;
        }
        const QString file = write(image);
        if (!c.refusal.isEmpty()) {
            expectRefused(file, c.refusal);
            EXPECT_TRUE(reader.EOL());
            EXPECT_EQ(opens, 0);
            continue;
        }
        open(file);
        walk();
        EXPECT_EQ(events, (std::vector<quint32> {1, 2, 3}));
        if (c.length >= 268) {
            EXPECT_EQ(float(reader.record().ChannelData[47]), 3.0f);
        } else {
            const auto *bytes = reinterpret_cast<const char *>(&reader.record());
            EXPECT_TRUE(isAllZero(bytes + c.length, std::size_t(268 - c.length)));
        }
        opens = 0;
        reader.CloseLogFile();
    }
}

TEST_F(TLogFileTest, FilesThatNoDashWritesAreRefused)
{
    // A saved session log and CSV texts renamed to ".Dsh": each would read as records of
    // garbage.
    QByteArray sqlite("SQLite format 3\0\x10\0\x01\x01\0\x40\x20\x20", 24);
    sqlite.append(8192 - sqlite.size(), '\0');
    const auto csv = [](const QByteArray &line) {
        QByteArray text;
        while (text.size() < 3 * kHeader)
            text += line;
        return text;
    };
    const auto logWith = [](auto edit) {
        RawLogWriter writer({ "RPM", "Oil", "Water" });
        edit(writer.header());
        writer.appendRecord(recordWithId(1));
        return writer.bytes();
    };
    struct Case
    {
        const char *name;
        QByteArray image;
        QString refusal; ///< empty when the log is read
    };
    const Case cases[] = {
        { "saved table", sqlite, "83 channels, at most 48" },
        { "csv", csv("RecordType,GPSLat,GPSLong\r\n2,,\r\n1,52000000,4000000\r\n"),
            "82 channels, at most 48" },
        { "quoted csv", csv("\"RecordType\",\"GPSLat\"\n1,2\n"),
            "record length 25938, at most 272" },
        { "csv of numbers", csv("0,1.5,2\n"), "record length 12588, at most 272" },
        { "escape in a channel name",
            logWith([](TDataDictionary &h) { h.ChannelNames[1].assign("Oil\x1b[2J"); }),
            "the name of channel position 1 holds control characters" },
        { "tab in a channel name",
            logWith([](TDataDictionary &h) { h.ChannelNames[2].assign("Water\tTemp"); }),
            "the name of channel position 2 holds control characters" },
        { "line break in the driver name",
            logWith([](TDataDictionary &h) { h.DriverName.assign("Car 7\nSaved C:/x.kro"); }),
            "the driver name holds control characters" },
        { "delete in the vehicle",
            logWith([](TDataDictionary &h) { h.Vehicle.assign("Kart\x7f"); }),
            "the vehicle holds control characters" },
        { "bell in the track condition",
            logWith([](TDataDictionary &h) { h.TrackConditiion.assign("Dry\a"); }),
            "the track condition holds control characters" },
        // What a dash writes: notes over several lines, NUL padding, characters past the
        // length byte that mean nothing, and an unused position's leftover name.
        { "notes over lines", logWith([](TDataDictionary &h) {
             h.TrackConditiion.assign("Dry\r\nWarm\ttrack");
             h.WeatherCondition.assign("Sunny\n");
         }),
            {} },
        { "padding and tails", logWith([](TDataDictionary &h) {
             h.TrackName.assign(QString::fromLatin1("Oulton\0\0", 8));
             h.Vehicle.Chars[40] = '\x1b';
             h.ChannelNames[10].assign("Spare");
         }),
            {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = write(c.image);
        if (c.refusal.isEmpty()) {
            open(file);
            EXPECT_EQ(walk(), 2);
            continue;
        }
        expectRefused(file, c.refusal);
    }
}

TEST_F(TLogFileTest, RefusedFilesNameTheFileAndLeaveTheReaderClosed)
{
    const QString good = write(rawLog({1, 2}), QStringLiteral("good.Dsh"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.Dsh"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.Dsh")));

    struct Case
    {
        QString file;
        QString message;
    };
    const QString tooShort = QStringLiteral(" is not a KRO log: the file is shorter than the "
                                            "2307-byte log header");
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing.Dsh")),
         QStringLiteral("Cannot open log file \"%1\": No such file or directory")},
        {dir.filePath(QStringLiteral("folder.Dsh")),
         QStringLiteral("\"%1\" is not a KRO log: not a regular file")},
        {fifo, QStringLiteral("\"%1\" is not a KRO log: not a regular file")},
        {write({}, QStringLiteral("empty.Dsh")), "\"%1\"" + tooShort},
        {write(rawLog({}).left(kHeader - 1), QStringLiteral("short.Dsh")), "\"%1\"" + tooShort},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        open(good);
        reader.First();
        try {
            open(c.file);
            ADD_FAILURE() << "opened";
        } catch (const LogFileError &e) {
            EXPECT_EQ(QString::fromStdString(e.what()), c.message.arg(c.file));
        }
        EXPECT_FALSE(reader.active());
        EXPECT_TRUE(reader.EOL());
        EXPECT_TRUE(isAllZero(&reader.header(), sizeof(TDataDictionary)));
        events.clear();
        reader.First();
        reader.Last();
        EXPECT_TRUE(events.empty());
    }
}

TEST_F(TLogFileTest, OpensAReadOnlyFileInAReadOnlyFolderAndWritesNothing)
{
    const QString folder = dir.filePath(QStringLiteral("card"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray bytes = rawLog({1, 2});
    const QString file = folder + QStringLiteral("/run.Dsh");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    const QDateTime modified = QFileInfo(file).lastModified();
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(file).constData(), 0444);
    ::chmod(QFile::encodeName(folder).constData(), 0555);

    // Root may write anything, so the reader runs as an unprivileged user for the check.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(3);
            try {
                open(file);
                walk();
                reader.Last();
                reader.CloseLogFile();
                std::_Exit(events == std::vector<quint32> {1, 2, 2} ? 0 : 1);
            } catch (const LogFileError &) {
                std::_Exit(2);
            }
        },
        ::testing::ExitedWithCode(0), "");

    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), bytes);
    EXPECT_EQ(QFileInfo(file).lastModified(), modified);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

TEST_F(TLogFileTest, ReadsOnlyTheRecordsPresentWhenOpened)
{
    const QString file = write(rawLog({1, 2, 3}));
    open(file);
    const QByteArray more = rawLog({4, 5}).mid(kHeader);
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::Append));
        out.write(more);
    }
    walk();
    EXPECT_EQ(events, (std::vector<quint32> {1, 2, 3}));
    EXPECT_EQ(reader.LogSize(), quint32(kHeader + 3 * 92));

    events.clear();
    open(file);
    walk();
    EXPECT_EQ(events, (std::vector<quint32> {1, 2, 3, 4, 5}));
}

TEST_F(TLogFileTest, LastReadsTheLastWholeRecord)
{
    QByteArray partial(91, '\0');
    put<quint32>(partial, 0, 9);
    struct Case
    {
        const char *name;
        QByteArray image;
        std::vector<quint32> expected;
    };
    const Case cases[] = {
        {"three records", rawLog({1, 2, 3}), {3}},
        {"repeated last id still reads", rawLog({1, 2, 2}), {2}},
        {"trailing partial record", rawLog({1, 2}) + partial, {2}},
        {"header only", rawLog({}), {}},
        {"less than one record", rawLog({}) + partial, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        open(write(c.image));
        reader.Last();
        EXPECT_TRUE(reader.EOL());
        EXPECT_EQ(events, c.expected);
        if (c.expected.empty()) {
            EXPECT_TRUE(isAllZero(&reader.record(), sizeof(TLogRecord)));
        }
        reader.ReadLogRecord();
        EXPECT_EQ(events, c.expected);
    }
}

TEST_F(TLogFileTest, LifecycleOfOpenFirstCloseAndTheClosedReader)
{
    reader.First();
    reader.ReadLogRecord();
    reader.Last();
    reader.CloseLogFile();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(reader.EOL());
    EXPECT_FALSE(reader.active());

    const QString file = write(rawLog({1, 2, 3}));
    open(file);
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(reader.active());
    EXPECT_TRUE(events.empty()); // opening reads no record
    reader.First();
    reader.ReadLogRecord();
    reader.First(); // restarts
    EXPECT_FALSE(reader.EOL());
    walk();
    EXPECT_EQ(events, (std::vector<quint32> {1, 2, 1, 1, 2, 3}));

    reader.First();
    reader.CloseLogFile();
    EXPECT_TRUE(reader.EOL());
    EXPECT_FALSE(reader.active());
    events.clear();
    reader.First();
    reader.ReadLogRecord();
    reader.Last();
    reader.CreateLogFile();
    reader.SaveLogRecord();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(QFile(file).size(), kHeader + 3 * 92);
}

TEST_F(TLogFileTest, CountsRecordsOfFilesBeyond4GiB)
{
    const QString file = write(rawLog({1}));
    const qint64 size = (qint64(5) << 30) + 1;
    const qint64 lastOffset = kHeader + (size - kHeader) / 92 * 92 - 92;
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::ReadWrite));
        if (!out.resize(size))
            GTEST_SKIP() << "no sparse file of 5 GiB here";
        const TLogRecord last = recordWithId(77);
        ASSERT_TRUE(out.seek(lastOffset));
        out.write(reinterpret_cast<const char *>(&last), 92);
    }
    open(file);
    EXPECT_EQ(reader.LogSize(), 0xFFFFFFFFu);
    reader.Last();
    EXPECT_EQ(events, (std::vector<quint32> {77}));
}

} // namespace

TEST_F(TLogFileTest, AListenerClosedMidWalkStopsHearingWhileTheOthersGoOn)
{
    open(write(rawLog({ 1, 2, 3 })));
    auto monitor = std::make_unique<QObject>();
    std::vector<quint32> seen;
    QObject::connect(&reader, &TLogFile::AfterReadLogRecord, monitor.get(),
        [&] { seen.push_back(quint32(reader.record().RecordID)); });
    reader.First();
    monitor.reset();
    reader.ReadLogRecord();
    reader.ReadLogRecord();
    EXPECT_EQ(seen, (std::vector<quint32> { 1 }));
    EXPECT_EQ(events, (std::vector<quint32> { 1, 2, 3 }));
}
