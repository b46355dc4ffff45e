#pragma once

#include <QString>

namespace zel {

class RecordTable;

/// Where an import's session log goes when the user names no file: the card's folder in
/// the program's Data folder (LogImport::cardFolder, as split parts), under the raw log's
/// name, never replacing an existing file.
class ImportDestination
{
public:
    /// The destination for imports of the card \a cardID into the program's Data folder
    /// \a dataFolder.
    ImportDestination(QString dataFolder, QString cardID);

    /// The folder the session logs go to.
    QString folder() const;
    /// Creates folder() when missing and saves \a table there as "<stem>.kro" (the raw
    /// log's name up to its first "."), or as the first free "<stem> (n).kro" when that is
    /// taken; returns the path saved. Throws FileError when the folder cannot be made.
    QString save(RecordTable &table, const QString &rawLogPath) const;

private:
    QString m_dataFolder;
    QString m_cardID;
};

} // namespace zel
