#include "track/widgets/TTrackForm.h"

#include "track/MapEdgeImport.h"
#include "track/MapTable.h"
#include "track/widgets/TrackLineList.h"
#include "track/widgets/TrackMapView.h"
#include "ui/BusyCursor.h"
#include "ui/HandlerGuard.h"
#include "ui/ProgressBarBinding.h"
#include "ui/ToolWindow.h"
#include "ui/UserDialogs.h"

#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace zel {

namespace {

// What the dash shows of a message: longer texts do not fit its display.
constexpr int kMessageTextLength = 15;
// A press and release this many pixels apart or closer are a click, not a zoom drag (the
// distance the chart itself takes for a click).
constexpr int kClickDistance = 3;

QPushButton *addButton(QVBoxLayout &layout, const QString &caption, const char *name)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    layout.addWidget(button);
    return button;
}

QListWidget *addTickList(QVBoxLayout &layout, const char *name)
{
    auto *list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    layout.addWidget(list, 1);
    return list;
}

QLabel *addLabel(QVBoxLayout &layout, const QString &text, const char *name = nullptr)
{
    auto *label = new QLabel(text);
    if (name)
        label->setObjectName(QLatin1String(name));
    layout.addWidget(label);
    return label;
}

// Runs \a step of \a track on the file \a path; when it fails, the track keeps the file
// name it had.
void runOnFile(TKROTrack &track, const QString &path, void (TKROTrack::*step)())
{
    const QString previous = track.TrackFileName();
    track.setTrackFileName(path);
    try {
        (track.*step)();
    } catch (...) {
        track.setTrackFileName(previous);
        throw;
    }
}

} // namespace

TTrackForm::TTrackForm(UserDialogs &dialogs, const QString &dataFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_dataFolder(dataFolder)
{
    setObjectName(QStringLiteral("TrackForm"));
    setWindowTitle(QStringLiteral("Track Map"));
    makeToolWindow(*this);
    resize(860, 600);

    defineMapTable(MapTable);
    m_plot = new QCustomPlot;
    m_plot->setObjectName(QStringLiteral("TrackMap"));
    TrackMapView::Look look;
    look.edgePointSize = 1;
    m_view = new TrackMapView(*m_plot, look, this);

    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(createSectorPage(), QStringLiteral("Track Sectors"));
    m_pages->addTab(createMessagePage(), QStringLiteral("Track Messages"));
    m_pages->setFixedWidth(240);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("Label6"));
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    bindProgressBar(*m_progressBar, m_progress);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    auto *work = new QHBoxLayout;
    work->addWidget(m_plot, 1);
    work->addWidget(m_pages);
    layout->addLayout(work, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_progressBar);
    layout->addLayout(bottom);
    setCentralWidget(central);

    m_sectors
        = new TrackLineList(m_dialogs, *m_sectorList, KROTrack1, *m_view, LineFile::Sectors, this);
    m_messages = new TrackLineList(
        m_dialogs, *m_messageList, KROMessage, *m_view, LineFile::Messages, this);
    connect(m_sectors, &TrackLineList::activeChanged, this, &TTrackForm::showActiveSector);
    connect(m_messages, &TrackLineList::activeChanged, this, &TTrackForm::showActiveMessage);
    connect(&KROTrack1, &TKROTrack::OnloadTable, m_sectors, &TrackLineList::rebuild);
    connect(&KROMessage, &TKROTrack::OnloadTable, m_messages, &TrackLineList::rebuild);

    connectGuarded(m_dialogs, m_plot, &QCustomPlot::mouseMove, this,
        [this](QMouseEvent *event) { TrackMapMouseMove(event); });
    connectGuarded(m_dialogs, m_plot, &QCustomPlot::mousePress, this,
        [this](QMouseEvent *event) { TrackMapMousePress(event); });
    connectGuarded(m_dialogs, m_plot, &QCustomPlot::mouseRelease, this,
        [this](QMouseEvent *event) { TrackMapMouseRelease(event); });

    createMenus();
    showMapAfresh();
}

TTrackForm::~TTrackForm() = default;

QWidget *TTrackForm::createSectorPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_sectorList = addTickList(*layout, "CheckListBox2");
    QPushButton *add = addButton(*layout, QStringLiteral("Add Sector"), "AddSector");
    QPushButton *remove = addButton(*layout, QStringLiteral("Delete Sector"), "DeleteSector");
    QPushButton *logStart
        = addButton(*layout, QStringLiteral("Add start logging line"), "AddLogStart");
    QPushButton *logStop
        = addButton(*layout, QStringLiteral("Add stop logging line"), "AddLogStop");
    addLabel(*layout, QStringLiteral("Target Sector Time in Seconds"));
    m_targetTime = new QDoubleSpinBox;
    m_targetTime->setObjectName(QStringLiteral("RxSpinEdit1"));
    m_targetTime->setDecimals(3);
    m_targetTime->setRange(0, 99999.999);
    layout->addWidget(m_targetTime);
    addLabel(*layout, QStringLiteral("Selected Sector"));
    m_sectorName = addLabel(*layout, {}, "Label5");
    QPushButton *open = addButton(*layout, QStringLiteral("Open Sector File"), "OpenSectorFile");
    QPushButton *save = addButton(*layout, QStringLiteral("Save Sector File"), "SaveSectorFile");

    connectGuarded(m_dialogs, add, &QPushButton::clicked, this, [this] { AddSectorClick(); });
    connectGuarded(
        m_dialogs, remove, &QPushButton::clicked, this, [this] { m_sectors->removeTicked(); });
    connectGuarded(m_dialogs, logStart, &QPushButton::clicked, this,
        [this] { m_sectors->add(QStringLiteral("Log Start"), kLogStartLine); });
    connectGuarded(m_dialogs, logStop, &QPushButton::clicked, this,
        [this] { m_sectors->add(QStringLiteral("Log Stop"), kLogStopLine); });
    connectGuarded(
        m_dialogs, m_targetTime, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
            if (TrackLine *line = m_sectors->activeLine())
                line->TargetTime = seconds;
        });
    connectGuarded(m_dialogs, open, &QPushButton::clicked, this, [this] {
        FileDialogRequest request;
        request.filter = QStringLiteral("ZEL Practice Files|*.Prc");
        request.defaultExtension = QStringLiteral("Prc");
        request.initialFolder = dataFolder();
        openLineFile(KROTrack1, request);
    });
    connectGuarded(m_dialogs, save, &QPushButton::clicked, this, [this] {
        FileDialogRequest request;
        request.filter = QStringLiteral("ZEL Practice Files|*.Prc");
        request.defaultExtension = QStringLiteral("Prc");
        request.initialFolder = dataFolder();
        saveLineFile(KROTrack1, request);
    });
    return page;
}

QWidget *TTrackForm::createMessagePage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_messageList = addTickList(*layout, "CheckListBox1");
    QPushButton *add = addButton(*layout, QStringLiteral("Add Message"), "AddMessage");
    QPushButton *remove = addButton(*layout, QStringLiteral("Delete Message"), "DeleteMessage");
    addLabel(*layout, QStringLiteral("Message Text"));
    m_messageText = new QLineEdit;
    m_messageText->setObjectName(QStringLiteral("Edit1"));
    m_messageText->setMaxLength(kMessageTextLength);
    layout->addWidget(m_messageText);
    addLabel(*layout, QStringLiteral("Selected Message"));
    m_messageName = addLabel(*layout, {}, "Label2");
    QPushButton *open = addButton(*layout, QStringLiteral("Open Message File"), "OpenMessageFile");
    QPushButton *save = addButton(*layout, QStringLiteral("Save Message File"), "SaveMessageFile");

    connectGuarded(m_dialogs, add, &QPushButton::clicked, this, [this] { AddMessageClick(); });
    connectGuarded(
        m_dialogs, remove, &QPushButton::clicked, this, [this] { m_messages->removeTicked(); });
    // Only what the user types is stored: showing a record's text must not rewrite it.
    connectGuarded(
        m_dialogs, m_messageText, &QLineEdit::textEdited, this, [this](const QString &text) {
            if (TrackLine *line = m_messages->activeLine())
                line->Description.assign(text);
        });
    const auto request = [] {
        FileDialogRequest request;
        request.filter = QStringLiteral("ZEL Message Files|*.msg");
        request.defaultExtension = QStringLiteral("msg");
        return request;
    };
    connectGuarded(m_dialogs, open, &QPushButton::clicked, this,
        [this, request] { openLineFile(KROMessage, request()); });
    connectGuarded(m_dialogs, save, &QPushButton::clicked, this,
        [this, request] { saveLineFile(KROMessage, request()); });
    return page;
}

void TTrackForm::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    QAction *open = file->addAction(QStringLiteral("Open Track File"));
    open->setObjectName(QStringLiteral("OpenTrackFile1"));
    connectGuarded(m_dialogs, open, &QAction::triggered, this, [this] { OpenTrackFile1Click(); });
    QAction *save = file->addAction(QStringLiteral("Save Track File"));
    save->setObjectName(QStringLiteral("SaveTrackFile1"));
    connectGuarded(m_dialogs, save, &QAction::triggered, this, [this] { SaveTrackFile1Click(); });
    QAction *clear = file->addAction(QStringLiteral("Clear Current Track"));
    clear->setObjectName(QStringLiteral("ClearCurrentTrack1"));
    connectGuarded(
        m_dialogs, clear, &QAction::triggered, this, [this] { ClearCurrentTrack1Click(); });

    QMenu *maps = menuBar()->addMenu(QStringLiteral("Maps"));
    m_importInsidePath = maps->addAction(QStringLiteral("Import Inside from Google Path File"));
    m_importInsidePath->setObjectName(QStringLiteral("ImportInsidefromGooglePathFile1"));
    connectGuarded(m_dialogs, m_importInsidePath, &QAction::triggered, this,
        [this] { importPathFile(TrackSide::Inside); });
    m_importOutsidePath = maps->addAction(QStringLiteral("Import Outside from Google Path File"));
    m_importOutsidePath->setObjectName(QStringLiteral("ImportOutsidefromGooglePathFile1"));
    connectGuarded(m_dialogs, m_importOutsidePath, &QAction::triggered, this,
        [this] { importPathFile(TrackSide::Outside); });
}

QString TTrackForm::dataFolder() const
{
    QDir().mkpath(m_dataFolder);
    return m_dataFolder;
}

void TTrackForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!std::exchange(m_centred, true))
        centreOnScreen(*this);
}

void TTrackForm::closeEvent(QCloseEvent *event)
{
    guarded(m_dialogs, [this] { discardEverything(); });
    QMainWindow::closeEvent(event);
    emit closed();
}

void TTrackForm::discardEverything()
{
    m_sectors->clear();
    m_messages->clear();
    KROTrack1.CloseTrackTable();
    KROMessage.CloseTrackTable();
    MapTable.close();
    m_lapImports.reset();
    m_status->clear();
    setPathImportsEnabled(true);
    showMapAfresh();
}

// Maps

void TTrackForm::ImportinsidefromSelectedLap(const RecordTable &lap)
{
    guarded(m_dialogs, [&] { importLap(lap, TrackSide::Inside); });
}

void TTrackForm::ImportOutsidefromSelectedLap(const RecordTable &lap)
{
    guarded(m_dialogs, [&] { importLap(lap, TrackSide::Outside); });
}

void TTrackForm::importLap(const RecordTable &lap, TrackSide side)
{
    const BusyCursor busy;
    switch (m_lapImports.importLap(MapTable, lap, side, &m_progress)) {
    case LapEdgeImports::Outcome::AwaitingOutside:
        m_status->setText(QStringLiteral(
            "Inside track map Imported. Now selectec a different lap for the outside track"));
        break;
    case LapEdgeImports::Outcome::AwaitingInside:
        m_status->setText(QStringLiteral(
            "Outside track map imported. Now selectec a different lap for the inside track"));
        break;
    case LapEdgeImports::Outcome::Tidied:
        m_status->clear();
        break;
    }
    showMapAfresh();
}

void TTrackForm::importPathFile(TrackSide side)
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Text File|*.txt");
    request.defaultExtension = QStringLiteral("Txt");
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path)
        return;
    // A view that shows no map yet is taken as never scaled: it takes the points' box.
    const bool nothingShown = m_view->edgePointCount(0) == 0 && m_view->edgePointCount(1) == 0;
    const MapRange before = nothingShown ? MapRange { 0, 0, 0, 0 } : m_view->view();
    PathEdge edge;
    try {
        edge = importPathEdge(MapTable, *path, side);
    } catch (...) {
        // The points read before the fault stay and are shown.
        showMapAfresh();
        throw;
    }
    if (edge.points == 0) {
        // Nothing read: the map and its view stay as they were, and the user learns why.
        m_dialogs.warning(QStringLiteral("The path file \"%1\" holds no points after a "
                                         "<coordinates> line; the track map is unchanged.")
                              .arg(QDir::toNativeSeparators(*path)));
        return;
    }
    m_view->showMap(MapTable);
    m_view->setView(viewAfterPathImport(before, edge.box));
    m_view->replot();
}

void TTrackForm::setPathImportsEnabled(bool enabled)
{
    m_importInsidePath->setEnabled(enabled);
    m_importOutsidePath->setEnabled(enabled);
}

void TTrackForm::showMapAfresh()
{
    m_view->showMap(MapTable);
    m_view->showAll();
    m_view->replot();
}

void TTrackForm::OpenTrackFile1Click()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Map Files|*.Map");
    request.defaultExtension = QStringLiteral("*.Map");
    request.initialFolder = dataFolder();
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path)
        return;
    loadMapFile(MapTable, *path);
    // A pending lap import belongs to the map just replaced.
    m_lapImports.reset();
    m_status->clear();
    setPathImportsEnabled(false);
    showMapAfresh();
}

void TTrackForm::SaveTrackFile1Click()
{
    if (m_lapImports.awaitingSecondEdge()) {
        m_dialogs.information(QStringLiteral("Both the inside and outside track maps must be "
                                             "imported before you can save this file"));
        return;
    }
    if (!MapTable.isOpen()) {
        m_dialogs.information(QStringLiteral("There is no track map to save"));
        return;
    }
    FileDialogRequest request;
    request.filter = QStringLiteral("ZEL Map Files|*.map");
    request.defaultExtension = QStringLiteral("*.map");
    request.initialFolder = dataFolder();
    request.confirmOverwrite = true;
    const std::optional<QString> path = m_dialogs.saveFile(request);
    if (!path)
        return;
    saveMapFile(MapTable, *path);
    // Saving filled the shorter edge's rows with its last point.
    m_view->showMap(MapTable);
    m_view->replot();
}

void TTrackForm::ClearCurrentTrack1Click()
{
    MapTable.close();
    m_lapImports.reset();
    m_status->clear();
    setPathImportsEnabled(true);
    showMapAfresh();
}

// Line files

void TTrackForm::AddSectorClick()
{
    if (m_sectors->count() == 0)
        m_sectors->add(QStringLiteral("Start/Finish"), kStartFinishLine);
    else
        m_sectors->add(QStringLiteral("Sector %1").arg(m_sectors->count()), kSectorLine);
}

void TTrackForm::AddMessageClick()
{
    if (m_messages->count() == 0)
        m_messages->add(QStringLiteral("Message 0"), TrackLineList::kFirstMessageLine);
    else
        m_messages->add(
            QStringLiteral("Message %1").arg(m_messages->count()), TrackLineList::kMessageLine);
}

void TTrackForm::openLineFile(TKROTrack &track, const FileDialogRequest &request)
{
    const std::optional<QString> path = m_dialogs.openFile(request);
    if (!path)
        return;
    track.CloseTrackTable();
    runOnFile(track, *path, &TKROTrack::LoadTrackTable);
    if (!track.loadWarning().isEmpty())
        m_dialogs.warning(track.loadWarning());
}

void TTrackForm::saveLineFile(TKROTrack &track, FileDialogRequest request)
{
    request.initialFileName = track.TrackFileName();
    request.confirmOverwrite = true;
    const std::optional<QString> path = m_dialogs.saveFile(request);
    if (!path)
        return;
    runOnFile(track, *path, &TKROTrack::SaveTrackTable);
}

void TTrackForm::showActiveSector()
{
    m_sectorName->setText(m_sectors->activeName());
    if (const TrackLine *line = m_sectors->activeLine()) {
        // Showing the time must not store it back rounded to the edit's decimals.
        const QSignalBlocker quiet(m_targetTime);
        m_targetTime->setValue(line->TargetTime);
    }
}

void TTrackForm::showActiveMessage()
{
    m_messageName->setText(m_messages->activeName());
    if (const TrackLine *line = m_messages->activeLine())
        m_messageText->setText(line->Description.toString());
}

// The map under the mouse

TrackLineList &TTrackForm::pageList()
{
    return m_pages->currentIndex() == 0 ? *m_sectors : *m_messages;
}

void TTrackForm::TrackMapMouseMove(QMouseEvent *event)
{
    if (m_view->insidePlot(event->position()))
        pageList().follow(m_view->pixelToValue(event->position()));
}

void TTrackForm::TrackMapMousePress(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPixel = event->position();
}

void TTrackForm::TrackMapMouseRelease(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressPixel)
        return;
    const QPointF pressed = *std::exchange(m_pressPixel, std::nullopt);
    // A left-drag draws the zoom rectangle; only a click places a line end.
    if ((event->position() - pressed).manhattanLength() > kClickDistance)
        return;
    if (m_view->insidePlot(event->position()))
        pageList().place(m_view->pixelToValue(event->position()));
}

} // namespace zel
