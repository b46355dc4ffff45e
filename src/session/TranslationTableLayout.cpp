#include "session/TranslationTableLayout.h"

#include "session/RecordTable.h"

namespace zel::TranslationTableLayout {

QStringList pointColumnNames()
{
    QStringList names;
    for (int i = 0; i <= kPointColumnCount; ++i) {
        if (i != 3)
            names << QStringLiteral("Col_%1").arg(i);
    }
    return names;
}

void addColumns(RecordTable &table)
{
    constexpr int textSize = 20;
    table.addColumn(QStringLiteral("RecId"), ColumnType::Integer);
    table.addColumn(QStringLiteral("RecordType"), ColumnType::Text, textSize);
    table.addColumn(QStringLiteral("RowNumber"), ColumnType::Integer);
    table.addColumn(QStringLiteral("Description"), ColumnType::Text, textSize);
    table.addColumn(QStringLiteral("gaugeindex"), ColumnType::Integer);
    table.addColumn(QStringLiteral("GaugeType"), ColumnType::Integer);
    table.addColumn(QStringLiteral("UOM"), ColumnType::Text, textSize);
    table.addColumn(QStringLiteral("DisplayDesc"), ColumnType::Text, textSize);
    for (const char *name : { "Digits", "Leds", "Percent1", "Percent2", "Decimals", "Left", "Top",
             "Height", "Width", "Labels", "ShowDigits", "ShowZones", "ShowAtoD", "ColumnCount" })
        table.addColumn(QLatin1String(name), ColumnType::Integer);
    for (const QString &name : pointColumnNames())
        table.addColumn(name, ColumnType::Real);
}

void ensureColumnCount(RecordTable &table)
{
    const QString name = QStringLiteral("ColumnCount");
    if (table.findColumn(name) >= 0)
        return;
    if (!table.isOpen()) {
        table.addColumn(name, ColumnType::Integer);
        table.open();
        return;
    }
    // Columns can only be added to a closed table, which drops its rows: they wait in a
    // copy meanwhile.
    RecordTable rows;
    for (int i = 0; i < table.columnCount(); ++i)
        rows.addColumn(table.column(i).name, table.column(i).type, table.column(i).size);
    rows.open();
    table.setFiltered(false);
    rows.copyRowsFrom(table);
    table.close();
    table.addColumn(name, ColumnType::Integer);
    table.open();
    table.copyRowsFrom(rows);
}

} // namespace zel::TranslationTableLayout
