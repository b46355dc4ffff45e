#pragma once

#include <QString>

namespace zel {

/// Where a card keeps its files: its "Data" folder with "Settings.prm", "Translation.prm",
/// "Maths.prm" and the dash's own files, its "Logs" folder and the firmware "KRO.EXE". The
/// card's file system ignores case, so each name is looked up without regard to case
/// (existingFileName) when asked for; a file that is missing gets its usual name, which is
/// where it would be created.
class CardPaths
{
public:
    /// The card whose root folder (mount point, or a folder holding a copy) is \a root.
    explicit CardPaths(QString root);

    /// The card's root folder.
    const QString &root() const { return m_root; }
    /// The card's "Data" folder.
    QString dataFolder() const;
    /// The logger settings, "Data/Settings.prm".
    QString settingsFile() const;
    /// The channel translations, "Data/Translation.prm".
    QString translationFile() const;
    /// The maths channels, "Data/Maths.prm".
    QString mathsFile() const;
    /// The file \a name of the card's "Data" folder.
    QString dataFile(const QString &name) const;
    /// The raw logs' folder, "Logs".
    QString logsFolder() const;
    /// The dash's firmware program, "KRO.EXE".
    QString firmwareFile() const;

private:
    QString m_root;
};

} // namespace zel
