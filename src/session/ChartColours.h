#pragma once

#include <QtGlobal>

namespace zel {

class RecordTable;

/// The chart-wide look the axis template gives at start-up, as 0xRRGGBB colours.
struct ChartColours
{
    bool bottomAxisVisible = true;
    quint32 background = 0x000000;
    /// Grid, tick and minor tick colour of the bottom axis.
    quint32 grid = 0xFFFFFF;

    bool operator==(const ChartColours &) const = default;
};

/// Gives an empty axis template its columns (channel name, log column, colours, range,
/// grid switches, file version, grid divisions), as the template file holds them.
void defineAxisTemplateColumns(RecordTable &axisTemplate);

/// The look of the template's ("GLOBAL", 0) row: its BottomGrid, BackColour and GridColour;
/// black with a white grid and the bottom axis shown when the template has no such row.
/// Colours are stored as 0x00BBGGRR values, as the dash software wrote them.
ChartColours chartColoursFrom(RecordTable &axisTemplate);

/// A stored 0x00BBGGRR colour as 0xRRGGBB.
quint32 rgbFromStoredColour(quint32 stored);

/// A 0xRRGGBB colour as it is stored, 0x00BBGGRR.
quint32 storedColourFromRgb(quint32 rgb);

} // namespace zel
