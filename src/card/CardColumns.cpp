#include "card/CardColumns.h"

#include "card/CardPaths.h"
#include "logger/TKROSettings.h"
#include "logger/TMathsChannels.h"
#include "session/ImportColumns.h"

#include <QFileInfo>

namespace zel {

CardColumns::CardColumns(const CardPaths &card)
{
    TDataDictionary header {};
    int channelCount = 0;
    const QString settingsFile = card.settingsFile();
    // The dash copies the settings' header into every log it writes.
    if (QFileInfo(settingsFile).isFile()) {
        TKROSettings settings;
        settings.setSettingsFileName(settingsFile);
        settings.LoadSettingsTable();
        header = settings.settings().DataDict;
        channelCount = settings.channelCount();
    }
    const ImportColumns columns(header, channelCount);
    m_columns = columns.allColumns();
    m_logChannels = columns.logChannels();
}

QString CardColumns::mathsNameError(const QString &name) const
{
    const QString error = TMathsChannels::NameError(name);
    if (!error.isEmpty())
        return error;
    // A maths result stored in a logged column would overwrite the logged data.
    if (m_columns.contains(name.trimmed(), Qt::CaseInsensitive))
        return QStringLiteral("\"%1\" is a column of the session log").arg(name);
    return {};
}

} // namespace zel
