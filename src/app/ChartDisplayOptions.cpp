#include "app/ChartDisplayOptions.h"

#include "session/ChartColours.h"
#include "session/RecordTable.h"

#include <algorithm>
#include <cmath>

namespace zel {

namespace {

// Tick numbers (value / step) beyond this no longer fit the ticker's 64-bit counters.
constexpr double kMaxTickNumber = 1e15;

// Moves the template to its row for (channel, column), adding the row when there is none,
// and starts editing it.
void editRow(RecordTable &axisTemplate, const QString &channel, int column)
{
    const int name = axisTemplate.columnIndex(QStringLiteral("ChannelName"));
    const int log = axisTemplate.columnIndex(QStringLiteral("LogIndex"));
    for (int position = 0; position < axisTemplate.recordCount(); ++position) {
        const int row = axisTemplate.viewRow(position);
        if (axisTemplate.textAt(name, row) == channel && !axisTemplate.isNullAt(log, row)
            && axisTemplate.numberAt(log, row) == column) {
            axisTemplate.setRecNo(position);
            axisTemplate.Edit();
            return;
        }
    }
    axisTemplate.Append();
    axisTemplate.fieldByName(QStringLiteral("ChannelName")).setText(channel);
    axisTemplate.fieldByName(QStringLiteral("LogIndex")).setInteger(column);
}

void setColour(RecordTable &axisTemplate, const char *name, const QColor &colour)
{
    axisTemplate.fieldByName(QString::fromLatin1(name))
        .setInteger(storedColourFromRgb(colour.rgb() & 0xFFFFFF));
}

// Writes the row for (channel, column) with \a fill; a template that lacks a column is
// left as it was.
template <typename Fill>
void writeRow(RecordTable &axisTemplate, const QString &channel, int column, Fill fill)
{
    editRow(axisTemplate, channel, column);
    try {
        fill();
        axisTemplate.fieldByName(QStringLiteral("LineWidth")).setInteger(0);
        axisTemplate.fieldByName(QStringLiteral("FileVersion")).setInteger(1);
        axisTemplate.Post();
    } catch (...) {
        axisTemplate.Cancel();
        throw;
    }
}

} // namespace

bool isUsableAxisRange(double minimum, double maximum)
{
    return std::isfinite(minimum) && std::isfinite(maximum) && minimum < maximum
        && std::isfinite(maximum - minimum);
}

double clampedDivisions(double divisions)
{
    return divisions > 0.0 ? std::min(divisions, kMaxGridDivisions) : 0.0;
}

double axisStep(double minimum, double maximum, double divisions)
{
    const double clamped = clampedDivisions(divisions);
    if (clamped == 0.0 || !isUsableAxisRange(minimum, maximum))
        return 0.0;
    const double step = (maximum - minimum) / clamped;
    const double farthest = std::max(std::abs(minimum), std::abs(maximum));
    return step > 0.0 && farthest / step < kMaxTickNumber ? step : 0.0;
}

void storeDisplayOptions(RecordTable &axisTemplate, const QString &channel, int column,
    const ChartDisplayOptions &options)
{
    writeRow(axisTemplate, QStringLiteral("GLOBAL"), 0, [&] {
        axisTemplate.fieldByName(QStringLiteral("BottomGrid")).setBoolean(options.bottomAxisShown);
        setColour(axisTemplate, "BackColour", options.backColour);
        setColour(axisTemplate, "AxisColour", options.axisColour);
        setColour(axisTemplate, "GridColour", options.gridColour);
    });
    writeRow(axisTemplate, channel, column, [&] {
        axisTemplate.fieldByName(QStringLiteral("Minimum")).setReal(options.minimum);
        axisTemplate.fieldByName(QStringLiteral("Maximum")).setReal(options.maximum);
        setColour(axisTemplate, "Colour", options.colour);
        axisTemplate.fieldByName(QStringLiteral("Increment")).setReal(options.divisions);
        axisTemplate.fieldByName(QStringLiteral("LeftGrid")).setBoolean(options.axisGrid);
    });
}

} // namespace zel
