#pragma once

#include <QString>
#include <QStringList>

namespace zel {

class RecordTable;

/// The fixed columns every session log starts with, and the rules that turn raw channel
/// names into column names.
class SessionColumns
{
public:
    /// Positions of the fixed columns in a session log made by the import.
    enum Column : int {
        RecordType,
        GPSLat,
        GPSLong,
        GPSAlt,
        Lap_Marker,
        Sector_Marker,
        Driver,
        Track,
        Event,
        Weather,
        TrackCondition,
        Vehicle,
        Engine,
        Memo,
        Formulas,
        Date,
        Lap_Counter,
        Lap_Number,
        Lap_Time,
        Lap_Running_Time,
        Lap_Difference,
        Sector_Number,
        Sector_Time,
        Sector_Running_Time,
        Sector_Difference,
        Track_Time,
        ReadingID,
        LapID,
        GPS_Lap_Distance,
        GPSSpeed,
        FirstChannel ///< the first channel column
    };

    /// RecordType of a data row.
    static constexpr int kDataRow = 1;
    /// RecordType of the header row.
    static constexpr int kHeaderRow = 2;

    /// Adds the fixed columns, in order, to a closed table.
    static void defineFixedColumns(RecordTable &table);

    /// Name of fixed column \a column.
    static QString name(Column column);

    /// The fixed columns a formula may name, in the order the "Log Channels" list shows them.
    static QStringList logChannelColumns();

    /// Column name of a raw channel name: spaces and "-" become "_", "." is dropped
    /// ("ECU Man Press." gives "ECU_Man_Press").
    static QString cleanChannelName(const QString &rawName);
};

} // namespace zel
