#include "track/widgets/TTrackLapForm.h"

#include "session/ChannelGrid.h"
#include "session/TKROData.h"
#include "track/MapTable.h"
#include "track/widgets/TrackMapView.h"
#include "ui/HandlerGuard.h"
#include "ui/ToolWindow.h"
#include "ui/UserDialogs.h"

#include <QDir>
#include <QMenuBar>
#include <qcustomplot.h>

namespace zel {

namespace {

RecordTable *lapTableOf(const ChannelGrid &grid, int column)
{
    auto *log = column >= 1 ? qobject_cast<TKROData *>(grid.object(column, 0)) : nullptr;
    return log ? &log->LogData() : nullptr;
}

// Line colours of the viewer by line kind; the editor's differ for the logging lines.
QColor lineColour(int kind)
{
    switch (kind) {
    case kStartFinishLine:
        return QColor(255, 0, 0);
    case kSectorLine:
        return QColor(255, 255, 0);
    case kLogStartLine:
        return QColor(0, 128, 0);
    case kLogStopLine:
        return QColor(0, 0, 255);
    default:
        return {};
    }
}

constexpr int kSectorFileTag = 1;

} // namespace

TTrackLapForm::TTrackLapForm(UserDialogs &dialogs, const QString &dataFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_dataFolder(dataFolder)
{
    setObjectName(QStringLiteral("TrackLapForm"));
    setWindowTitle(QStringLiteral("Track Lap"));
    makeToolWindow(*this);
    resize(640, 560);

    defineMapTable(MapTable);
    m_plot = new QCustomPlot;
    m_plot->setObjectName(QStringLiteral("TrackMap"));
    setCentralWidget(m_plot);
    TrackMapView::Look look;
    look.backWall = QColor(128, 128, 128);
    m_view = new TrackMapView(*m_plot, look, this);
    m_view->showMap(MapTable);

    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    QAction *openTrack = file->addAction(QStringLiteral("Open Track File"));
    openTrack->setObjectName(QStringLiteral("OpenTrackFile1"));
    connectGuarded(m_dialogs, openTrack, &QAction::triggered, this, [this] { OpenTrackFile1Click(); });
    QAction *openSectors = file->addAction(QStringLiteral("Open Sector File"));
    openSectors->setObjectName(QStringLiteral("OpenSectorFile1"));
    connectGuarded(
        m_dialogs, openSectors, &QAction::triggered, this, [this] { OpenSectorFile1Click(); });
    connect(&KROTrack1, &TKROTrack::OnloadTable, this, &TTrackLapForm::KROTrack1loadTable);
}

TTrackLapForm::~TTrackLapForm() = default;

void TTrackLapForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!std::exchange(m_centred, true))
        centreOnScreen(*this);
}

QString TTrackLapForm::dialogFolder() const
{
    QDir().mkpath(m_dataFolder);
    return m_dataFolder;
}

void TTrackLapForm::AddRaceline(const ChannelGrid &grid, int column, const QColor &colour)
{
    if (RecordTable *lap = lapTableOf(grid, column))
        m_view->addRaceLine(*lap, colour);
    m_view->showAll();
    m_view->replot();
}

void TTrackLapForm::RemoveRaceline(const ChannelGrid &grid, int column)
{
    RecordTable *lap = lapTableOf(grid, column);
    if (!lap)
        return;
    m_view->removeRaceLines(*lap);
    m_view->replot();
}

void TTrackLapForm::Removelines()
{
    m_view->removeAllRaceLines();
    m_view->replot();
}

void TTrackLapForm::OpenTrackFile1Click()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Map Files|*.Map");
    request.defaultExtension = QStringLiteral("*.Map");
    request.initialFolder = dialogFolder();
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path)
        return;
    loadMapFile(MapTable, *path);
    m_view->showMap(MapTable);
    m_view->showAll();
    m_view->replot();
}

void TTrackLapForm::OpenSectorFile1Click()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Practice Files|*.Prc");
    request.defaultExtension = QStringLiteral("Prc");
    request.initialFolder = dialogFolder();
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path)
        return;
    KROTrack1.CloseTrackTable();
    KROTrack1.setTrackFileName(*path);
    KROTrack1.LoadTrackTable();
    if (!KROTrack1.loadWarning().isEmpty())
        m_dialogs.warning(KROTrack1.loadWarning());
}

void TTrackLapForm::KROTrack1loadTable()
{
    m_view->removeLines(kSectorFileTag);
    for (const TrackLine &line : KROTrack1.TrackData()) {
        const QColor colour = lineColour(line.RecType);
        if (colour.isValid())
            m_view->addLine(line, colour, kSectorFileTag);
    }
    m_view->replot();
}

} // namespace zel
