#include "logger/TKROSettings.h"

#include "logger/ChannelLists.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TTranslations.h"

#include <algorithm>
#include <cstring>

namespace zel {

TKROSettings::TKROSettings(QObject *parent)
    : QObject(parent)
{
    Initialise();
}

void TKROSettings::setModel(std::uint8_t value)
{
    Settings.model = value;
    Initialise();
}

void TKROSettings::setFeature(std::uint8_t value)
{
    Settings.feature = value;
    Initialise();
}

void TKROSettings::setECUMake(std::uint8_t value)
{
    Settings.ecumake = value;
    Initialise();
}

void TKROSettings::setECUModel(std::uint8_t value)
{
    Settings.ecumodel = value;
    Initialise();
}

void TKROSettings::setECUFeature(std::uint8_t value)
{
    Settings.ecufeature = value;
    Initialise();
}

void TKROSettings::SetChannels(std::uint8_t model, std::uint8_t feature, std::uint8_t ecuMake,
    std::uint8_t ecuModel, std::uint8_t ecuFeature)
{
    Settings.model = model;
    Settings.feature = feature;
    Settings.ecumake = ecuMake;
    Settings.ecumodel = ecuModel;
    Settings.ecufeature = ecuFeature;
    Initialise();
}

void TKROSettings::Initialise()
{
    const bool hasDashChannels = !dashChannelList(Settings.feature).isEmpty();
    FChannelNames = loggerChannelList(
        Settings.feature, Settings.ecumake, Settings.ecumodel, Settings.ecufeature);
    // The logger's own reading of StartECUData is unknown; the value is 16 for every dash
    // list, whatever its length.
    Settings.StartECUData = hasDashChannels ? kDashStartECUData : 0;
    Settings.ChannelCount = std::uint16_t(channelCount());
    setLoggerChannelCount(channelCount());
}

void TKROSettings::LoadSettingsTable()
{
    FSettingsTable.load(FSettingsFileName, &Settings, kRecordSize);
    Initialise();
    emit OnloadTable();
}

void TKROSettings::CreateSettingsTable()
{
    FSettingsTable.close();
    setDefaults();
    emit BeforeSaveTable();
    buildHeader(channelCount());
    FSettingsTable.create(FSettingsFileName, recordBytes());
}

void TKROSettings::SaveSettingsTable()
{
    if (!active())
        return;
    emit BeforeSaveTable();
    buildHeader(kMaxLogChannels);
    Settings.ChannelCount = std::uint16_t(channelCount());
    FSettingsTable.save(recordBytes());
}

void TKROSettings::CloseSettingsTable()
{
    SaveSettingsTable();
    FSettingsTable.close();
}

void TKROSettings::ReleaseSettingsTable()
{
    FSettingsTable.close();
}

void TKROSettings::setDefaults()
{
    Settings.Name.assign(QStringLiteral("Datalog"));
    Settings.Folder.assign(QStringLiteral("Storage Card\\Logs\\"));
    Settings.Logmemory = 0;
    Settings.Brightness = 7;
    Settings.TimerMode = 0;
    Settings.ChannelCount = std::uint16_t(channelCount());
    Settings.Beacons = 1;
    Settings.LogStartMethod = 0;
    Settings.ScreenDelay = 0;
    Settings.LogSpeed = 2;
    Settings.StartValue = 20000.0f;
    Settings.Start = 5.0f;
    Settings.StopValue = 0.0f;
    Settings.Stop = 5.0f;
    Settings.LastLog = 1;
    Settings.MinTime = 0.0f;
    Settings.Display = 0;
}

void TKROSettings::buildHeader(int channels)
{
    TDataDictionary &header = Settings.DataDict;
    const int considered = std::clamp(channels, 0, kMaxLogChannels);
    int dataBytes = 0;
    int position = 0;
    std::memset(header.ChannelNames, 0, sizeof header.ChannelNames);
    // Every position starts unused, so that none of them can name channel 0 by accident.
    std::memset(header.LogChannels, kUnusedPosition, sizeof header.LogChannels);
    for (int channel = 0; channel < considered; ++channel) {
        if (header.DataSize[channel] == 0)
            continue;
        ShortString<31> &name = header.ChannelNames[position];
        if (FTranslation) {
            const ShortString<31> &source = FTranslation->record(channel).Name;
            name.Length = std::uint8_t(source.length());
            std::memcpy(name.Chars, source.Chars, std::size_t(source.length()));
        }
        dataBytes += header.DataSize[channel];
        header.LogChannels[position] = std::uint8_t(channel);
        ++position;
    }
    header.LogRecordLength = std::uint16_t(logRecordLength(dataBytes));
    header.NumberOfChannels = std::uint8_t(position);
}

QByteArrayView TKROSettings::recordBytes() const
{
    return QByteArrayView(reinterpret_cast<const char *>(&Settings), kRecordSize);
}

} // namespace zel
