#include "track/widgets/TrackLineList.h"

#include "track/widgets/TrackMapView.h"
#include "ui/HandlerGuard.h"

#include <QListWidget>
#include <cmath>
#include <qcustomplot.h>
#include <utility>

namespace zel {

namespace {

// The entry a loaded record is listed under; empty for a kind the file does not use.
QString loadedName(LineFile file, int kind, int record)
{
    if (file == LineFile::Messages) {
        switch (kind) {
        case TrackLineList::kFirstMessageLine:
            return QStringLiteral("Message 0");
        case TrackLineList::kMessageLine:
            return QStringLiteral("Message %1").arg(record);
        default:
            return {};
        }
    }
    switch (kind) {
    case kStartFinishLine:
        return QStringLiteral("Start/Finish (Lap)");
    case kSectorLine:
        return QStringLiteral("Sector Line %1").arg(record);
    case kLogStartLine:
        return QStringLiteral("Log Start");
    case kLogStopLine:
        return QStringLiteral("Log Stop");
    default:
        return {};
    }
}

} // namespace

TrackLineList::TrackLineList(UserDialogs &dialogs, QListWidget &list, TKROTrack &track,
    TrackMapView &view, LineFile file, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_list(list)
    , m_track(track)
    , m_view(view)
    , m_file(file)
{
    connectGuarded(m_dialogs, &m_list, &QListWidget::itemChanged, this,
        [this](QListWidgetItem *item) { onItemChanged(item); });
}

QColor TrackLineList::lineColour(LineFile file, int kind)
{
    if (file == LineFile::Messages) {
        switch (kind) {
        case TrackLineList::kFirstMessageLine:
            return QColor(0, 0, 255);
        case TrackLineList::kMessageLine:
            return QColor(0, 128, 0);
        default:
            return {};
        }
    }
    switch (kind) {
    case kStartFinishLine:
        return QColor(255, 0, 0);
    case kSectorLine:
        return QColor(255, 255, 0);
    case kLogStartLine:
        return QColor(128, 0, 128);
    case kLogStopLine:
        return QColor(0, 128, 128);
    default:
        return {};
    }
}

int TrackLineList::add(const QString &name, int kind)
{
    const int record = freeLineRecord(m_track.TrackData());
    TrackLine &line = m_track.TrackData()[size_t(record)];
    line.index = std::uint8_t(record);
    line.RecType = std::uint8_t(kind);
    append(name, record);
    m_view.replot();
    return record;
}

void TrackLineList::append(const QString &name, int record)
{
    const TrackLine &line = m_track.TrackData()[size_t(record)];
    m_entries.push_back({ record, m_view.addLine(line, lineColour(m_file, line.RecType), tag()) });
    auto *item = new QListWidgetItem(name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const QSignalBlocker quiet(m_list);
    item->setCheckState(Qt::Unchecked);
    m_list.addItem(item);
}

void TrackLineList::removeTicked()
{
    // Ticking one entry unticks the others, so the ticked entry is the active one.
    const int entry = std::exchange(m_active, -1);
    if (entry < 0)
        return;
    m_placing = false;
    m_view.removeLine(lineOf(entry));
    m_track.TrackData()[size_t(recordOf(entry))] = {};
    m_entries.erase(m_entries.begin() + entry);
    {
        const QSignalBlocker quiet(m_list);
        delete m_list.takeItem(entry);
    }
    m_view.replot();
    emit activeChanged();
}

void TrackLineList::rebuild()
{
    m_view.removeLines(tag());
    m_entries.clear();
    {
        const QSignalBlocker quiet(m_list);
        m_list.clear();
    }
    m_active = -1;
    m_placing = false;
    for (int record = 0; record < TKROTrack::kLineCount; ++record) {
        const QString name
            = loadedName(m_file, m_track.TrackData()[size_t(record)].RecType, record);
        if (!name.isEmpty())
            append(name, record);
    }
    m_view.replot();
    emit activeChanged();
}

void TrackLineList::clear()
{
    m_track.TrackData() = {};
    rebuild();
}

TrackLine *TrackLineList::activeLine()
{
    return m_active < 0 ? nullptr : &m_track.TrackData()[size_t(recordOf(m_active))];
}

QString TrackLineList::activeName() const
{
    return m_active < 0 ? QString() : m_list.item(m_active)->text();
}

void TrackLineList::place(QPointF position)
{
    TrackLine *line = activeLine();
    if (!line)
        return;
    QCPItemLine *item = lineOf(m_active);
    if (!m_placing) {
        placeLineEnd(*line, LineEnd::First, position.x(), position.y(), m_file);
        // Until the second click the line runs from its first end to the mouse.
        item->start->setCoords(line->X1, line->Y1);
        item->end->setCoords(line->X1, line->Y1);
        m_placing = true;
        m_view.replot();
        return;
    }
    placeLineEnd(*line, LineEnd::Second, position.x(), position.y(), m_file);
    m_view.setLineEnds(item, *line);
    m_placing = false;
    // Unticking the entry ends the line: the list's handler makes no entry active.
    m_list.item(m_active)->setCheckState(Qt::Unchecked);
    m_view.replot();
}

void TrackLineList::follow(QPointF position)
{
    if (!m_placing)
        return;
    lineOf(m_active)->end->setCoords(std::trunc(position.x()), std::trunc(position.y()));
    m_view.plot().replot(QCustomPlot::rpQueuedReplot);
}

void TrackLineList::onItemChanged(QListWidgetItem *item)
{
    if (m_updatingTicks)
        return;
    const int entry = m_list.row(item);
    if (item->checkState() == Qt::Checked && entry != m_active)
        activate(entry);
    else if (item->checkState() != Qt::Checked && entry == m_active)
        activate(-1);
}

void TrackLineList::activate(int entry)
{
    // A line left half placed shows what its record holds again.
    if (m_placing)
        m_view.setLineEnds(lineOf(m_active), m_track.TrackData()[size_t(recordOf(m_active))]);
    m_placing = false;
    m_active = entry;
    m_updatingTicks = true;
    for (int other = 0; other < count(); ++other) {
        if (other != entry)
            m_list.item(other)->setCheckState(Qt::Unchecked);
    }
    m_updatingTicks = false;
    m_view.replot();
    emit activeChanged();
}

} // namespace zel
