#include "LoggerTableFixtures.h"
#include "logger/LoggerChannelCount.h"
#include "logger/LoggerTableError.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace zel;
using namespace fixtures;

namespace {

constexpr int kRecord = 722;
constexpr int kFile = 48 * kRecord;

class TranslationsTest : public TableTest
{
protected:
    /// Loads a file of noise whose records carry their own name, and returns its bytes.
    QByteArray loadNoise(TTranslations &table, unsigned seed)
    {
        QByteArray file = noise(kFile, seed);
        for (int i = 0; i < 48; ++i) {
            putText(file, i * kRecord + 3, 32, QStringLiteral("Name %1").arg(i).toLatin1());
            putText(file, i * kRecord + 35, 8, "bar");
        }
        writeAll(path("Translation.prm"), file);
        table.setTranslationFileName(path("Translation.prm"));
        table.LoadTranslationTables();
        return file;
    }
};

TEST_F(TranslationsTest, FieldsSitAtTheirRecordOffsets)
{
    QByteArray file(kFile, '\0');
    const int r = 5 * kRecord;
    file[r + 0] = 5;
    file[r + 1] = 1;
    file[r + 2] = 1;
    putText(file, r + 3, 32, "Oil Press");
    putText(file, r + 35, 8, "bar");
    file[r + 45] = 3;
    put<std::uint16_t>(file, r + 46 + 2 * 2, 1023);
    put<float>(file, r + 186 + 2 * 4, 10.5f);
    file[r + 466] = 3;
    put<float>(file, r + 468, 2.5f);
    file[r + 488] = 7;
    put<float>(file, r + 502, 4.0f);
    put<float>(file, r + 506, 0.6f);
    put<float>(file, r + 510, 3.9f);
    file[r + 721] = 9;
    writeAll(path("Translation.prm"), file);

    TTranslations table;
    int loads = 0;
    QObject::connect(&table, &TTranslations::OnloadTable, [&] { ++loads; });
    table.setTranslationFileName(path("Translation.prm"));
    table.LoadTranslationTables();
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(table.active());
    const TTranslation &t = table.record(5);
    EXPECT_EQ(t.ChannelNumber, 5);
    EXPECT_EQ(t.Active, 1);
    EXPECT_EQ(t.TranslationMode, 1);
    EXPECT_EQ(t.Name.toString(), QLatin1String("Oil Press"));
    EXPECT_EQ(t.UOM.toString(), QLatin1String("bar"));
    EXPECT_EQ(t.pointCount(), 3);
    EXPECT_EQ(t.DigitalValue[2], 1023);
    EXPECT_EQ(t.TranslationValue[2], 10.5f);
    EXPECT_EQ(t.Condition_AB, 3);
    EXPECT_EQ(t.Value_A, 2.5f);
    EXPECT_EQ(t.AvgLevel, 7);
    EXPECT_EQ(t.pulsesPerRevolution(), 4.0f);
    EXPECT_EQ(t.wheelDiameter(), 0.6f);
    EXPECT_EQ(t.differentialRatio(), 3.9f);
    EXPECT_EQ(t.Spare[150], 9);
    EXPECT_THROW(table.record(48), std::out_of_range);
    EXPECT_THROW(table.record(-1), std::out_of_range);

    // The calculator setters write the same three record offsets.
    table.record(6).setPulsesPerRevolution(2.0f);
    table.record(6).setWheelDiameter(0.5f);
    table.record(6).setDifferentialRatio(4.1f);
    table.CloseTranslationTables();
    const QByteArray saved = readAll(path("Translation.prm"));
    EXPECT_EQ(get<float>(saved, 6 * kRecord + 502), 2.0f);
    EXPECT_EQ(get<float>(saved, 6 * kRecord + 506), 0.5f);
    EXPECT_EQ(get<float>(saved, 6 * kRecord + 510), 4.1f);
}

TEST_F(TranslationsTest, PointCountNeverExceedsTheSeventyPoints)
{
    TTranslation t {};
    for (auto [stored, used] :
        { std::pair { 0, 0 }, { 11, 11 }, { 70, 70 }, { 71, 70 }, { 255, 70 } }) {
        t.ColumnCount = std::uint8_t(stored);
        EXPECT_EQ(t.pointCount(), used) << stored;
    }
}

TEST_F(TranslationsTest, SaveWithAllChannelsChangesOnlyTheChannelNumbers)
{
    TTranslations table;
    const QByteArray file = loadNoise(table, 1);
    int saves = 0;
    QObject::connect(&table, &TTranslations::BeforeSaveTable, [&] { ++saves; });
    table.SaveTranslationTables();
    EXPECT_EQ(saves, 1);

    QByteArray expected = file;
    for (int i = 0; i < 48; ++i)
        expected[i * kRecord] = char(i);
    EXPECT_EQ(readAll(path("Translation.prm")), expected);
}

TEST_F(TranslationsTest, SaveRenamesTheRecordsBeyondTheChannelCount)
{
    setLoggerChannelCount(20);
    TTranslations table;
    const QByteArray file = loadNoise(table, 2);
    table.SaveTranslationTables();

    QByteArray expected = file;
    for (int i = 0; i < 48; ++i) {
        const int r = i * kRecord;
        if (i < 20) {
            expected[r] = char(i);
            continue;
        }
        expected[r] = char(255);
        putText(expected, r + 3, 32, QStringLiteral("Channel_%1").arg(i + 1).toLatin1());
        putText(expected, r + 35, 8, "U.O.M");
    }
    EXPECT_EQ(readAll(path("Translation.prm")), expected);
}

// A transient change of the shared count (a second settings component, a list being
// chosen elsewhere) must not rename this card's channels.
TEST_F(TranslationsTest, SaveUsesTheChannelCountOfItsOwnCard)
{
    QByteArray settingsFile(2723, '\0');
    settingsFile[283] = 1; // 5 GPS channels
    writeAll(path("Settings.prm"), settingsFile);
    TKROSettings settings;
    settings.setSettingsFileName(path("Settings.prm"));
    settings.LoadSettingsTable();

    TTranslations table;
    table.setSettings(&settings);
    loadNoise(table, 3);
    TKROSettings other; // resets the shared count to 0
    ASSERT_EQ(LoggerChannelCount(), 0);
    EXPECT_EQ(table.channelCount(), 5);
    table.CloseTranslationTables();

    const QByteArray saved = readAll(path("Translation.prm"));
    EXPECT_EQ(saved[4 * kRecord + 4], 'N'); // "Name 4" kept
    EXPECT_EQ(saved[4 * kRecord], 4);
    EXPECT_EQ(quint8(saved[5 * kRecord]), 255);
    EXPECT_EQ(saved.mid(5 * kRecord + 3, 10),
        QByteArray("\x09"
                   "Channel_6"));

    // Once its settings are closed, the shared count is all there is.
    settings.CloseSettingsTable();
    EXPECT_EQ(table.channelCount(), 0);
}

TEST_F(TranslationsTest, CreateWritesFreshRecordsAndKeepsTheRestOfMemory)
{
    setLoggerChannelCount(3);
    TTranslations table;
    table.setChannelNames({ "GPS Lon G-Force", "GPS Lat G-Force" }); // one name short
    table.record(0).AvgLevel = 4;
    table.record(0).ColumnCount = 70;
    table.record(0).DigitalValue[69] = 999;
    table.record(30).Value_B = 1.5f;
    bool loaded = false;
    QObject::connect(&table, &TTranslations::OnloadTable, [&] { loaded = true; });
    table.setTranslationFileName(path("Translation.prm"));
    table.CreateTranslationTables();
    EXPECT_TRUE(table.active());
    EXPECT_FALSE(loaded);

    const QByteArray saved = readAll(path("Translation.prm"));
    ASSERT_EQ(saved.size(), kFile);
    EXPECT_EQ(std::memcmp(saved.constData(), table.TranslationTables().data(), kFile), 0);
    const TTranslation &first = table.record(0);
    EXPECT_EQ(first.ChannelNumber, 0);
    EXPECT_EQ(first.Name.toString(), QLatin1String("GPS Lon G-Force"));
    EXPECT_EQ(first.UOM.toString(), QLatin1String("U.O.M"));
    EXPECT_EQ(first.ColumnCount, 11);
    EXPECT_EQ(first.DigitalValue[69], 0);
    EXPECT_EQ(first.AvgLevel, 4);
    EXPECT_EQ(table.record(2).ChannelNumber, 2);
    EXPECT_EQ(table.record(2).Name.length(), 0);
    EXPECT_EQ(table.record(3).ChannelNumber, 255);
    EXPECT_EQ(table.record(3).Name.toString(), QLatin1String("Channel_4"));
    EXPECT_EQ(table.record(30).Value_B, 1.5f);
}

TEST_F(TranslationsTest, MovesShiftRecordsWithinTheTable)
{
    TTranslations table;
    loadNoise(table, 4);
    const TTranslations::Records before = table.TranslationTables();
    const auto same = [](const TTranslation &a, const TTranslation &b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    const auto unchanged
        = [&] { return std::memcmp(table.TranslationTables().data(), before.data(), kFile) == 0; };

    for (int start : { 47, 48, -1, 1000 }) {
        table.MoveDownOne(start);
        EXPECT_TRUE(unchanged()) << "down " << start;
    }
    for (int start : { 47, -1, 1000 }) {
        table.MoveUpOne(start);
        EXPECT_TRUE(unchanged()) << "up " << start;
    }

    table.MoveDownOne(0);
    EXPECT_TRUE(same(table.record(0), before[0]));
    EXPECT_TRUE(same(table.record(1), before[0]));
    EXPECT_TRUE(same(table.record(47), before[46]));

    table.TranslationTables() = before;
    table.MoveUpOne(10);
    EXPECT_TRUE(same(table.record(9), before[9]));
    EXPECT_TRUE(same(table.record(10), before[11]));
    EXPECT_TRUE(same(table.record(46), before[47]));
    EXPECT_TRUE(same(table.record(47), before[47]));

    table.CloseTranslationTables();
    const TTranslations::Records closed = table.TranslationTables();
    table.MoveDownOne(0);
    table.MoveUpOne(0);
    EXPECT_EQ(std::memcmp(table.TranslationTables().data(), closed.data(), kFile), 0) << "inactive";
}

TEST_F(TranslationsTest, ShortFileClearsWhatItLacksAndSaysSo)
{
    TTranslations table;
    loadNoise(table, 5);
    table.CloseTranslationTables();
    writeAll(path("Short%2.prm"), noise(kRecord + 100, 6));
    table.setTranslationFileName(path("Short%2.prm"));
    table.LoadTranslationTables();

    EXPECT_TRUE(table.wasShort());
    EXPECT_TRUE(table.loadWarning().contains(path("Short%2.prm")));
    const auto *bytes = reinterpret_cast<const unsigned char *>(table.TranslationTables().data());
    EXPECT_TRUE(std::all_of(bytes + kRecord + 100, bytes + kFile, [](auto b) { return b == 0; }));
}

TEST_F(TranslationsTest, OversizedFileAndBadLengthBytesStayInsideTheirFields)
{
    QByteArray file = noise(kFile + 1000, 7);
    file[3] = char(255); // Name length of record 0
    file[35] = char(200); // UOM length of record 0
    writeAll(path("Translation.prm"), file);
    TTranslations table;
    table.setTranslationFileName(path("Translation.prm"));
    table.LoadTranslationTables();
    EXPECT_FALSE(table.wasShort());
    EXPECT_EQ(table.record(0).Name.toString().size(), 31);
    EXPECT_EQ(table.record(0).UOM.toString().size(), 7);
    EXPECT_EQ(std::memcmp(table.TranslationTables().data(), file.constData(), kFile), 0);
}

TEST_F(TranslationsTest, MissingFileFailsNamingItAndStaysInactive)
{
    TTranslations table;
    table.setTranslationFileName(path("Translation.prm"));
    try {
        table.LoadTranslationTables();
        FAIL() << "no error";
    } catch (const LoggerTableError &e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path("Translation.prm")));
    }
    EXPECT_FALSE(table.active());
    table.CloseTranslationTables();
    EXPECT_FALSE(QFileInfo::exists(path("Translation.prm")));
}

TEST_F(TranslationsTest, CloseWritesToTheLoadedFileOnlyWhileActive)
{
    TTranslations table;
    const QByteArray file = loadNoise(table, 8);
    table.setTranslationFileName(path("Other.prm"));
    table.record(0).AvgLevel = 9;
    table.CloseTranslationTables();
    EXPECT_EQ(quint8(readAll(path("Translation.prm"))[488]), 9);
    EXPECT_FALSE(QFileInfo::exists(path("Other.prm")));

    // Closed: neither save nor close touches the file again.
    const QByteArray closed = readAll(path("Translation.prm"));
    table.record(0).AvgLevel = 1;
    table.SaveTranslationTables();
    table.CloseTranslationTables();
    EXPECT_EQ(readAll(path("Translation.prm")), closed);
}

} // namespace
