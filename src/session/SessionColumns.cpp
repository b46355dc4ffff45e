#include "session/SessionColumns.h"

#include "session/RecordTable.h"

#include <array>

namespace zel {

namespace {

struct FixedColumn
{
    const char *name;
    ColumnType type;
    int size;
};

// LapID is an unsigned 32-bit value in the raw record; a longword column keeps every value
// and sorts them as the logger counts them.
constexpr std::array<FixedColumn, SessionColumns::FirstChannel> kFixedColumns { {
    { "RecordType", ColumnType::Integer, 0 },
    { "GPSLat", ColumnType::Integer, 0 },
    { "GPSLong", ColumnType::Integer, 0 },
    { "GPSAlt", ColumnType::Integer, 0 },
    { "Lap_Marker", ColumnType::Integer, 0 },
    { "Sector_Marker", ColumnType::Integer, 0 },
    { "Driver", ColumnType::Text, 50 },
    { "Track", ColumnType::Text, 50 },
    { "Event", ColumnType::Text, 50 },
    { "Weather", ColumnType::Text, 255 },
    { "Track Condition", ColumnType::Text, 255 },
    { "Vehicle", ColumnType::Text, 255 },
    { "Engine", ColumnType::Text, 255 },
    { "Memo", ColumnType::Text, 255 },
    { "Formulas", ColumnType::Text, 255 },
    { "Date", ColumnType::DateTime, 0 },
    { "Lap_Counter", ColumnType::Integer, 0 },
    { "Lap_Number", ColumnType::Integer, 0 },
    { "Lap_Time", ColumnType::Real, 0 },
    { "Lap_Running_Time", ColumnType::Real, 0 },
    { "Lap_Difference", ColumnType::Real, 0 },
    { "Sector_Number", ColumnType::Integer, 0 },
    { "Sector_Time", ColumnType::Real, 0 },
    { "Sector_Running_Time", ColumnType::Real, 0 },
    { "Sector_Difference", ColumnType::Real, 0 },
    { "Track_Time", ColumnType::Real, 0 },
    { "ReadingID", ColumnType::Integer, 0 },
    { "LapID", ColumnType::LongWord, 0 },
    { "GPS_Lap_Distance", ColumnType::Real, 0 },
    { "GPSSpeed", ColumnType::Real, 0 },
} };

} // namespace

void SessionColumns::defineFixedColumns(RecordTable &table)
{
    for (const FixedColumn &column : kFixedColumns)
        table.addColumn(QString::fromLatin1(column.name), column.type, column.size);
}

QString SessionColumns::name(Column column)
{
    return QString::fromLatin1(kFixedColumns.at(size_t(column)).name);
}

QStringList SessionColumns::logChannelColumns()
{
    QStringList names;
    for (const Column column :
        { GPSLat, GPSLong, GPSAlt, Lap_Marker, Sector_Marker, Lap_Counter, Lap_Number, Lap_Time,
            Lap_Running_Time, Lap_Difference, Sector_Time, Sector_Running_Time, Sector_Difference,
            Track_Time, ReadingID, LapID, GPS_Lap_Distance })
        names << name(column);
    return names;
}

QString SessionColumns::cleanChannelName(const QString &rawName)
{
    QString name = rawName;
    name.replace(u' ', u'_').replace(u'-', u'_').remove(u'.');
    return name;
}

} // namespace zel
