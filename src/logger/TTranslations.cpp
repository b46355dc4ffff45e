#include "logger/TTranslations.h"

#include "logger/LoggerChannelCount.h"
#include "logger/TKROSettings.h"

#include <algorithm>
#include <cstring>

namespace zel {

namespace {
constexpr std::uint8_t kUnusedChannel = 255;

QString unusedChannelName(int i)
{
    return QStringLiteral("Channel_%1").arg(i + 1);
}
} // namespace

TTranslations::TTranslations(QObject *parent)
    : QObject(parent)
{ }

int TTranslations::channelCount() const
{
    // The shared count follows whatever list was configured last (another card, or a
    // choice not yet applied); a card's records must be judged by that card's own list.
    const int count
        = FSettings && FSettings->active() ? FSettings->channelCount() : LoggerChannelCount();
    return std::clamp(count, 0, kRecordCount);
}

void TTranslations::LoadTranslationTables()
{
    FTranslationTable.load(FtranslationFileName, FTranslationTables.data(), kFileSize);
    emit OnloadTable();
}

void TTranslations::SaveTranslationTables()
{
    if (!active())
        return;
    emit BeforeSaveTable();
    const int count = channelCount();
    for (int i = 0; i < count; ++i)
        FTranslationTables[std::size_t(i)].ChannelNumber = std::uint8_t(i);
    renameUnused(count);
    FTranslationTable.save(recordBytes());
}

void TTranslations::CloseTranslationTables()
{
    SaveTranslationTables();
    FTranslationTable.close();
}

void TTranslations::ReleaseTranslationTables()
{
    FTranslationTable.close();
}

void TTranslations::CreateTranslationTables()
{
    FTranslationTable.close();
    const int count = channelCount();
    for (int i = 0; i < kRecordCount; ++i) {
        TTranslation &r = FTranslationTables[std::size_t(i)];
        r.ChannelNumber = std::uint8_t(i);
        r.Name.assign(i < FChannelNames.size() ? FChannelNames.at(i) : QString());
        r.Active = 0;
        r.TranslationMode = 0;
        r.BeaconInput = 0;
        r.CalcMode = 0;
        r.UOM.assign(QStringLiteral("U.O.M"));
        r.Condition_AB = 0;
        std::memset(r.DigitalValue, 0, sizeof r.DigitalValue);
        std::memset(r.TranslationValue, 0, sizeof r.TranslationValue);
        r.ColumnCount = 11;
    }
    renameUnused(count);
    FTranslationTable.create(FtranslationFileName, recordBytes());
}

void TTranslations::MoveDownOne(int start)
{
    if (!active() || start < 0 || start + 1 >= kRecordCount)
        return;
    std::memmove(&FTranslationTables[std::size_t(start) + 1],
        &FTranslationTables[std::size_t(start)],
        std::size_t(kRecordCount - 1 - start) * sizeof(TTranslation));
}

void TTranslations::MoveUpOne(int start)
{
    if (!active() || start < 0 || start >= kRecordCount - 1)
        return;
    std::memmove(&FTranslationTables[std::size_t(start)],
        &FTranslationTables[std::size_t(start) + 1],
        std::size_t(kRecordCount - 1 - start) * sizeof(TTranslation));
}

void TTranslations::renameUnused(int count)
{
    for (int i = count; i < kRecordCount; ++i) {
        TTranslation &r = FTranslationTables[std::size_t(i)];
        r.ChannelNumber = kUnusedChannel;
        r.Name.assign(unusedChannelName(i));
        r.UOM.assign(QStringLiteral("U.O.M"));
    }
}

QByteArrayView TTranslations::recordBytes() const
{
    return QByteArrayView(reinterpret_cast<const char *>(FTranslationTables.data()), kFileSize);
}

} // namespace zel
