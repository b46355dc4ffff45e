#include "card/CardPaths.h"

#include "session/SessionFileName.h"

#include <utility>

namespace zel {

CardPaths::CardPaths(QString root)
    : m_root(std::move(root))
{ }

QString CardPaths::dataFolder() const
{
    return existingFileName(m_root, QStringLiteral("Data"));
}

QString CardPaths::settingsFile() const
{
    return existingFileName(dataFolder(), QStringLiteral("Settings.prm"));
}

QString CardPaths::translationFile() const
{
    return existingFileName(dataFolder(), QStringLiteral("Translation.prm"));
}

QString CardPaths::mathsFile() const
{
    return existingFileName(dataFolder(), QStringLiteral("Maths.prm"));
}

QString CardPaths::dataFile(const QString &name) const
{
    return existingFileName(dataFolder(), name);
}

QString CardPaths::logsFolder() const
{
    return existingFileName(m_root, QStringLiteral("Logs"));
}

QString CardPaths::firmwareFile() const
{
    return existingFileName(m_root, QStringLiteral("KRO.EXE"));
}

} // namespace zel
