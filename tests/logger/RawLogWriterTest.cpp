#include "logger/LogFileError.h"
#include "logger/RawLogWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <stdexcept>

using namespace zel;

namespace {

QByteArray expectedEmptyHeader()
{
    QByteArray header(2307, '\0');
    std::memset(header.data() + 2259, 255, 48);
    return header;
}

TEST(RawLogWriter, HeaderForFifteenChannelsIsByteExact)
{
    QStringList names;
    for (int j = 0; j < 15; ++j)
        names << QStringLiteral("Channel %1").arg(j);
    const QByteArray bytes = RawLogWriter(names).bytes();

    QByteArray expected = expectedEmptyHeader();
    expected[0] = 15;
    expected[1] = char(140);
    expected[2] = 0;
    for (int j = 0; j < 15; ++j) {
        const QByteArray name = names[j].toLatin1();
        expected[675 + 32 * j] = char(name.size());
        std::memcpy(expected.data() + 675 + 32 * j + 1, name.constData(), name.size());
        expected[2211 + j] = 4;
        expected[2259 + j] = char(j);
    }
    EXPECT_EQ(bytes, expected);
}

TEST(RawLogWriter, ChannelNumbersPickTheDataSizeEntries)
{
    const RawLogWriter writer({"RPM", "Speed", "Throttle"}, {0, 2, 5});
    const QByteArray bytes = writer.bytes();
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[1], char(92));
    const QByteArray dataSize = bytes.mid(2211, 6);
    EXPECT_EQ(dataSize, QByteArray("\x04\x00\x04\x00\x00\x04", 6));
    EXPECT_EQ(bytes.mid(2259, 4), QByteArray("\x00\x02\x05\xff", 4));
    EXPECT_EQ(writer.header().ChannelNames[2].toString(), QStringLiteral("Throttle"));
}

TEST(RawLogWriter, RefusesChannelListsTheHeaderCannotHold)
{
    const QStringList fortyEight(48, QStringLiteral("x"));
    EXPECT_THROW(RawLogWriter {fortyEight}, std::invalid_argument);
    EXPECT_NO_THROW(RawLogWriter {fortyEight.mid(1)});
    EXPECT_THROW(RawLogWriter({"a", "b"}, {3, 3}), std::invalid_argument);
    EXPECT_THROW(RawLogWriter({"a", "b"}, {3, 1}), std::invalid_argument);
    EXPECT_THROW(RawLogWriter({"a"}, {48}), std::invalid_argument);
    EXPECT_THROW(RawLogWriter({"a"}, {-1}), std::invalid_argument);
    EXPECT_THROW(RawLogWriter({"a", "b"}, {1}), std::invalid_argument);
}

TEST(RawLogWriter, RecordsTakeTheHeadersRecordLength)
{
    TLogRecord record;
    std::memset(&record, 0x11, sizeof record);
    const QByteArray whole(reinterpret_cast<const char *>(&record), sizeof record);

    RawLogWriter writer({"a", "b", "c"});
    writer.appendRecord(record);
    writer.header().LogRecordLength = 300;
    writer.appendRecord(record);
    const QByteArray bytes = writer.bytes();
    ASSERT_EQ(bytes.size(), 2307 + 92 + 300);
    EXPECT_EQ(bytes.mid(2307, 92), whole.left(92));
    EXPECT_EQ(bytes.mid(2307 + 92, 268), whole);
    EXPECT_EQ(bytes.mid(2307 + 92 + 268), QByteArray(32, '\0'));
}

TEST(RawLogWriter, SaveWritesTheBytesOrReportsTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RawLogWriter writer({"a"});
    TLogRecord record {};
    record.RecordID = 1;
    writer.appendRecord(record);

    const QString file = dir.filePath(QStringLiteral("run.Dsh"));
    writer.save(file);
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), writer.bytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {"run.Dsh"});

    const QString bad = dir.filePath(QStringLiteral("missing/run.Dsh"));
    try {
        writer.save(bad);
        ADD_FAILURE() << "saved";
    } catch (const LogFileError &e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).startsWith("Cannot write \"" + bad
                                                                 + "\": "));
    }
}

} // namespace
