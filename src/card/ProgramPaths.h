#pragma once

#include <QString>

namespace zel {

/// Where the card operations find the program's own files: the program's folder (templates,
/// firmware images, the dash emulator) and its Data folder (the card-ID register, the
/// formula repository, each card's imported logs and settings backup). Files are looked up
/// without regard to case, as the program's files once lived on a file system that ignores
/// it; a missing file gets its usual name, which is where it is created.
class ProgramPaths
{
public:
    /// The program whose executable lies in \a programFolder and whose Data folder is
    /// \a dataFolder (beside the program, or the user's data folder).
    ProgramPaths(QString programFolder, QString dataFolder);

    /// The folder holding the program's executable.
    const QString &programFolder() const { return m_programFolder; }
    /// The program's Data folder.
    const QString &dataFolder() const { return m_dataFolder; }
    /// The card-ID register, "CardID.dta" in the Data folder.
    QString cardIDFile() const;
    /// The formula repository, "FormulaRep.rep" in the Data folder: the file of that name in
    /// any case when one exists, so that it is read and saved as the same file.
    QString formulaRepository() const;
    /// The folder of card \a cardID's imported logs: "<data>/<id>" when the ID is one plain
    /// folder name, else the Data folder itself.
    QString cardFolder(const QString &cardID) const;
    /// The folder of card \a cardID's settings backup, "<data>/<id>/Settings"
    /// ("<data>/Settings" for an empty ID); empty when the ID cannot name a folder.
    QString backupFolder(const QString &cardID) const;
    /// The card initialisation templates, "<program>/Initialisation/ZEL".
    QString initialisationFolder() const;
    /// The usual place of firmware images, "<program>/Firmware/KRO7".
    QString firmwareFolder() const;
    /// The dash emulator beside the program: a native build "KRO" when there is one, else
    /// "KRO.exe" (the Windows program).
    QString emulator() const;

private:
    QString m_programFolder;
    QString m_dataFolder;
};

} // namespace zel
