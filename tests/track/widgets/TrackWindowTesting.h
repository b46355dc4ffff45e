#pragma once

#include "logger/TKROTrack.h"
#include "session/ChannelGrid.h"
#include "session/TKROData.h"

#include <QString>
#include <memory>
#include <vector>

namespace zel::testing {

/// Session logs in the columns of a channel grid, as the main window holds them: log c is
/// attached to cell (c, 0), its data table has the GPS columns and \a points rows.
struct GridLogs
{
    ChannelGrid grid;
    std::vector<std::unique_ptr<TKROData>> logs;

    TKROData &add(int points, double offset = 0)
    {
        auto log = std::make_unique<TKROData>();
        RecordTable &table = log->LogData();
        table.close();
        table.clearColumns();
        table.addColumn(QStringLiteral("ReadingID"), ColumnType::Integer);
        table.addColumn(QStringLiteral("GPSLong"), ColumnType::Real);
        table.addColumn(QStringLiteral("GPSLat"), ColumnType::Real);
        table.open();
        for (int i = 0; i < points; ++i) {
            const double numbers[] = { double(i), 151000000 + offset + i * 10.0,
                -33000000 + offset + i * 1.0 };
            const unsigned char present[] = { 1, 1, 1 };
            table.AppendNumbers(numbers, present);
        }
        const int column = int(logs.size()) + 1;
        grid.setColCount(std::max(grid.colCount(), column + 1));
        grid.setObject(column, 0, log.get());
        logs.push_back(std::move(log));
        return *logs.back();
    }
};

/// Writes a line file whose records 0, 1, ... have the kinds given, each line from
/// (10 k, 20 k) to (10 k + 5, 20 k + 5) for record k.
inline void writeLineFile(const QString &path, const std::vector<int> &kinds)
{
    TKROTrack track;
    track.TrackData() = {};
    for (size_t k = 0; k < kinds.size(); ++k) {
        TrackLine &line = track.TrackData()[k];
        line.index = std::uint8_t(k);
        line.RecType = std::uint8_t(kinds[k]);
        line.X1 = 10.0 * k;
        line.Y1 = 20.0 * k;
        line.X2 = 10.0 * k + 5;
        line.Y2 = 20.0 * k + 5;
    }
    track.setTrackFileName(path);
    track.SaveTrackTable();
}

} // namespace zel::testing
