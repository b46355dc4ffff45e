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

constexpr int kSize = 2723;
constexpr int kHeader = 416;
constexpr int kHeaderNames = kHeader + 675;
constexpr int kDataSize = kHeader + 2211;
constexpr int kLogChannels = kHeader + 2259;

class KROSettingsTest : public TableTest
{
protected:
    /// Translation records named after their channel, linked to the settings.
    void linkTranslations(TKROSettings &settings)
    {
        for (int i = 0; i < TTranslations::kRecordCount; ++i)
            translations.record(i).Name.assign(QStringLiteral("Trn %1").arg(i));
        settings.setTranslation(&translations);
    }

    TTranslations translations;
};

struct ChannelListCase
{
    std::uint8_t feature, ecuMake, ecuModel, ecuFeature;
    int count;
    const char *first;
    const char *last;
    int startECUData;
};

TEST_F(KROSettingsTest, SetChannelsBuildsTheListOfTheDashAndEcu)
{
    const ChannelListCase cases[] = {
        { 3, 1, 1, 1, 47, "KRO Analogue 1", "Digital In 2", 16 },
        { 0, 2, 1, 1, 27, "ECU RPM", "ECU Ign Advance", 0 },
        { 1, 0, 0, 0, 5, "GPS Lon G-Force", "GPS Speed", 16 },
        { 4, 0, 0, 0, 13, "KRO Analogue 1", "Digital Input 3", 16 },
        { 2, 1, 2, 1, 26, "KRO Analogue 1", "ECU Battery Volts", 16 },
        { 5, 3, 1, 1, 24, "ECU RPM", "ECU Aux Out 4", 0 },
        { 0, 3, 2, 1, 31, "ECU RPM", "ECU Digital 5", 0 },
        { 1, 1, 1, 2, 5, "GPS Lon G-Force", "GPS Speed", 16 }, // no ECU list for feature 2
        { 0, 0, 0, 0, 0, nullptr, nullptr, 0 },
    };
    TKROSettings settings;
    for (const ChannelListCase &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.feature) << "/" << int(c.ecuMake) << ","
                                        << int(c.ecuModel) << "," << int(c.ecuFeature));
        settings.SetChannels(1, c.feature, c.ecuMake, c.ecuModel, c.ecuFeature);
        const QStringList &names = settings.ChannelNames();
        ASSERT_EQ(names.size(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(names.first(), QLatin1String(c.first));
            EXPECT_EQ(names.last(), QLatin1String(c.last));
        }
        EXPECT_EQ(settings.settings().StartECUData, c.startECUData);
        EXPECT_EQ(settings.settings().ChannelCount, c.count);
        EXPECT_EQ(LoggerChannelCount(), c.count);
        EXPECT_EQ(settings.Model(), 1);
        EXPECT_EQ(settings.Feature(), c.feature);
        EXPECT_EQ(settings.ECUMake(), c.ecuMake);
        EXPECT_EQ(settings.ECUModel(), c.ecuModel);
        EXPECT_EQ(settings.ECUFeature(), c.ecuFeature);
    }
}

TEST_F(KROSettingsTest, ListsKeepTheDashsOwnSpelling)
{
    TKROSettings settings;
    settings.setFeature(2);
    EXPECT_EQ(settings.ChannelNames().at(9), QLatin1String("KRl Pulse Counter 2"));
    settings.setFeature(3);
    EXPECT_EQ(settings.ChannelNames().at(7), QLatin1String("KRO Spare"));
    EXPECT_EQ(settings.ChannelNames().at(9), QLatin1String("KRO Pulse Counter 2"));
    settings.setFeature(4);
    EXPECT_EQ(settings.ChannelNames().at(9), QLatin1String("KRl Pulse Counter 2"));

    // Each code setter rebuilds the list at once.
    settings.setECUMake(1);
    settings.setECUModel(1);
    EXPECT_EQ(settings.ChannelNames().size(), 13);
    settings.setECUFeature(1);
    EXPECT_EQ(settings.ChannelNames().size(), 13 + 32);
    EXPECT_EQ(settings.ChannelNames().at(13), QLatin1String("ECU RPM"));
}

TEST_F(KROSettingsTest, NewComponentHasNoChannels)
{
    TKROSettings settings;
    EXPECT_TRUE(settings.ChannelNames().isEmpty());
    EXPECT_EQ(LoggerChannelCount(), 0);
    EXPECT_FALSE(settings.active());
}

// Load, then save: every byte the save does not own comes back as it was; the header is
// rebuilt from DataSize entries 4 at channels 0, 2 and 5.
TEST_F(KROSettingsTest, SaveRebuildsOnlyTheHeaderAndChannelCount)
{
    QByteArray file = noise(kSize, 1);
    putText(file, 0, 32, "Race 1");
    putText(file, 128, 132, "Storage Card\\Logs\\");
    put<std::uint16_t>(file, 270, 9);
    file[281] = 1;
    file[283] = 2;
    file[285] = 1;
    file[286] = 2;
    file[287] = 1;
    put<float>(file, 290, 1234.5f);
    file[294] = 3;
    put<std::uint16_t>(file, 311, 42);
    put<float>(file, 315, 0.25f);
    putText(file, kHeader + 107, 48, "CARD-7");
    std::memset(file.data() + kDataSize, 0, 48);
    file[kDataSize + 0] = 4;
    file[kDataSize + 2] = 4;
    file[kDataSize + 5] = 4;
    writeAll(path("Settings.prm"), file);

    TKROSettings settings;
    linkTranslations(settings);
    translations.record(2).Name.assign(QString(40, QLatin1Char('L')));
    translations.record(5).Name.Length = 200; // a damaged length byte
    std::memset(translations.record(5).Name.Chars, 'W', 31);
    int loads = 0;
    QObject::connect(&settings, &TKROSettings::OnloadTable, [&] { ++loads; });
    settings.setSettingsFileName(path("Settings.prm"));
    settings.LoadSettingsTable();

    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(settings.active());
    EXPECT_FALSE(settings.wasShort());
    const TSettings &s = settings.settings();
    EXPECT_EQ(s.Name.toString(), QLatin1String("Race 1"));
    EXPECT_EQ(s.Brightness, 9);
    EXPECT_EQ(s.StartValue, 1234.5f);
    EXPECT_EQ(s.StartChan, 3);
    EXPECT_EQ(s.LastLog, 42);
    EXPECT_EQ(s.MinTime, 0.25f);
    EXPECT_EQ(s.DataDict.DriverName.toString(), QLatin1String("CARD-7"));
    EXPECT_EQ(settings.ChannelNames().size(), 15 + 11);
    EXPECT_EQ(LoggerChannelCount(), 26);

    settings.SaveSettingsTable();

    QByteArray expected = file;
    put<std::uint16_t>(expected, 273, 26);
    expected[314] = 16;
    expected[kHeader] = 3;
    put<std::uint16_t>(expected, kHeader + 1, 76 + 12 + 4);
    std::memset(expected.data() + kHeaderNames, 0, 48 * 32);
    putText(expected, kHeaderNames, 32, "Trn 0");
    putText(expected, kHeaderNames + 32, 32, QByteArray(31, 'L'));
    putText(expected, kHeaderNames + 64, 32, QByteArray(31, 'W'));
    std::memset(expected.data() + kLogChannels, 255, 48);
    expected[kLogChannels + 0] = 0;
    expected[kLogChannels + 1] = 2;
    expected[kLogChannels + 2] = 5;
    EXPECT_EQ(readAll(path("Settings.prm")), expected);
}

TEST_F(KROSettingsTest, CreateWritesDefaultsAndAHeaderOfTheListedChannels)
{
    TKROSettings settings;
    linkTranslations(settings);
    settings.SetChannels(1, 2, 0, 0, 0);
    bool loaded = false;
    QObject::connect(&settings, &TKROSettings::OnloadTable, [&] { loaded = true; });
    const QMetaObject::Connection before
        = QObject::connect(&settings, &TKROSettings::BeforeSaveTable, [&] {
              TDataDictionary &header = settings.settings().DataDict;
              header.DataSize[1] = 4;
              header.DataSize[14] = 4;
              header.DataSize[20] = 4; // beyond the 15 channels of this dash: not in the header
          });
    settings.setSettingsFileName(path("Settings.prm"));
    settings.CreateSettingsTable();

    QByteArray expected(kSize, '\0');
    putText(expected, 0, 32, "Datalog");
    putText(expected, 128, 132, "Storage Card\\Logs\\");
    put<std::uint16_t>(expected, 270, 7);
    put<std::uint16_t>(expected, 273, 15);
    put<std::uint16_t>(expected, 277, 1);
    expected[281] = 1;
    expected[283] = 2;
    put<std::uint16_t>(expected, 288, 2);
    put<float>(expected, 290, 20000.0f);
    put<float>(expected, 296, 5.0f);
    put<float>(expected, 304, 5.0f);
    put<std::uint16_t>(expected, 311, 1);
    expected[314] = 16;
    expected[kHeader] = 2;
    put<std::uint16_t>(expected, kHeader + 1, 88);
    putText(expected, kHeaderNames, 32, "Trn 1");
    putText(expected, kHeaderNames + 32, 32, "Trn 14");
    expected[kDataSize + 1] = 4;
    expected[kDataSize + 14] = 4;
    expected[kDataSize + 20] = 4;
    std::memset(expected.data() + kLogChannels, 255, 48);
    expected[kLogChannels] = 1;
    expected[kLogChannels + 1] = 14;
    EXPECT_EQ(readAll(path("Settings.prm")), expected);
    EXPECT_TRUE(settings.active());
    EXPECT_FALSE(loaded);

    // A later save considers all 48 channels, so channel 20 joins the header.
    QObject::disconnect(before);
    settings.SaveSettingsTable();
    EXPECT_EQ(settings.settings().DataDict.NumberOfChannels, 3);
    EXPECT_EQ(settings.settings().DataDict.LogChannels[2], 20);
    EXPECT_EQ(settings.settings().DataDict.LogRecordLength, 92);
}

TEST_F(KROSettingsTest, ShortFileClearsWhatItLacksAndSaysSo)
{
    QByteArray card = noise(kSize, 2);
    card[283] = 3;
    writeAll(path("A.prm"), card);
    writeAll(path("B%2.prm"), QByteArray(300, '\x11'));

    TKROSettings settings;
    settings.setSettingsFileName(path("A.prm"));
    settings.LoadSettingsTable();
    settings.setSettingsFileName(path("B%2.prm"));
    settings.LoadSettingsTable();

    EXPECT_TRUE(settings.wasShort());
    EXPECT_TRUE(settings.loadWarning().contains(path("B%2.prm")));
    const auto *bytes = reinterpret_cast<const unsigned char *>(&settings.settings());
    EXPECT_EQ(bytes[299], 0x11);
    for (int i = 300; i < kSize; ++i)
        ASSERT_EQ(bytes[i], 0) << "offset " << i;
    EXPECT_EQ(settings.settings().DataDict.DriverName.length(), 0);

    settings.CloseSettingsTable();
    const QByteArray saved = readAll(path("B%2.prm"));
    ASSERT_EQ(saved.size(), kSize);
    EXPECT_EQ(saved.mid(kDataSize, 48), QByteArray(48, '\0'));
    EXPECT_EQ(readAll(path("A.prm")), card);

    // A whole file afterwards clears the warning.
    settings.setSettingsFileName(path("A.prm"));
    settings.LoadSettingsTable();
    EXPECT_FALSE(settings.wasShort());
}

TEST_F(KROSettingsTest, OversizedFileLoadsItsFirstRecordAndKeepsTheRest)
{
    const QByteArray file = noise(kSize + 500, 3);
    writeAll(path("Settings.prm"), file);
    TKROSettings settings;
    settings.setSettingsFileName(path("Settings.prm"));
    settings.LoadSettingsTable();
    EXPECT_FALSE(settings.wasShort());
    EXPECT_EQ(std::memcmp(&settings.settings(), file.constData(), 270), 0);
    settings.CloseSettingsTable();
    const QByteArray saved = readAll(path("Settings.prm"));
    EXPECT_EQ(saved.size(), file.size());
    EXPECT_EQ(saved.mid(kSize), file.mid(kSize));
}

TEST_F(KROSettingsTest, MissingFileFailsNamingItAndReleasesTheCardBefore)
{
    const QByteArray card = noise(kSize, 4);
    writeAll(path("A.prm"), card);
    TKROSettings settings;
    settings.setSettingsFileName(path("A.prm"));
    settings.LoadSettingsTable();
    settings.settings().Name.assign(QStringLiteral("edited"));

    settings.setSettingsFileName(path("missing/Settings.prm"));
    try {
        settings.LoadSettingsTable();
        FAIL() << "no error";
    } catch (const LoggerTableError &e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path("missing/Settings.prm")));
    }
    EXPECT_FALSE(settings.active());
    settings.SaveSettingsTable();
    settings.CloseSettingsTable();
    EXPECT_EQ(readAll(path("A.prm")), card);
    EXPECT_FALSE(QFileInfo::exists(path("missing/Settings.prm")));
}

TEST_F(KROSettingsTest, SavesGoToTheLoadedFileWhateverTheNameSaysLater)
{
    writeAll(path("A.prm"), QByteArray(kSize, '\0'));
    TKROSettings settings;
    settings.setSettingsFileName(path("A.prm"));
    settings.LoadSettingsTable();
    settings.setSettingsFileName(path("B.prm"));
    settings.settings().Brightness = 3;
    settings.CloseSettingsTable();
    EXPECT_EQ(get<std::uint16_t>(readAll(path("A.prm")), 270), 3);
    EXPECT_FALSE(QFileInfo::exists(path("B.prm")));
    EXPECT_FALSE(settings.active());
}

TEST_F(KROSettingsTest, FailedWriteIsReportedAndKeepsTheTableOpen)
{
    writeAll(path("Settings.prm"), QByteArray(100, '\0'));
    TKROSettings settings;
    settings.setSettingsFileName(path("Settings.prm"));
    settings.LoadSettingsTable();
    {
        FileSizeLimit full(1000);
        EXPECT_THROW(settings.CloseSettingsTable(), LoggerTableError);
    }
    EXPECT_TRUE(settings.active());
    settings.CloseSettingsTable();
    EXPECT_EQ(readAll(path("Settings.prm")).size(), kSize);
}

TEST_F(KROSettingsTest, FailedCreateLeavesTheOldFileWhole)
{
    const QByteArray card = noise(kSize, 5);
    writeAll(path("Settings.prm"), card);
    TKROSettings settings;
    settings.setSettingsFileName(path("Settings.prm"));
    {
        FileSizeLimit full(1000);
        EXPECT_THROW(settings.CreateSettingsTable(), LoggerTableError);
    }
    EXPECT_FALSE(settings.active());
    EXPECT_EQ(readAll(path("Settings.prm")), card);
}

} // namespace
