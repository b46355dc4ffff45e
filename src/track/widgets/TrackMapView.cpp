#include "track/widgets/TrackMapView.h"

#include "session/RecordTable.h"
#include "track/MapTable.h"
#include "track/RaceLine.h"
#include "ui/ChartGestures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <qcustomplot.h>

namespace zel {

namespace {

const char *const kTagProperty = "zelLineTag";

} // namespace

double longitudeStretch(double latitude)
{
    const double degrees = std::clamp(latitude / 1e6, -84.0, 84.0);
    return std::cos(degrees * std::numbers::pi / 180.0);
}

namespace {

void setPoints(QCPCurve &curve, const QList<QPointF> &points)
{
    QVector<QCPCurveData> data(points.size());
    QCPCurveData *out = data.data();
    for (qsizetype i = 0; i < points.size(); ++i)
        out[i] = QCPCurveData(double(i), points[i].x(), points[i].y());
    curve.data()->set(data, true);
}

} // namespace

TrackMapView::TrackMapView(QCustomPlot &plot, const Look &look, QObject *parent)
    : QObject(parent)
    , m_plot(plot)
{
    m_plot.setBackground(look.background);
    m_plot.axisRect()->setBackground(look.backWall);
    m_plot.legend->setVisible(false);
    for (QCPAxis *axis : m_plot.axisRect()->axes()) {
        axis->setVisible(false);
        axis->grid()->setVisible(false);
    }
    m_plot.xAxis->setLabel(QStringLiteral("Longitude"));
    m_plot.yAxis->setLabel(QStringLiteral("Latitude"));
    m_plot.axisRect()->setAutoMargins(QCP::msNone);
    m_plot.axisRect()->setMargins(QMargins(4, 4, 4, 4));
    m_plot.axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    m_plot.axisRect()->setRangeZoomAxes(m_plot.xAxis, m_plot.yAxis);
    for (QCPCurve *&edge : m_edges) {
        edge = new QCPCurve(m_plot.xAxis, m_plot.yAxis);
        edge->setPen(QPen(Qt::white));
        if (look.edgePointSize > 0)
            edge->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, look.edgePointSize));
    }
    m_edges[0]->setName(QStringLiteral("Inside"));
    m_edges[1]->setName(QStringLiteral("Outside"));
    m_gestures = new ChartGestures(m_plot, [this] { showAll(); }, this);
    // The axis rectangle's size is known only once laid out; the scale is evened there.
    connect(&m_plot, &QCustomPlot::afterLayout, this, &TrackMapView::keepScale);
    // The dots share QCustomPlot's own buffered top layer (otherwise holding only the zoom
    // rectangle), so a cursor move redraws that layer alone and puts no further buffer
    // together.
    m_dotLayer = m_plot.layer(QStringLiteral("overlay"));
    m_dotLayer->setMode(QCPLayer::lmBuffered);
}

bool TrackMapView::hasMap() const
{
    return m_edges[0]->dataCount() > 0 || m_edges[1]->dataCount() > 0;
}

void TrackMapView::showPositionDots(const std::vector<std::pair<QPointF, QColor>> &positions)
{
    // Dots are kept and moved rather than made anew: a new item on the layer would make
    // the whole map redraw instead of the layer alone.
    while (m_dots.size() < positions.size()) {
        // A tracer keeps its size in pixels while its place follows zoom and pan.
        auto *dot = new QCPItemTracer(&m_plot);
        dot->setLayer(m_dotLayer);
        dot->setSelectable(false);
        dot->setStyle(QCPItemTracer::tsCircle);
        dot->setSize(10);
        m_dots.push_back(dot);
    }
    for (size_t i = 0; i < m_dots.size(); ++i) {
        QCPItemTracer *dot = m_dots[i];
        dot->setVisible(i < positions.size());
        if (i >= positions.size())
            continue;
        const auto &[position, colour] = positions[i];
        dot->setPen(QPen(colour));
        dot->setBrush(colour);
        dot->position->setCoords(position);
    }
    m_dotLayer->replot();
}

std::vector<QCPItemTracer *> TrackMapView::positionDots() const
{
    std::vector<QCPItemTracer *> shown;
    for (QCPItemTracer *dot : m_dots) {
        if (dot->visible())
            shown.push_back(dot);
    }
    return shown;
}

void TrackMapView::showMap(const RecordTable &map)
{
    setPoints(*m_edges[0], mapEdgePoints(map, TrackSide::Inside));
    setPoints(*m_edges[1], mapEdgePoints(map, TrackSide::Outside));
}

int TrackMapView::edgePointCount(int side) const
{
    return m_edges[side]->dataCount();
}

// Lines

QCPItemLine *TrackMapView::addLine(const TrackLine &line, const QColor &colour, int tag)
{
    auto *item = new QCPItemLine(&m_plot);
    item->setPen(QPen(colour, 2));
    item->setSelectable(false);
    item->setProperty(kTagProperty, tag);
    setLineEnds(item, line);
    return item;
}

void TrackMapView::setLineEnds(QCPItemLine *item, const TrackLine &line)
{
    item->start->setCoords(line.X1, line.Y1);
    item->end->setCoords(line.X2, line.Y2);
}

void TrackMapView::removeLine(QCPItemLine *item)
{
    m_plot.removeItem(item);
}

void TrackMapView::removeLines(int tag)
{
    for (QCPItemLine *item : lines(tag))
        m_plot.removeItem(item);
}

std::vector<QCPItemLine *> TrackMapView::lines(int tag) const
{
    std::vector<QCPItemLine *> found;
    for (int i = 0; i < m_plot.itemCount(); ++i) {
        auto *item = qobject_cast<QCPItemLine *>(m_plot.item(i));
        if (item && tagOf(item) == tag)
            found.push_back(item);
    }
    return found;
}

int TrackMapView::tagOf(const QCPItemLine *item)
{
    return item->property(kTagProperty).toInt();
}

// Race lines

bool TrackMapView::addRaceLine(const RecordTable &lap, const QColor &colour)
{
    if (std::any_of(m_raceLines.begin(), m_raceLines.end(),
            [&lap](const RaceLine &line) { return line.lap == &lap; }))
        return false;
    auto *curve = new QCPCurve(m_plot.xAxis, m_plot.yAxis);
    curve->setLineStyle(QCPCurve::lsNone);
    // A disc of 2 pixels is its 2 by 2 pixels: drawn as a pixmap it costs a copy per point
    // instead of a curve path, which for a long session is the difference between a
    // tenth of a second and a second.
    QPixmap disc(2, 2);
    disc.fill(colour);
    curve->setScatterStyle(QCPScatterStyle(disc));
    curve->setAntialiasedScatters(false);
    setPoints(*curve, raceLinePoints(lap));
    m_raceLines.push_back({ &lap, curve });
    return true;
}

void TrackMapView::removeRaceLines(const RecordTable &lap)
{
    std::erase_if(m_raceLines, [&](const RaceLine &line) {
        if (line.lap != &lap)
            return false;
        m_plot.removePlottable(line.curve);
        return true;
    });
}

void TrackMapView::removeAllRaceLines()
{
    for (const RaceLine &line : m_raceLines)
        m_plot.removePlottable(line.curve);
    m_raceLines.clear();
}

// View

void TrackMapView::showAll()
{
    m_plot.rescaleAxes();
    const MapRange range = view();
    const double margin = std::max({ range.maxX - range.minX, range.maxY - range.minY, 2.0 }) * 0.03;
    setView({ range.minX - margin, range.maxX + margin, range.minY - margin, range.maxY + margin });
}

MapRange TrackMapView::view() const
{
    const QCPRange x = m_plot.xAxis->range();
    const QCPRange y = m_plot.yAxis->range();
    return { x.lower, x.upper, y.lower, y.upper };
}

void TrackMapView::setView(const MapRange &range)
{
    m_plot.xAxis->setRange(range.minX, range.maxX);
    m_plot.yAxis->setRange(range.minY, range.maxY);
    keepScale();
}

void TrackMapView::keepScale()
{
    const QRect area = m_plot.axisRect()->rect();
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QCPAxis *x = m_plot.xAxis;
    QCPAxis *y = m_plot.yAxis;
    // A degree of longitude is shorter on the ground than one of latitude, by the cosine of
    // the latitude; drawing it so keeps the circuit's true shape.
    const double stretch = longitudeStretch(y->range().center());
    const double perPixel = std::max(
        x->range().size() * stretch / area.width(), y->range().size() / area.height());
    if (!(perPixel > 0.0))
        return;
    x->setRange(x->range().center(), perPixel / stretch * area.width(), Qt::AlignCenter);
    y->setRange(y->range().center(), perPixel * area.height(), Qt::AlignCenter);
}

QPointF TrackMapView::valueToPixel(QPointF value) const
{
    return { m_plot.xAxis->coordToPixel(value.x()), m_plot.yAxis->coordToPixel(value.y()) };
}

QPointF TrackMapView::pixelToValue(QPointF pixel) const
{
    return { m_plot.xAxis->pixelToCoord(pixel.x()), m_plot.yAxis->pixelToCoord(pixel.y()) };
}

bool TrackMapView::insidePlot(QPointF pixel) const
{
    const QRect area = m_plot.axisRect()->rect();
    return pixel.x() > area.left() && pixel.x() < area.right() && pixel.y() > area.top()
        && pixel.y() < area.bottom();
}

void TrackMapView::replot()
{
    m_plot.replot();
}

} // namespace zel
