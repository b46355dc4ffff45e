#include "card/ProgramPaths.h"

#include "session/LogImport.h"
#include "session/SessionFileName.h"
#include "session/SettingsBackup.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace zel {

ProgramPaths::ProgramPaths(QString programFolder, QString dataFolder)
    : m_programFolder(std::move(programFolder))
    , m_dataFolder(std::move(dataFolder))
{ }

QString ProgramPaths::cardIDFile() const
{
    return existingFileName(m_dataFolder, QStringLiteral("CardID.dta"));
}

QString ProgramPaths::formulaRepository() const
{
    return existingFileName(m_dataFolder, QStringLiteral("FormulaRep.rep"));
}

QString ProgramPaths::cardFolder(const QString &cardID) const
{
    return LogImport::cardFolder(m_dataFolder, cardID);
}

QString ProgramPaths::backupFolder(const QString &cardID) const
{
    return settingsBackupFolder(m_dataFolder, cardID);
}

QString ProgramPaths::initialisationFolder() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("Initialisation/ZEL"));
}

QString ProgramPaths::firmwareFolder() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("Firmware/KRO7"));
}

QString ProgramPaths::emulator() const
{
    const QString native = existingFileName(m_programFolder, QStringLiteral("KRO"));
    if (QFileInfo(native).isFile())
        return native;
    return existingFileName(m_programFolder, QStringLiteral("KRO.exe"));
}

} // namespace zel
