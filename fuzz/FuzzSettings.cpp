// Any "Settings.prm" content must load, and a save must rebuild a header that stays inside
// its 48 positions with a record length that matches its channels.

#include "FuzzInputFile.h"
#include "logger/LoggerTableError.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QFileInfo>

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString settingsPath = writeFuzzInput(QStringLiteral("Settings.prm"), data, size);
    // The same bytes serve as translation records, so header names come from hostile text.
    const QString translationPath = writeFuzzInput(QStringLiteral("Translation.prm"), data, size);

    TTranslations translations;
    translations.setTranslationFileName(translationPath);
    TKROSettings settings;
    settings.setTranslation(&translations);
    settings.setSettingsFileName(settingsPath);
    translations.setSettings(&settings);
    try {
        translations.LoadTranslationTables();
        settings.LoadSettingsTable();
    } catch (const LoggerTableError &) {
        __builtin_trap(); // the file exists: loading never fails
    }
    if (settings.wasShort() != (size < sizeof(TSettings)))
        __builtin_trap();
    if (settings.channelCount() > 47 || translations.channelCount() != settings.channelCount())
        __builtin_trap();

    const TSettings &s = settings.settings();
    int textLength = s.Name.toString().size() + s.Folder.toString().size()
        + s.MapFileName.toString().size() + s.DataDict.DriverName.toString().size()
        + s.DataDict.TrackConditiion.toString().size();
    for (const auto &name : s.DataDict.ChannelNames)
        textLength += name.toString().size();
    if (textLength > 31 + 131 + 47 + 47 + 255 + 48 * 31)
        __builtin_trap();

    settings.SaveSettingsTable();
    const TDataDictionary &header = s.DataDict;
    int dataBytes = 0;
    for (int a = 0; a < kMaxLogChannels; ++a)
        dataBytes += header.DataSize[a];
    if (header.LogRecordLength != logRecordLength(dataBytes))
        __builtin_trap();
    for (int j = 0; j < kMaxLogChannels; ++j) {
        const int a = header.LogChannels[j];
        const bool used = j < header.NumberOfChannels;
        if (used != (a != kUnusedPosition)
            || (used && (a >= kMaxLogChannels || header.DataSize[a] == 0)))
            __builtin_trap();
        if (header.ChannelNames[j].Length > 31)
            __builtin_trap();
    }
    translations.CloseTranslationTables();
    settings.CloseSettingsTable();
    if (QFileInfo(settingsPath).size() < qint64(sizeof(TSettings)))
        __builtin_trap();
    return 0;
}
