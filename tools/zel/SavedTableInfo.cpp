#include "tools/zel/SavedTableInfo.h"

#include "session/RecordTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace zel {

bool looksLikeSavedTable(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

InfoReport savedTableReport(const QString &path)
{
    RecordTable table;
    table.loadFromFile(path);

    QJsonArray columns;
    for (int c = 0; c < table.columnCount(); ++c) {
        const ColumnDef &column = table.column(c);
        columns.append(QJsonObject{{QStringLiteral("name"), column.name},
                                   {QStringLiteral("type"), columnTypeName(column.type)},
                                   {QStringLiteral("size"), column.size}});
    }
    QJsonArray indexes;
    for (const IndexDef &index : table.indexes())
        indexes.append(QJsonObject{{QStringLiteral("name"), index.name},
                                   {QStringLiteral("fields"), index.fields}});

    InfoReport report;
    report.add(QStringLiteral("Kind"), QStringLiteral("saved table"));
    report.add(QStringLiteral("columns"), columns);
    report.add(QStringLiteral("indexes"), indexes);
    report.add(QStringLiteral("rows"), table.rowCount());
    return report;
}

} // namespace zel
