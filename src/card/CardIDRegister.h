#pragma once

#include <QDate>
#include <QString>

namespace zel {

class TKRO_Data;

/// Records the card \a cardID in the card-ID register of \a data: its row (appended when the
/// ID is new) gets \a today as its date and the program's Data folder as the folder of its
/// backup, and the register is saved to its file in one step. Throws FileError or
/// RecordTableError when the register cannot be saved.
void recordCard(TKRO_Data &data, const QString &cardID, const QDate &today);

} // namespace zel
