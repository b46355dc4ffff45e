#include "session/ChartColours.h"

#include "session/RecordTable.h"

namespace zel {

quint32 rgbFromStoredColour(quint32 stored)
{
    return ((stored & 0xFF) << 16) | (stored & 0xFF00) | ((stored >> 16) & 0xFF);
}

quint32 storedColourFromRgb(quint32 rgb)
{
    // Swapping the red and blue bytes is its own inverse.
    return rgbFromStoredColour(rgb & 0xFFFFFF);
}

void defineAxisTemplateColumns(RecordTable &axisTemplate)
{
    const struct
    {
        const char *name;
        ColumnType type;
        int size;
    } columns[] = {
        { "ChannelName", ColumnType::Text, 30 },
        { "LogIndex", ColumnType::Integer, 0 },
        { "Colour", ColumnType::LongWord, 0 },
        { "Minimum", ColumnType::Real, 0 },
        { "Maximum", ColumnType::Real, 0 },
        { "BottomGrid", ColumnType::Boolean, 0 },
        { "LeftGrid", ColumnType::Boolean, 0 },
        { "BackColour", ColumnType::LongWord, 0 },
        { "GridColour", ColumnType::LongWord, 0 },
        { "AxisColour", ColumnType::LongWord, 0 },
        { "SplitColour", ColumnType::LongWord, 0 },
        { "LineWidth", ColumnType::Integer, 0 },
        { "HideChannel", ColumnType::Boolean, 0 },
        { "FileVersion", ColumnType::Integer, 0 },
        { "Increment", ColumnType::Real, 0 },
    };
    axisTemplate.clearColumns();
    for (const auto &column : columns)
        axisTemplate.addColumn(QString::fromLatin1(column.name), column.type, column.size);
}

ChartColours chartColoursFrom(RecordTable &axisTemplate)
{
    ChartColours colours;
    const int name = axisTemplate.findColumn(QStringLiteral("ChannelName"));
    const int log = axisTemplate.findColumn(QStringLiteral("LogIndex"));
    if (!axisTemplate.isOpen() || name < 0 || log < 0)
        return colours;
    // Read by row, whatever the template's filter or cursor, so its cursor stays put.
    for (int row = 0; row < axisTemplate.rowCount(); ++row) {
        if (axisTemplate.textAt(name, row) != QStringLiteral("GLOBAL")
            || axisTemplate.isNullAt(log, row) || axisTemplate.numberAt(log, row) != 0)
            continue;
        const auto number = [&](const char *column, double fallback) {
            const int c = axisTemplate.findColumn(QString::fromLatin1(column));
            return c < 0 || axisTemplate.isNullAt(c, row) ? fallback
                                                          : axisTemplate.numberAt(c, row);
        };
        colours.bottomAxisVisible = number("BottomGrid", 0) != 0;
        colours.background = rgbFromStoredColour(quint32(number("BackColour", 0)));
        colours.grid = rgbFromStoredColour(quint32(number("GridColour", 0)));
        return colours;
    }
    return colours;
}

} // namespace zel
