#include "ui/ChartBandAxis.h"

#include <algorithm>
#include <vector>

namespace zel {

ChartBandAxis::ChartBandAxis(QCPAxisRect *parent, AxisType type)
    : QCPAxis(parent, type)
{
}

void ChartBandAxis::setBand(ChartBand band, QCPRange dataRange)
{
    m_band = band;
    m_dataRange = dataRange;
}

QRect ChartBandAxis::bandRect() const
{
    const QRect plot = mAxisRect->rect();
    if (orientation() != Qt::Vertical || !(m_dataRange.size() > 0.0))
        return plot;
    const double a = coordToPixel(m_dataRange.lower);
    const double b = coordToPixel(m_dataRange.upper);
    const int top = std::max(plot.top(), int(std::floor(std::min(a, b))));
    const int bottom = std::min(plot.bottom(), int(std::ceil(std::max(a, b))));
    if (top >= bottom)
        return {};
    return QRect(plot.left(), top, plot.width(), bottom - top + 1);
}

// As QCPAxis::draw, with the painter's rectangle narrowed to the band.
void ChartBandAxis::draw(QCPPainter *painter)
{
    const QRect band = bandRect();
    if (band.isEmpty())
        return;
    QVector<double> subTickPositions;
    QVector<double> tickPositions;
    QVector<QString> tickLabels;
    if (mTicks) {
        tickPositions.reserve(mTickVector.size());
        for (qsizetype i = 0; i < mTickVector.size(); ++i) {
            tickPositions.append(coordToPixel(mTickVector.at(i)));
            if (mTickLabels)
                tickLabels.append(mTickVectorLabels.at(i));
        }
        if (mSubTicks) {
            subTickPositions.reserve(mSubTickVector.size());
            for (double subTick : std::as_const(mSubTickVector))
                subTickPositions.append(coordToPixel(subTick));
        }
    }
    mAxisPainter->type = mAxisType;
    mAxisPainter->basePen = getBasePen();
    mAxisPainter->labelFont = getLabelFont();
    mAxisPainter->labelColor = getLabelColor();
    mAxisPainter->label = mLabel;
    mAxisPainter->substituteExponent = mNumberBeautifulPowers;
    mAxisPainter->tickPen = getTickPen();
    mAxisPainter->subTickPen = getSubTickPen();
    mAxisPainter->tickLabelFont = getTickLabelFont();
    mAxisPainter->tickLabelColor = getTickLabelColor();
    mAxisPainter->axisRect = band;
    mAxisPainter->viewportRect = mParentPlot->viewport();
    mAxisPainter->abbreviateDecimalPowers = mScaleType == stLogarithmic;
    mAxisPainter->reversedEndings = mRangeReversed;
    mAxisPainter->tickPositions = tickPositions;
    mAxisPainter->tickLabels = tickLabels;
    mAxisPainter->subTickPositions = subTickPositions;
    mAxisPainter->draw(painter);
}

ChartAxisRect::ChartAxisRect(QCustomPlot *plot)
    : QCPAxisRect(plot, true)
{
}

ChartAxisRect *ChartAxisRect::install(QCustomPlot &plot)
{
    auto *rect = new ChartAxisRect(&plot);
    plot.plotLayout()->clear();
    plot.plotLayout()->addElement(0, 0, rect);
    plot.xAxis = rect->axis(QCPAxis::atBottom);
    plot.yAxis = rect->axis(QCPAxis::atLeft);
    plot.xAxis2 = rect->axis(QCPAxis::atTop);
    plot.yAxis2 = rect->axis(QCPAxis::atRight);
    plot.legend = new QCPLegend;
    plot.legend->setVisible(false);
    rect->insetLayout()->addElement(plot.legend, Qt::AlignRight | Qt::AlignTop);
    rect->setLayer(QStringLiteral("background"));
    for (QCPAxis *axis : rect->axes()) {
        axis->setLayer(QStringLiteral("axes"));
        axis->grid()->setLayer(QStringLiteral("grid"));
    }
    plot.legend->setLayer(QStringLiteral("legend"));
    return rect;
}

int ChartAxisRect::calculateAutoMargin(QCP::MarginSide side)
{
    const int stacked = QCPAxisRect::calculateAutoMargin(side);
    if (side != QCP::msLeft)
        return stacked;

    // Places are filled outwards from the plot's edge: each band axis takes the first place
    // where no axis already there overlaps its band. Plain axes mark the edge itself.
    struct Place
    {
        int width = 0;
        std::vector<ChartBand> bands;
    };
    std::vector<Place> places;
    std::vector<std::pair<ChartBandAxis *, size_t>> placed;
    for (QCPAxis *axis : axes(QCPAxis::atLeft)) {
        if (!axis->visible())
            continue;
        axis->setOffset(0);
        auto *bandAxis = dynamic_cast<ChartBandAxis *>(axis);
        if (!bandAxis)
            continue;
        const ChartBand band = bandAxis->band();
        const auto overlaps = [&band](const ChartBand &other) {
            return band.start < other.end && other.start < band.end;
        };
        size_t index = 0;
        while (index < places.size()
            && std::any_of(places[index].bands.begin(), places[index].bands.end(), overlaps))
            ++index;
        if (index == places.size())
            places.emplace_back();
        places[index].bands.push_back(band);
        places[index].width = std::max(places[index].width, bandAxis->margin());
        placed.emplace_back(bandAxis, index);
    }
    if (places.empty())
        return stacked;
    std::vector<int> offsets;
    int offset = 0;
    for (const Place &place : places) {
        offsets.push_back(offset);
        offset += place.width;
    }
    for (const auto &[axis, index] : placed)
        axis->setOffset(offsets[index]);
    return offset;
}

} // namespace zel
