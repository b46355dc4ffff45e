#include "card/CardIDRegister.h"

#include "session/TKRO_Data.h"

#include <QTime>

namespace zel {

void recordCard(TKRO_Data &data, const QString &cardID, const QDate &today)
{
    RecordTable &table = data.CardID();
    if (data.LocateCardID(cardID)) {
        table.Edit();
    } else {
        table.Append();
        table.fieldByName(QStringLiteral("CardID")).setText(cardID);
    }
    table.fieldByName(QStringLiteral("Date")).setDateTime(QDateTime(today, QTime(0, 0)));
    table.fieldByName(QStringLiteral("Folder")).setText(data.ProgramDataFolder());
    table.Post();
    table.saveToFile(data.CardIDFile());
}

} // namespace zel
