#pragma once

#include "session/RecordTable.h"
#include "track/MapTable.h"

#include <QString>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace zel::testing {

/// One map row as the tests compare it; an empty cell reads as NaN, so that a cleared
/// value and a stored 0 differ.
struct MapRow
{
    double id, insideLong, insideLat, outsideLong, outsideLat;
};

inline bool operator==(const MapRow &a, const MapRow &b)
{
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return same(a.id, b.id) && same(a.insideLong, b.insideLong) && same(a.insideLat, b.insideLat)
        && same(a.outsideLong, b.outsideLong) && same(a.outsideLat, b.outsideLat);
}

inline void PrintTo(const MapRow &row, std::ostream *out)
{
    *out << "{" << row.id << ": in (" << row.insideLong << ", " << row.insideLat << ") out ("
         << row.outsideLong << ", " << row.outsideLat << ")}";
}

inline const double kEmpty = std::nan("");

/// The map's rows in view order, altitudes checked to be 0 or empty on the way.
inline std::vector<MapRow> mapRows(const RecordTable &map)
{
    auto cell = [&](const QString &name, int row) {
        const int column = map.columnIndex(name);
        return map.isNullAt(column, row) ? kEmpty : map.numberAt(column, row);
    };
    std::vector<MapRow> rows;
    for (int position = 0; map.isOpen() && position < map.recordCount(); ++position) {
        const int r = map.viewRow(position);
        for (const QString &alt : { MapColumn::InsideAlt, MapColumn::OutsideAlt })
            EXPECT_EQ(map.numberAt(map.columnIndex(alt), r), 0.0);
        rows.push_back({ cell(MapColumn::ReadingID, r), cell(MapColumn::InsideLong, r),
            cell(MapColumn::InsideLat, r), cell(MapColumn::OutsideLong, r),
            cell(MapColumn::OutsideLat, r) });
    }
    return rows;
}

/// A lap's GPS position; an empty coordinate leaves its cell empty.
struct GpsFix
{
    std::optional<double> longitude;
    std::optional<double> latitude;
};

/// Fills \a lap (given no columns) with a session log's GPS columns and the fixes.
inline void makeLap(RecordTable &lap, const std::vector<GpsFix> &fixes)
{
    lap.addColumn(QStringLiteral("RecordType"), ColumnType::Integer);
    lap.addColumn(QStringLiteral("GPSLat"), ColumnType::Real);
    lap.addColumn(QStringLiteral("GPSLong"), ColumnType::Real);
    lap.open();
    for (const GpsFix &fix : fixes) {
        const double numbers[] = { 1, fix.latitude.value_or(0), fix.longitude.value_or(0) };
        const unsigned char present[] = { 1, fix.latitude.has_value(), fix.longitude.has_value() };
        lap.AppendNumbers(numbers, present);
    }
}

/// A lap of \a count distinct positions, point i at (1000 + i, 2000 + i).
inline std::vector<GpsFix> distinctFixes(int count, double offset = 0)
{
    std::vector<GpsFix> fixes;
    for (int i = 1; i <= count; ++i)
        fixes.push_back({ 1000 + i + offset, 2000 + i + offset });
    return fixes;
}

} // namespace zel::testing
