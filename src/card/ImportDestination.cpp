#include "card/ImportDestination.h"

#include "common/Error.h"
#include "session/LogImport.h"
#include "session/SessionFileName.h"

#include <QDir>
#include <utility>

namespace zel {

ImportDestination::ImportDestination(QString dataFolder, QString cardID)
    : m_dataFolder(std::move(dataFolder))
    , m_cardID(std::move(cardID))
{ }

QString ImportDestination::folder() const
{
    return LogImport::cardFolder(m_dataFolder, m_cardID);
}

QString ImportDestination::save(RecordTable &table, const QString &rawLogPath) const
{
    const QString target = folder();
    if (!QDir().mkpath(target))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(target));
    return saveUnderFreeName(table, target, logStem(rawLogPath), QStringLiteral(".kro"));
}

} // namespace zel
