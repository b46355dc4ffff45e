#include "track/MapRows.h"

#include "session/ControlsDisabled.h"
#include "session/RecordTable.h"

#include <algorithm>

namespace zel {

MapRows::MapRows(const RecordTable &map)
{
    requireMapColumns(map);
    m_id = map.columnIndex(MapColumn::ReadingID);
    for (const TrackSide side : { TrackSide::Inside, TrackSide::Outside }) {
        SideColumns &target = side == TrackSide::Inside ? m_inside : m_outside;
        target = { map.columnIndex(MapColumn::longitude(side)),
            map.columnIndex(MapColumn::latitude(side)),
            map.columnIndex(MapColumn::altitude(side)) };
    }
    m_columnCount = map.columnCount();
    const int rows = map.isOpen() ? map.rowCount() : 0;
    m_rows.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        Row row { std::vector<double>(size_t(m_columnCount)),
            std::vector<unsigned char>(size_t(m_columnCount)) };
        for (int c = 0; c < m_columnCount; ++c) {
            row.present[size_t(c)] = !map.isNullAt(c, r);
            row.values[size_t(c)] = map.numberAt(c, r);
        }
        m_rows.push_back(std::move(row));
    }
    sortById();
}

double MapRows::number(const Row &row, int column)
{
    return row.present[size_t(column)] ? row.values[size_t(column)] : 0.0;
}

bool MapRows::hasPosition(const Row &row, const SideColumns &side)
{
    return number(row, side.longitude) != 0.0 || number(row, side.latitude) != 0.0;
}

bool MapRows::before(const Row &a, const Row &b) const
{
    // Rows without a point number come first, as the table's index puts empty cells.
    const bool aHas = a.present[size_t(m_id)];
    const bool bHas = b.present[size_t(m_id)];
    if (aHas != bHas)
        return bHas;
    return aHas && a.values[size_t(m_id)] < b.values[size_t(m_id)];
}

void MapRows::sortById()
{
    // Rows with equal numbers (only a foreign file has them) keep their order. The rows
    // stay in this order from here on: every change keeps it.
    const auto less = [this](const Row &a, const Row &b) { return before(a, b); };
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), less))
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
}

void MapRows::setPoint(qint64 k, TrackSide side, double x, double y)
{
    // Points come in rising order, so a new row nearly always goes at the end. Of two rows
    // with the same number the first is used.
    const double id = double(k);
    const auto idBefore = [this](const Row &row, double value) {
        return !row.present[size_t(m_id)] || row.values[size_t(m_id)] < value;
    };
    auto found = m_rows.empty() || idBefore(m_rows.back(), id)
        ? m_rows.end()
        : std::lower_bound(m_rows.begin(), m_rows.end(), id, idBefore);
    if (found == m_rows.end() || found->values[size_t(m_id)] != id) {
        Row row { std::vector<double>(size_t(m_columnCount)),
            std::vector<unsigned char>(size_t(m_columnCount)) };
        row.values[size_t(m_id)] = id;
        row.present[size_t(m_id)] = 1;
        found = m_rows.insert(found, std::move(row));
    }
    Row &row = *found;
    const SideColumns &target = columns(side);
    for (const auto &[column, value] :
        { std::pair { target.longitude, x }, { target.latitude, y }, { target.altitude, 0.0 } }) {
        row.values[size_t(column)] = value;
        row.present[size_t(column)] = 1;
    }
}

void MapRows::clearSideAfter(qint64 k, TrackSide side)
{
    const SideColumns &target = columns(side);
    const SideColumns &other
        = columns(side == TrackSide::Inside ? TrackSide::Outside : TrackSide::Inside);
    std::erase_if(m_rows, [&](Row &row) {
        if (!row.present[size_t(m_id)] || row.values[size_t(m_id)] <= double(k))
            return false;
        for (const int column : { target.longitude, target.latitude, target.altitude }) {
            row.values[size_t(column)] = 0.0;
            row.present[size_t(column)] = 0;
        }
        return !hasPosition(row, other);
    });
}

void MapRows::dropIncompleteRows()
{
    std::erase_if(m_rows, [this](const Row &row) {
        return number(row, m_inside.longitude) == 0.0 || number(row, m_outside.longitude) == 0.0;
    });
}

void MapRows::fillForward(TrackSide side)
{
    for (const int column : { columns(side).longitude, columns(side).latitude }) {
        double last = 0.0;
        for (Row &row : m_rows) {
            const double value = number(row, column);
            if (value != 0.0) {
                last = value;
                continue;
            }
            row.values[size_t(column)] = last;
            row.present[size_t(column)] = 1;
        }
    }
}

void MapRows::writeTo(RecordTable &map)
{
    // The rows go into a table of the same columns first, so that map changes in one step
    // (its rows change hands) and is left as it was when building them fails.
    RecordTable built;
    for (int c = 0; c < map.columnCount(); ++c)
        built.addColumn(map.column(c).name, map.column(c).type, map.column(c).size);
    built.open();
    built.reserveRows(int(m_rows.size()));
    for (const Row &row : m_rows)
        built.AppendNumbers(row.values.data(), row.present.data());
    if (!map.isOpen())
        map.open();
    const ControlsDisabled quiet(map);
    map.emptyTable();
    map.takeRowsFrom(built);
}

} // namespace zel
