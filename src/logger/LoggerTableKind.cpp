#include "logger/LoggerTableKind.h"

#include "logger/TKROSettings.h"
#include "logger/TKROTrack.h"
#include "logger/TTranslations.h"

#include <QFileInfo>

namespace zel {

LoggerTableKind loggerTableKind(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.compare(QLatin1String("Settings.prm"), Qt::CaseInsensitive) == 0)
        return LoggerTableKind::Settings;
    if (name.compare(QLatin1String("Translation.prm"), Qt::CaseInsensitive) == 0)
        return LoggerTableKind::Translations;
    const QString suffix = info.suffix();
    if (suffix.compare(QLatin1String("prc"), Qt::CaseInsensitive) == 0)
        return LoggerTableKind::SectorLines;
    if (suffix.compare(QLatin1String("msg"), Qt::CaseInsensitive) == 0)
        return LoggerTableKind::MessageLines;
    if (!info.isFile())
        return LoggerTableKind::Unknown;
    switch (info.size()) {
    case TKROSettings::kRecordSize:
        return LoggerTableKind::Settings;
    case TTranslations::kFileSize:
        return LoggerTableKind::Translations;
    case TKROTrack::kFileSize:
        return LoggerTableKind::TrackLines;
    default:
        return LoggerTableKind::Unknown;
    }
}

} // namespace zel
