#include "card/InitialisationTemplates.h"

#include "card/DashModels.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QDir>

namespace zel {

namespace {

constexpr std::uint8_t kLoggedChannelBytes = 4;

// The settings components rewrite the process-wide channel count as they go; a caller
// that has a card loaded must find it as it was.
class LoggerChannelCountKeeper
{
public:
    LoggerChannelCountKeeper()
        : m_count(LoggerChannelCount())
    { }
    ~LoggerChannelCountKeeper() { setLoggerChannelCount(m_count); }
    LoggerChannelCountKeeper(const LoggerChannelCountKeeper &) = delete;
    LoggerChannelCountKeeper &operator=(const LoggerChannelCountKeeper &) = delete;

private:
    int m_count;
};

void writeCardTables(const QString &folder, const CardCodes &codes)
{
    TKROSettings settings;
    TTranslations translations;
    settings.setTranslation(&translations);
    translations.setSettings(&settings);
    settings.SetChannels(
        codes.model, codes.feature, codes.ecuMake, codes.ecuModel, codes.ecuFeature);
    settings.settings().ModelIndex = codes.modelIndex;
    settings.settings().ECUIndex = codes.ecuIndex;

    translations.setChannelNames(settings.ChannelNames());
    translations.setTranslationFileName(QDir(folder).filePath(QStringLiteral("Translation.prm")));
    translations.CreateTranslationTables();
    TDataDictionary &header = settings.settings().DataDict;
    for (int channel = 0; channel < settings.channelCount(); ++channel)
        header.DataSize[channel] = kLoggedChannelBytes;
    settings.setSettingsFileName(QDir(folder).filePath(QStringLiteral("Settings.prm")));
    settings.CreateSettingsTable();
    settings.CloseSettingsTable();
    translations.CloseTranslationTables();
}

void writeTemplate(const QString &programFolder, int dash, int ecu)
{
    const QString folder = templateFolder(programFolder, dash, ecu);
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    writeCardTables(folder, cardCodes(dash, ecu));
    for (const QString &name : dashOwnFileNames())
        AtomicFile::replace(QDir(folder).filePath(name), { dashFilePlaceholder(name, dash, ecu) });
}

} // namespace

QByteArray dashFilePlaceholder(const QString &fileName, int dash, int ecu)
{
    QByteArray bytes = QStringLiteral("ZEL KRO-7 template placeholder: %1 for %2 with %3\n")
                           .arg(fileName, dashModelEntries().at(dash), ecuEntries().at(ecu))
                           .toLatin1();
    bytes.resize(kTemplatePlaceholderSize, '\0');
    return bytes;
}

void writeInitialisationTemplates(const QString &programFolder)
{
    const LoggerChannelCountKeeper keeper;
    const int dashModels = int(dashModelEntries().size());
    const int ecus = int(ecuEntries().size());
    for (int dash = 0; dash < dashModels; ++dash) {
        for (int ecu = 0; ecu < ecus; ++ecu) {
            if (!isRefusedCombination(dash, ecu))
                writeTemplate(programFolder, dash, ecu);
        }
    }
}

} // namespace zel
