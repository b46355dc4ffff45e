#pragma once

#include <QColor>
#include <QString>

namespace zel {

class RecordTable;

/// How one charted channel and the chart as a whole look, as the display options dialog
/// shows and edits them.
struct ChartDisplayOptions
{
    /// Fixed range of the channel axis.
    double minimum = 0.0;
    double maximum = 0.0;
    /// Number of grid divisions between minimum and maximum; 0 lets the axis choose its step.
    double divisions = 0.0;
    QColor colour; ///< the series
    QColor axisColour; ///< line and labels of the channel axis, labels of the bottom axis
    QColor gridColour; ///< grid and ticks of both axes
    QColor backColour; ///< the chart's background
    bool bottomAxisShown = true;
    bool axisGrid = false; ///< grid lines of the channel axis shown
};

/// Most grid divisions an axis takes: more would only print unreadable ticks, and millions
/// of them would stall every redraw.
constexpr double kMaxGridDivisions = 1000.0;

/// True when \a minimum..\a maximum can be an axis's fixed range: both finite, minimum below
/// maximum, and the span itself finite.
bool isUsableAxisRange(double minimum, double maximum);

/// \a divisions limited to 0..kMaxGridDivisions; anything not above 0 (NaN included) is 0.
double clampedDivisions(double divisions);

/// The tick step that gives \a divisions grid divisions over a usable range; 0 (the axis
/// chooses) for no divisions, or when the ticks would be numbered so far from 0 that their
/// count could not be held.
double axisStep(double minimum, double maximum, double divisions);

/// Puts \a options into the axis template, as presets for \a channel in log column
/// \a column: the chart-wide ("GLOBAL", 0) row and the (\a channel, \a column) row, each
/// found or added. Colours are stored as 0x00BBGGRR; every row written has FileVersion 1
/// and LineWidth 0. Saving the template is the caller's step.
void storeDisplayOptions(RecordTable &axisTemplate, const QString &channel, int column,
    const ChartDisplayOptions &options);

} // namespace zel
