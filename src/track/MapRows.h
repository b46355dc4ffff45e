#pragma once

#include "track/MapTable.h"

#include <QHash>
#include <vector>

namespace zel {

class RecordTable;

/// A working copy of a map table's rows that the map functions change and then put back in
/// one step. Writing points one by one through the table's cursor would re-sort its view
/// for every point, which a whole session handed in as a lap makes far too slow; a copy also
/// leaves the table untouched when a step fails half-way.
class MapRows
{
public:
    /// Copies every stored row of \a map (a closed map has none); throws TrackMapError when
    /// a map column is missing.
    explicit MapRows(const RecordTable &map);

    /// Number of rows.
    int size() const { return int(m_rows.size()); }
    /// Sets point \a k of \a side to (x, y) with altitude 0, adding row k when missing.
    void setPoint(qint64 k, TrackSide side, double x, double y);
    /// Empties \a side's columns in the rows after point \a k; a row left with no point of
    /// either edge is dropped.
    void clearSideAfter(qint64 k, TrackSide side);
    /// Drops every row whose inside or outside longitude is 0 or empty.
    void dropIncompleteRows();
    /// Fills \a side's longitude and latitude forward in ReadingID order: a 0 or empty cell
    /// takes the last non-zero value above it, and stays 0 when there is none yet.
    void fillForward(TrackSide side);

    /// Replaces the rows of \a map with these in ReadingID order, opening it when closed.
    void writeTo(RecordTable &map);

private:
    struct Row
    {
        std::vector<double> values;
        std::vector<unsigned char> present;
    };
    struct SideColumns
    {
        int longitude;
        int latitude;
        int altitude;
    };

    const SideColumns &columns(TrackSide side) const
    {
        return side == TrackSide::Inside ? m_inside : m_outside;
    }
    static double number(const Row &row, int column);
    static bool hasPosition(const Row &row, const SideColumns &side);
    bool before(const Row &a, const Row &b) const;
    void sortById();

    int m_id = -1;
    SideColumns m_inside {};
    SideColumns m_outside {};
    int m_columnCount = 0;
    std::vector<Row> m_rows;
};

} // namespace zel
