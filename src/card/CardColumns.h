#pragma once

#include <QString>
#include <QStringList>

namespace zel {

class CardPaths;

/// The columns an import of a log written by this card creates before its maths channels,
/// named by the import's own rules (ImportColumns) from the log header the card's settings
/// give the logger, suffixes included. The settings are read, never written; a card
/// without settings has only the fixed columns.
class CardColumns
{
public:
    /// The columns of imports from \a card. Throws LoggerTableError when the settings
    /// cannot be read.
    explicit CardColumns(const CardPaths &card);

    /// The fixed columns, then the channel columns.
    const QStringList &columns() const { return m_columns; }
    /// The names a maths formula may use in an import: the fixed columns of the
    /// "Log Channels" list, then the channel columns.
    const QStringList &logChannels() const { return m_logChannels; }

    /// Why \a name cannot be given to a maths channel or variable of this card: it cannot
    /// be stored (TMathsChannels::NameError), or the import has a column of that name,
    /// compared without regard to case as column names are. Empty when it can.
    QString mathsNameError(const QString &name) const;

private:
    QStringList m_columns;
    QStringList m_logChannels;
};

} // namespace zel
