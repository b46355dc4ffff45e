#pragma once

#include "logger/TrackLine.h"
#include "track/MapRange.h"

#include <QColor>
#include <QObject>
#include <QPointF>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPCurve;
class QCPItemTracer;
class QCPItemLine;
class QCPLayer;

namespace zel {

class ChartGestures;
class RecordTable;

/// How much shorter on the ground a map unit of longitude is than one of latitude at
/// \a latitude (map units): the cosine of the latitude, kept above that of 84 degrees.
double longitudeStretch(double latitude);

/// The map view of the track windows, over a QCustomPlot: the inside and outside edges of a
/// map table (series 0 and 1), the lines of the line files, and race lines (series 2 on).
///
/// Positions are map units (X longitude, Y latitude, millionths of a degree) mapped
/// linearly onto the plot, a unit of longitude drawn shorter than one of latitude by the
/// cosine of the latitude in view, so a circuit keeps its shape on the ground however the
/// window is sized or zoomed. The map's units themselves stay degrees. The gestures are the main chart's: a left-drag
/// rectangle zooms, the wheel zooms around the mouse, a right- or middle-drag pans and a
/// double click shows everything again.
class TrackMapView : public QObject
{
    Q_OBJECT
public:
    struct Look
    {
        QColor background = Qt::black;
        /// The plot area behind the map.
        QColor backWall = Qt::black;
        /// Diameter of the edges' point marks in pixels; 0 draws lines only.
        double edgePointSize = 0;
    };

    TrackMapView(QCustomPlot &plot, const Look &look, QObject *parent = nullptr);

    QCustomPlot &plot() { return m_plot; }

    /// Draws the edges of \a map afresh (a closed map draws none).
    void showMap(const RecordTable &map);
    /// Points of edge series \a side (0 inside, 1 outside), for tests and the dots' owner.
    int edgePointCount(int side) const;

    // Lines of the line files

    /// Adds a 2-pixel line from (X1, Y1) to (X2, Y2) of \a line, tagged with \a tag.
    QCPItemLine *addLine(const TrackLine &line, const QColor &colour, int tag);
    /// Moves the ends of \a item to those of \a line.
    void setLineEnds(QCPItemLine *item, const TrackLine &line);
    void removeLine(QCPItemLine *item);
    /// Removes every line tagged \a tag.
    void removeLines(int tag);
    /// Lines tagged \a tag in the order they were added.
    std::vector<QCPItemLine *> lines(int tag) const;
    /// The tag a line was added with.
    static int tagOf(const QCPItemLine *item);

    // Race lines

    /// Adds the race line of \a lap (its GPS points in view order, copied, so the line
    /// outlives the table) in \a colour, unless that table's race line is already shown.
    /// Returns whether one was added.
    bool addRaceLine(const RecordTable &lap, const QColor &colour);
    /// Removes the race lines drawn from \a lap.
    void removeRaceLines(const RecordTable &lap);
    void removeAllRaceLines();
    int raceLineCount() const { return int(m_raceLines.size()); }

    // Position dots

    /// True when the map shows an edge: positions can be placed on it then.
    bool hasMap() const;
    /// Replaces the position dots by filled circles of radius 5 pixels at \a positions (map
    /// units) in their colours, redrawing their layer only. They stay at those positions,
    /// through zoom and pan, until the next call.
    void showPositionDots(const std::vector<std::pair<QPointF, QColor>> &positions);
    /// The dots shown now.
    std::vector<QCPItemTracer *> positionDots() const;

    // View

    /// Scales the view to everything drawn again.
    void showAll();
    /// The axis ranges shown, in map units.
    MapRange view() const;
    /// Shows \a range (widened on one axis to keep the scale equal).
    void setView(const MapRange &range);
    /// Pixel position of map position \a value, and back.
    QPointF valueToPixel(QPointF value) const;
    QPointF pixelToValue(QPointF pixel) const;
    /// True when \a pixel lies inside the plotting rectangle.
    bool insidePlot(QPointF pixel) const;
    void replot();

private:
    struct RaceLine
    {
        const RecordTable *lap;
        QCPCurve *curve;
    };
    void keepScale();

    QCustomPlot &m_plot;
    QCPCurve *m_edges[2] = {};
    std::vector<RaceLine> m_raceLines;
    ChartGestures *m_gestures = nullptr;
    QCPLayer *m_dotLayer = nullptr;
    std::vector<QCPItemTracer *> m_dots; // shown ones first, then spare hidden ones
};

} // namespace zel
