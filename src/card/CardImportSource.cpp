#include "card/CardImportSource.h"

#include "card/CardPaths.h"
#include "common/Error.h"
#include "logger/TKROSettings.h"
#include "logger/TMathsChannels.h"
#include "session/LogImport.h"
#include "session/TKRO_Data.h"

#include <QFileInfo>

namespace zel {

CardImportSource::CardImportSource(const CardPaths &card, TKRO_Data &data)
    : m_settingsFile(card.settingsFile())
{
    if (!QFileInfo(m_settingsFile).isFile())
        throw FileError(QStringLiteral("\"%1\" has no Data/Settings.prm").arg(card.root()));
    // Loaded and dropped without a close: a close would save.
    TKROSettings settings;
    settings.setSettingsFileName(m_settingsFile);
    settings.LoadSettingsTable();
    if (settings.wasShort())
        m_warnings << settings.loadWarning();
    m_channelCount = settings.channelCount();
    m_cardID = settings.settings().DataDict.DriverName.toString();

    const QString mathsFile = card.mathsFile();
    if (QFileInfo(mathsFile).isFile()) {
        TMathsChannels &maths = data.MathsChannels1();
        maths.setMathsFileName(mathsFile);
        maths.LoadMathsTables();
        if (maths.wasShort())
            m_warnings << maths.loadWarning();
        data.setMaths(&data.FormulaMaths());
    }
}

void CardImportSource::configure(LogImport &import) const
{
    import.setChannelCount(m_channelCount, m_settingsFile);
    import.setCardID(m_cardID);
}

} // namespace zel
