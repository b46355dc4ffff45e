// Any "Translation.prm" content must load; moves and saves with any channel count, and any
// point count, must stay inside the 48 records.

#include "FuzzInputFile.h"
#include "logger/LoggerChannelCount.h"
#include "logger/LoggerTableError.h"
#include "logger/TTranslations.h"

#include <QFileInfo>

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeFuzzInput(QStringLiteral("Translation.prm"), data, size);
    TTranslations table;
    table.setTranslationFileName(path);
    try {
        table.LoadTranslationTables();
    } catch (const LoggerTableError &) {
        __builtin_trap();
    }
    if (table.wasShort() != (size < std::size_t(TTranslations::kFileSize)))
        __builtin_trap();

    double sum = 0;
    for (const TTranslation &t : table.TranslationTables()) {
        if (t.pointCount() > kTranslationPoints)
            __builtin_trap();
        for (int i = 0; i < t.pointCount(); ++i)
            sum += t.DigitalValue[i] + double(t.TranslationValue[i]);
        sum += t.Name.toString().size() + t.UOM.toString().size() + double(t.wheelDiameter());
    }
    (void)sum;

    // Record fields chosen by the file pick the moves and the channel count.
    const TTranslation &first = table.record(0);
    table.MoveDownOne(int(first.ChannelNumber) - 100);
    table.MoveUpOne(int(first.Active) - 100);
    setLoggerChannelCount(int(first.TranslationMode) - 100);
    const int count = table.channelCount();
    if (count < 0 || count > TTranslations::kRecordCount)
        __builtin_trap();
    table.CloseTranslationTables();
    for (int i = count; i < TTranslations::kRecordCount; ++i)
        if (table.record(i).ChannelNumber != 255)
            __builtin_trap();
    if (QFileInfo(path).size() < TTranslations::kFileSize)
        __builtin_trap();
    resetLoggerChannelCount();
    return 0;
}
