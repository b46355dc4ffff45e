#pragma once

#include <QString>
#include <QStringList>

namespace zel {

class CardPaths;
class LogImport;
class TKRO_Data;

/// What an import takes from a card, read without ever writing to it, so that a
/// write-protected card imports: the channel count and card ID of its settings, and its
/// maths channels, loaded into the data module's maths table for the import to compute.
/// What the user should hear about the card's files (a short settings or maths file) is
/// collected in warnings().
class CardImportSource
{
public:
    /// Reads \a card for an import into \a data. Throws FileError when the card has no
    /// settings file, LoggerTableError when one of its tables cannot be read.
    CardImportSource(const CardPaths &card, TKRO_Data &data);

    /// Number of channels of the card's settings.
    int channelCount() const { return m_channelCount; }
    /// The card ID (the settings' DriverName).
    const QString &cardID() const { return m_cardID; }
    /// The settings file read.
    const QString &settingsFile() const { return m_settingsFile; }
    /// Messages for the user about the card's files, in the order met.
    const QStringList &warnings() const { return m_warnings; }

    /// Gives \a import the card's channel count, settings file and card ID.
    void configure(LogImport &import) const;

private:
    int m_channelCount = 0;
    QString m_cardID;
    QString m_settingsFile;
    QStringList m_warnings;
};

} // namespace zel
