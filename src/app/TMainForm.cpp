#include "app/TMainForm.h"

#include "app/AboutBox.h"
#include "app/ChannelChart.h"
#include "app/ChannelGridDelegate.h"
#include "app/LapPagesView.h"
#include "app/LogChartSeries.h"
#include "app/TfrmSetChart.h"
#include "app/TimingTreeView.h"
#include "dashmanager/TfrmInitCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "session/ChartableColumn.h"
#include "session/ControlsDisabled.h"
#include "session/LapCheckList.h"
#include "session/LogColours.h"
#include "session/SessionFileName.h"
#include "session/TKROData.h"
#include "session/TKRO_Data.h"
#include "track/widgets/TTrackForm.h"
#include "track/widgets/TTrackLapForm.h"
#include "track/widgets/TrackMapView.h"
#include "ui/BusyCursor.h"
#include "ui/ChannelGridModel.h"
#include "ui/ChartView.h"
#include "ui/ProgressBarBinding.h"
#include "ui/HandlerGuard.h"
#include "ui/MenuItems.h"
#include "ui/LimitedTextEdit.h"
#include "ui/ToolWindow.h"
#include "ui/UserDialogs.h"

#include <QActionGroup>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <qcustomplot.h>
#include <utility>

namespace zel {

namespace {

constexpr int kMemoLength = 255;
// The date editor's lowest date stands for "no date": a header row without one keeps none.
const QDateTime kNoDate(QDate(1899, 12, 30), QTime(0, 0));

const QString kOpenFilter = QStringLiteral("ZEL Data Log|*.kro");
const QString kSaveFilter = QStringLiteral("ZEL Data Logs|*.KRO");

// Closes a shared table when the operation that opened it ends, also by an error, so that
// the next operation does not find it in use.
class ClosesTable
{
public:
    explicit ClosesTable(RecordTable &table)
        : m_table(table)
    { }
    ~ClosesTable() { m_table.close(); }
    ClosesTable(const ClosesTable &) = delete;
    ClosesTable &operator=(const ClosesTable &) = delete;

private:
    RecordTable &m_table;
};

QWidget *labelled(const QString &label, QWidget *editor)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(label));
    layout->addWidget(editor);
    return box;
}

} // namespace

TMainForm::TMainForm(TKRO_Data &data, UserDialogs &dialogs, const QString &programFolder,
    const QString &dataFolder, DocumentOpener openDocument, QWidget *parent)
    : QMainWindow(parent)
    , m_data(data)
    , m_dialogs(dialogs)
    , m_programFolder(programFolder)
    , m_dataFolder(dataFolder)
    , m_openDocument(std::move(openDocument))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("ZEL Data Analyzer"));
    buildLayout();
    buildMenus();
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The session objects go before the models they write to.
    for (int c = m_grid.colCount() - 1; c >= 1; --c)
        delete logAt(c);
}

void TMainForm::FormCreate()
{
    AxisTemplate.close();
    AxisTemplate.clearColumns();
    const QString axisFile = existingFileName(m_programFolder, QStringLiteral("DefaultAxis.axt"));
    if (QFileInfo(axisFile).isFile()) {
        // A damaged template costs the presets, not the window: it starts empty instead.
        guarded(m_dialogs, [&] { AxisTemplate.loadFromFile(axisFile); });
    }
    if (!AxisTemplate.isOpen()) {
        defineAxisTemplateColumns(AxisTemplate);
        AxisTemplate.open();
    }
    m_chartColours = chartColoursFrom(AxisTemplate);
    m_channelChart = new ChannelChart(
        *static_cast<QCustomPlot *>(m_chart), m_grid, AxisTemplate, m_chartColours, this);
    m_chartSeries = m_channelChart;

    auto &plot = *static_cast<QCustomPlot *>(m_chart);
    connectGuarded(m_dialogs, &plot, &QCustomPlot::mouseMove, this,
        [this](QMouseEvent *event) { LogChartMouseMove(event->buttons(), event->pos()); });
    connectGuarded(m_dialogs, &plot, &QCustomPlot::mousePress, this, [this] { EraseCrossHairs(); });
    connect(&plot, &QCustomPlot::afterReplot, this, &TMainForm::LogChartAfterDraw);
    connectGuarded(m_dialogs, &m_channelChart->view(), &ChartView::cursorsMoved, this,
        [this](double x) { CursorToolChange(x); });
}

// Chart cursor

void TMainForm::LogChartMouseMove(Qt::MouseButtons buttons, QPoint at)
{
    if (buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton))
        return;
    if (m_channelChart->view().insidePlot(at))
        DrawCrossHairs(at.x(), at.y());
}

void TMainForm::LogChartAfterDraw()
{
    if (isActiveWindow() && !m_channelChart->view().hairLineShown()) {
        CrshairX = 999999;
        CrshairY = 999999;
    }
}

void TMainForm::DrawCrossHairs(int x, int y)
{
    CrshairX = x;
    CrshairY = y;
    m_channelChart->view().showHairLine(x);
}

void TMainForm::EraseCrossHairs()
{
    if (CrshairX == 999999 && CrshairY == 999999)
        return;
    m_channelChart->view().hideHairLine();
    CrshairX = 999999;
    CrshairY = 999999;
}

void TMainForm::CursorToolChange(double xValue)
{
    std::vector<std::pair<QPointF, QColor>> dots;
    for (int c = 1; c < m_grid.colCount(); ++c) {
        TKROData *log = logAt(c);
        if (!log)
            continue;
        RecordTable &table = log->LogData();
        if (!table.isOpen() || table.recordCount() == 0
            || table.indexFieldNames().compare(XLabels, Qt::CaseInsensitive) != 0)
            continue;
        table.FindNearest({ xValue });
        // A log recorded without GPS has no position to show.
        const int longitude = table.findColumn(QStringLiteral("GPSLong"));
        const int latitude = table.findColumn(QStringLiteral("GPSLat"));
        const int row = table.viewRow(table.recNo());
        if (longitude < 0 || latitude < 0 || table.isNullAt(longitude, row)
            || table.isNullAt(latitude, row))
            continue;
        dots.emplace_back(QPointF(table.numberAt(longitude, row), table.numberAt(latitude, row)),
            QColor::fromRgb(logColour(c)));
    }
    // Without a map the window has no scale to place a position by.
    if (m_trackLap && m_trackLap->TrackMap().hasMap())
        m_trackLap->TrackMap().showPositionDots(dots);
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TMainForm::FormActivate()
{
    static_cast<QCustomPlot *>(m_chart)->replot(QCustomPlot::rpQueuedReplot);
}

void TMainForm::buildLayout()
{
    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("Splitter1"));

    auto *left = new QWidget;
    left->setObjectName(QStringLiteral("Panel1"));
    auto *leftLayout = new QVBoxLayout(left);
    auto *logo = new QLabel(QStringLiteral("ZEL Data Analyzer"));
    logo->setObjectName(QStringLiteral("LogoPanel"));
    logo->setFixedHeight(90);
    logo->setAlignment(Qt::AlignCenter);
    leftLayout->addWidget(logo);

    m_pageControl2 = new QTabWidget;
    m_pageControl2->setObjectName(QStringLiteral("PageControl2"));
    m_pageControl2->setDocumentMode(true);

    m_gridView = new QTableView;
    m_gridView->setObjectName(QStringLiteral("StringGrid1"));
    auto *gridModel = new ChannelGridModel(m_grid, m_gridView);
    m_gridView->setModel(gridModel);
    // Channel names and log titles are set one cell at a time; the columns are fitted once
    // they are in: the names whole, each log column at least its default width and wide
    // enough for its title, so that laps of one file can be told apart.
    const auto fitNames = [this] {
        if (std::exchange(m_namesFitPending, true))
            return;
        QMetaObject::invokeMethod(this, [this] {
            m_namesFitPending = false;
            m_gridView->resizeColumnToContents(0);
            const int defaultWidth = m_gridView->horizontalHeader()->defaultSectionSize();
            for (int c = 1; c < m_gridView->model()->columnCount(); ++c)
                m_gridView->setColumnWidth(
                    c, std::max(defaultWidth, static_cast<QAbstractItemView *>(m_gridView)->sizeHintForColumn(c)));
        }, Qt::QueuedConnection);
    };
    connect(gridModel, &QAbstractItemModel::modelReset, this, fitNames);
    connect(gridModel, &QAbstractItemModel::dataChanged, this,
        [fitNames](const QModelIndex &topLeft) {
            if (topLeft.column() == 0 || topLeft.row() == 0)
                fitNames();
        });
    m_gridView->horizontalHeader()->hide();
    m_gridView->verticalHeader()->hide();
    m_gridView->horizontalHeader()->setDefaultSectionSize(85);
    m_gridView->verticalHeader()->setDefaultSectionSize(20);
    m_gridView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_gridView, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { m_popup->popup(m_gridView->viewport()->mapToGlobal(at)); });
    // A cell is chosen by mouse or keyboard alike.
    connectGuarded(m_dialogs, m_gridView->selectionModel(), &QItemSelectionModel::currentChanged,
        this, [this](const QModelIndex &index, const QModelIndex &) {
            if (index.isValid())
                StringGrid1SelectCell(index.column(), index.row());
        });
    connectGuarded(m_dialogs, m_gridView, &QAbstractItemView::doubleClicked, this,
        [this] { AddtoChart1Click(); });
    m_gridView->setItemDelegate(
        new ChannelGridDelegate([this](QPainter &painter, const QRect &rect, int c,
                                    int r) { return StringGrid1DrawCell(painter, rect, c, r); },
            m_gridView));
    m_pageControl2->addTab(m_gridView, QStringLiteral("Channel Data"));

    auto *treeView = new TimingTreeView(m_tree);
    treeView->setObjectName(QStringLiteral("TreeView1"));
    m_pageControl2->addTab(treeView, QStringLiteral("Timing Data"));

    auto *lapPage = new QWidget;
    auto *lapLayout = new QVBoxLayout(lapPage);
    auto *lapTabs = new LapPagesView(m_lapPages);
    lapTabs->setObjectName(QStringLiteral("PageControl3"));
    m_applySelection = new QPushButton(QStringLiteral("Apply Selection"));
    m_applySelection->setObjectName(QStringLiteral("Button2"));
    m_applySelection->setEnabled(false);
    connectGuarded(m_dialogs, m_applySelection, &QPushButton::clicked, this,
        [this] { Button2Click(); });
    lapLayout->addWidget(lapTabs);
    lapLayout->addWidget(m_applySelection);
    m_pageControl2->addTab(lapPage, QStringLiteral("Lap Selection"));

    m_sessionInfo = buildSessionInfo();
    m_pageControl2->addTab(m_sessionInfo, QStringLiteral("Session Info"));
    m_pageControl2->setTabEnabled(3, false);
    connectGuarded(m_dialogs, m_pageControl2, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 3)
            TabSheet3Enter();
    });
    leftLayout->addWidget(m_pageControl2, 1);
    left->setMinimumWidth(200);

    auto *right = new QWidget;
    right->setObjectName(QStringLiteral("Panel2"));
    auto *rightLayout = new QVBoxLayout(right);
    auto *toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    const auto button = [toolBar](QActionGroup *group, const char *name, const QString &caption,
                            bool down, bool visible) {
        QAction *action = toolBar->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(down);
        action->setVisible(visible);
        group->addAction(action);
        return action;
    };
    auto *layoutGroup = new QActionGroup(toolBar);
    QAction *separated
        = button(layoutGroup, "SeparateSelect", QStringLiteral("Separated"), true, true);
    m_overlaySelect
        = button(layoutGroup, "OverlaySelect", QStringLiteral("Overlayed"), false, true);
    for (QAction *mode : { separated, m_overlaySelect })
        connect(mode, &QAction::triggered, this, [this] { OverlayModeClick(); });
    toolBar->addSeparator();
    auto *styleGroup = new QActionGroup(toolBar);
    m_lineSelect = button(styleGroup, "LineSelect", QStringLiteral("Line"), true, true);
    button(styleGroup, "PointSelect", QStringLiteral("Scatter"), false, true);
    button(styleGroup, "BarSelect", QStringLiteral("Bar"), false, false);
    button(styleGroup, "StackBarSelect", QStringLiteral("Stacked Bar"), false, false);
    toolBar->addSeparator()->setVisible(false);
    QAction *gauges = toolBar->addAction(QStringLiteral("Telemetry Gauges"));
    gauges->setObjectName(QStringLiteral("SpeedButton1"));
    gauges->setVisible(false);
    rightLayout->addWidget(toolBar);

    m_chart = new QCustomPlot;
    m_chart->setObjectName(QStringLiteral("LogChart"));
    rightLayout->addWidget(m_chart, 1);

    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    bindProgressBar(*m_progressBar, m_progress);
    rightLayout->addWidget(m_progressBar);

    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setSizes({ 369, 800 });
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
}

QWidget *TMainForm::buildSessionInfo()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto *layout = new QVBoxLayout(page);
    auto *pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setDocumentMode(true);

    const auto edit = [](const char *name) {
        auto *editor = new QLineEdit;
        editor->setObjectName(QString::fromLatin1(name));
        editor->setMaxLength(kMemoLength);
        return editor;
    };
    const auto memo = [](const char *name) {
        auto *editor = new LimitedTextEdit(kMemoLength);
        editor->setObjectName(QString::fromLatin1(name));
        return editor;
    };
    m_driver = edit("Edit1");
    m_track = edit("Edit2");
    m_event = edit("Edit3");
    m_date = new QDateTimeEdit;
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setMinimumDateTime(kNoDate);
    m_date->setSpecialValueText(QStringLiteral(" "));
    m_trackCondition = memo("Memo1");
    m_vehicle = memo("Memo2");
    m_engine = memo("Memo5");
    m_weather = memo("Memo3");
    m_memo = memo("Memo4");

    const auto subPage = [pages](const QString &title, std::initializer_list<QWidget *> boxes) {
        auto *sheet = new QWidget;
        auto *sheetLayout = new QVBoxLayout(sheet);
        for (QWidget *box : boxes)
            sheetLayout->addWidget(box);
        sheetLayout->addStretch();
        pages->addTab(sheet, title);
    };
    subPage(QStringLiteral("Event"),
        { labelled(QStringLiteral("Driver"), m_driver), labelled(QStringLiteral("Track"), m_track),
            labelled(QStringLiteral("Event"), m_event), labelled(QStringLiteral("Date"), m_date),
            labelled(QStringLiteral("Track Condition"), m_trackCondition) });
    subPage(QStringLiteral("Vehicle"),
        { labelled(QStringLiteral("Description"), m_vehicle),
            labelled(QStringLiteral("Engine"), m_engine) });
    subPage(
        QStringLiteral("Weather"), { labelled(QStringLiteral("Weather Conditions"), m_weather) });
    subPage(QStringLiteral("Memo"), { labelled(QStringLiteral("General Commaents"), m_memo) });
    layout->addWidget(pages, 1);

    auto *save = new QPushButton(QStringLiteral("Save"));
    save->setObjectName(QStringLiteral("Button1"));
    connectGuarded(m_dialogs, save, &QPushButton::clicked, this, [this] { Button1Click(); });
    layout->addWidget(save);
    return page;
}

template <typename Handler> void TMainForm::onTriggered(QAction *action, Handler handler)
{
    connectGuarded(m_dialogs, action, &QAction::triggered, this, std::move(handler));
}

void TMainForm::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    onTriggered(addMenuItem(file, "OpenLogFile1", QStringLiteral("Open Log as Session")),
        [this] { OpenLogFile1Click(); });
    onTriggered(addMenuItem(file, "OpenLogAsLaps", QStringLiteral("Open Log As Separate Laps")),
        [this] { OpenLogAsLapsClick(); });
    addMenuItem(file, "OpenMapFile1", QStringLiteral("Open Map File"))->setVisible(false);
    QAction *sectorFile = addMenuItem(file, "OpenSectorFile1", QStringLiteral("Open Sector File"));
    sectorFile->setVisible(false);
    sectorFile->setEnabled(false);
    file->addSeparator();
    onTriggered(addMenuItem(file, "SaveLogFile1", QStringLiteral("Save Log File")),
        [this] { SaveLogFile1Click(); });
    onTriggered(addMenuItem(file, "Clearalllogs1", QStringLiteral("Clear all logs")),
        [this] { Clearalllogs1Click(); });

    QMenu *maps = menuBar()->addMenu(QStringLiteral("Maps"));
    onTriggered(addMenuItem(maps, "TrackMap1", QStringLiteral("Track Map Editor")),
        [this] { TrackMap1Click(); });
    onTriggered(addMenuItem(maps, "ShowTrackMap1", QStringLiteral("Show Track Map")), [this] {
        if (m_trackLap)
            showToolWindow(*m_trackLap);
    });

    QMenu *dash = menuBar()->addMenu(QStringLiteral("Dash Manager"));
    QAction *kro7 = addMenuItem(dash, "KRO71", QStringLiteral("KRO 7"));
    kro7->setEnabled(false);
    onTriggered(kro7, [this] { KRO71Click(); });

    QMenu *guides = menuBar()->addMenu(QStringLiteral("User Guides"));
    onTriggered(addMenuItem(guides, "RaceDash1", QStringLiteral("Race Dash")),
        [this] { openUserGuide(QStringLiteral("KRO-7 Quick Start.Pdf")); });
    onTriggered(addMenuItem(guides, "ManagerSoftware1", QStringLiteral("Manager Software")),
        [this] { openUserGuide(QStringLiteral("KRO Analyser manual.pdf")); });

    QMenu *about = menuBar()->addMenu(QStringLiteral("About"));
    onTriggered(addMenuItem(about, "About1", QStringLiteral("About")), [this] {
        AboutBox box(this);
        box.exec();
    });

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    const auto popupItem = [this](const char *name, const QString &caption, bool enabled) {
        QAction *action = addMenuItem(m_popup, name, caption);
        action->setEnabled(enabled);
        return action;
    };
    popupItem("RemoveLog1", QStringLiteral("Remove Log"), true)->setVisible(false);
    onTriggered(popupItem("UnSortData1", QStringLiteral("Un-Sort Data"), true),
        [this] { UnSortData1Click(); });
    onTriggered(popupItem("AddtoChart1", QStringLiteral("Add to Chart"), false),
        [this] { AddtoChart1Click(); });
    onTriggered(popupItem("RemovefromChart1", QStringLiteral("Remove from Chart"), false),
        [this] { RemovefromChart1Click(); });
    // A higher level smooths more: it keeps less of each point's own value.
    const struct
    {
        const char *name;
        const char *caption;
        int filterLevel;
    } smoothing[] = { { "SmoothenData1", "Smoothen Channel - Level 1 ", 3 },
        { "SmoothenData2", "Smoothen Channel - Level 2", 2 },
        { "SmoothenData3", "Smoothen Channel - Level 3", 1 } };
    for (const auto &entry : smoothing) {
        onTriggered(popupItem(entry.name, QString::fromLatin1(entry.caption), false),
            [this, level = entry.filterLevel] { SmoothenData(level); });
    }
    onTriggered(popupItem("SortonthisChannel1", QStringLiteral("Sort on selected Channel"), false),
        [this] { SortonthisChannel1Click(); });
    onTriggered(popupItem("AddRaceLineData1", QStringLiteral("Add Race Line Data"), false),
        [this] { AddRaceLineData1Click(); });
    onTriggered(popupItem("RemoveRaceLine1", QStringLiteral("Remove Race Line"), false),
        [this] { RemoveRaceLine1Click(); });
    onTriggered(popupItem("SetChartSpan1", QStringLiteral("Set Display Options"), true),
        [this] { SetChartSpan1Click(); });
    m_popup->addSeparator();
    onTriggered(
        popupItem("ImportasInsideTrackMap1", QStringLiteral("Import as Inside Track Map"), false),
        [this] { ImportasInsideTrackMap1Click(); });
    onTriggered(
        popupItem("ImportasOutsideTrackMap1", QStringLiteral("Import as Outside Track Map"), false),
        [this] { ImportasOutsideTrackMap1Click(); });
    onTriggered(popupItem("SaveLogfile2", QStringLiteral("Save Log file"), true),
        [this] { SaveLogFile1Click(); });
}

void TMainForm::SetChartSpan1Click()
{
    const auto [c, r] = currentCell();
    auto options = m_channelChart->displayOptions(c, r);
    if (!options)
        return;
    const QString channel = m_grid.cell(0, r);
    TfrmSetChart form(m_dialogs, this);
    bool saveIt = false;
    if (!form.ShowForm(*options, channel, saveIt))
        return;
    m_channelChart->applyDisplayOptions(c, r, *options);
    if (saveIt) {
        storeDisplayOptions(AxisTemplate, channel, c, *options);
        AxisTemplate.saveToFile(
            existingFileName(m_programFolder, QStringLiteral("DefaultAxis.axt")));
    }
}

TKROData *TMainForm::logAt(int column) const
{
    return column >= 1 ? qobject_cast<TKROData *>(m_grid.object(column, 0)) : nullptr;
}

void TMainForm::resetProgress()
{
    m_progress.setMaximum(0);
    m_progress.setPosition(0);
}

void TMainForm::setCardDrives(CardDrives *drives)
{
    m_cardDrives = drives;
    findChild<QAction *>(QStringLiteral("KRO71"))->setEnabled(drives != nullptr);
}

void TMainForm::KRO71Click()
{
    if (!m_cardDrives)
        return;
    // Opened once the window has gone: the main window's open runs its own progress and
    // dialogs, which must not stack on a closing modal window.
    QString quickImported;
    {
        TfrmLoggerConfig window(
            m_data, m_dialogs, *m_cardDrives, m_programFolder,
            [&quickImported](const QString &path) { quickImported = path; }, this);
        if (m_initCard)
            window.onInitialiseCard = [this, &window] { m_initCard->run(window); };
        window.exec();
    }
    if (!quickImported.isEmpty())
        OpenLogFile(quickImported);
}

void TMainForm::OpenLogFile1Click()
{
    if (m_data.ExLogData().isOpen())
        return;
    FileDialogRequest request;
    request.filter = kOpenFilter;
    request.defaultExtension = QStringLiteral("kro");
    request.initialFolder = m_dataFolder;
    if (const auto path = m_dialogs.openFile(request))
        OpenLogFile(*path);
}

void TMainForm::OpenLogFile(const QString &LogFileName)
{
    RecordTable &ex = m_data.ExLogData();
    if (ex.isOpen())
        return;
    LapMode = false;
    resetProgress();
    const BusyCursor busy;
    findChild<QAction *>(QStringLiteral("OpenLogAsLaps"))->setEnabled(false);
    m_pageControl2->setCurrentIndex(0);

    auto log = std::make_unique<TKROData>();
    log->setXLabels(XLabels);
    log->setSDLogFile(&LogFile1);
    log->setPageControl(&m_lapPages);
    log->setStringGrid(&m_grid);
    log->setTimeDataView(&m_tree);
    {
        // Whatever fails, the shared table is closed again and the bar reset, so the next
        // open is not ignored; the session object goes with the unique pointer.
        const ClosesTable closes(ex);
        try {
            ex.loadFromFile(LogFileName);
            log->setDisableComponents(true);
            log->setExLogData(&ex);
            log->setDisableComponents(false);
            log->setLogProgress(&m_progress);
            log->setLogFileName(LogFileName);
            log->OpenLogTable(LogFileName);
        } catch (...) {
            resetProgress();
            throw;
        }
        connectLog(*log);
        log.release()->setParent(this);
        SortLogs();
    }
    resetProgress();
}

void TMainForm::connectLog(TKROData &log)
{
    connectGuarded(m_dialogs, &log, &TKROData::OnLapSelected, this,
        [this](int lap) { OnLapSelected(lap); });
}

void TMainForm::OpenLogAsLapsClick()
{
    FileDialogRequest request;
    request.filter = kOpenFilter;
    request.defaultExtension = QStringLiteral("kro");
    request.initialFolder = m_dataFolder;
    const auto path = m_dialogs.openFile(request);
    if (!path)
        return;

    // The file is loaded before anything is cleared, so a file that cannot be read leaves
    // the logs shown as they were.
    RecordTable &table = m_data.LogDataTable();
    {
        const BusyCursor busy;
        table.close();
        table.setFiltered(false);
        table.setFilter(QString());
        table.loadFromFile(*path);
    }
    m_lapFileName = *path;

    ClearLogs();
    LapMode = true;
    m_applySelection->setEnabled(true);
    findChild<QAction *>(QStringLiteral("OpenLogAsLaps"))->setEnabled(false);
    findChild<QAction *>(QStringLiteral("OpenLogFile1"))->setEnabled(false);
    const BusyCursor busy;

    LapCheckList *list = m_lapPages.addPage(QFileInfo(*path).fileName(), 1);
    XTab = m_lapPages.count() - 1;
    if (YLists.size() <= size_t(YListCount))
        YLists.resize(size_t(YListCount) + 1);
    YLists[size_t(YListCount)] = list;

    // The header row takes part with its empty lap number, read as 0.
    const int lapColumn = table.findColumn(QStringLiteral("Lap_Number"));
    m_progress.setMaximum(table.recordCount());
    m_progress.setPosition(0);
    QStringList laps;
    qint64 previous = -1;
    const ControlsDisabled quiet(table);
    for (table.First(); !table.eof(); table.Next()) {
        const qint64 lap = lapColumn < 0 ? 0 : table.field(lapColumn).asInteger();
        if (lap != previous)
            laps << QStringLiteral("Lap ") + QString::number(lap);
        previous = lap;
        m_progress.stepBy(1);
    }
    list->setItems(laps);

    DefaultSort = QStringLiteral("LapID");
    UnSortData1Click();
    m_pageControl2->setCurrentIndex(2);
}

void TMainForm::reorderLogs(const QString &column)
{
    // The series take the new X first, then every log takes the new order (the series
    // follow their tables' views).
    for (const auto &[cell, series] : m_channelChart->allSeries()) {
        TKROData *log = logAt(cell.first);
        if (!log || !isChartableColumn(log->LogData(), column))
            continue;
        log->setDisableComponents(true);
        m_channelChart->view().setSeriesX(series, column);
        log->setDisableComponents(false);
    }
    for (int c = 1; c < m_grid.colCount(); ++c) {
        TKROData *log = logAt(c);
        if (!log || log->LogData().findColumn(column) < 0)
            continue;
        log->setDisableComponents(true);
        log->setXLabels(column);
        log->LogData().SortOn(column);
        log->setDisableComponents(false);
    }
    m_gridView->viewport()->update();
}

void TMainForm::SortLogs()
{
    reorderLogs(XLabels);
}

void TMainForm::SortonLapID()
{
    XLabels = QStringLiteral("LapID");
    reorderLogs(XLabels);
}

void TMainForm::SortonthisChannel1Click()
{
    const auto [c, r] = currentCell();
    TKROData *log = logAt(c);
    // Only a channel of numbers can order the logs and serve as X.
    if (r <= 0 || !log || !isChartableColumn(log->LogData(), m_grid.cell(0, r)))
        return;
    XLabels = m_grid.cell(0, r);
    reorderLogs(XLabels);
}

void TMainForm::UnSortData1Click()
{
    XLabels = DefaultSort;
    reorderLogs(XLabels);
}

void TMainForm::OnLapSelected(int LapNumber)
{
    if (LapNumber >= 0)
        SortonLapID();
}

void TMainForm::SmoothenData(int filterLevel)
{
    const auto [c, r] = currentCell();
    if (ChartSeries *series = c > 0 ? m_channelChart->seriesOf(c, r) : nullptr) {
        m_channelChart->view().smoothenSeries(series, filterLevel);
        m_channelChart->view().replot();
    }
}

void TMainForm::Button2Click()
{
    if (!LapMode || XTab < 0)
        return;
    LapCheckList *list = m_lapPages.list(XTab);
    if (!list)
        return;
    const BusyCursor busy;
    ClearLogs();
    RecordTable &source = m_data.LogDataTable();
    const QString title = QFileInfo(m_lapFileName).fileName();
    for (int i = 0; i < list->items().size(); ++i) {
        if (!list->checked(i))
            continue;
        // Entries read "Lap " and the lap number.
        const int lap = list->items()[i].mid(4).toInt();
        auto log = std::make_unique<TKROData>();
        log->setXLabels(XLabels);
        log->setSDLogFile(&LogFile1);
        log->setPageControl(&m_lapPages);
        log->setStringGrid(&m_grid);
        log->setTimeDataView(&m_tree);
        log->setDisableComponents(true);
        log->setExLogData(&source);
        log->setDisableComponents(false);
        log->setLogProgress(&m_progress);
        {
            const ControlsDisabled quiet(source);
            log->OpenLogAsLaps(title + QStringLiteral(" - Lap: ") + QString::number(lap), lap);
        }
        connectLog(*log);
        log.release()->setParent(this);
    }
    // The source table keeps the whole file for the next selection.
    source.setFiltered(false);
    SortLogs();
    resetProgress();
    m_pageControl2->setCurrentIndex(0);
}

void TMainForm::removeLapPages(int tag)
{
    for (int i = m_lapPages.count() - 1; i >= 0; --i) {
        if ((tag == 1) == (m_lapPages.tag(i) == 1))
            m_lapPages.removePage(i);
    }
}

void TMainForm::ClearLogs()
{
    for (int c = m_grid.colCount() - 1; c >= 1; --c) {
        for (int r = 1; r < m_grid.rowCount(); ++r) {
            // The series goes before its axis, which it still draws on.
            if (m_chartSeries)
                m_chartSeries->removeSeriesOf(c, r);
            m_grid.setCell(c, r, QString());
        }
        // Race lines go with the logs they were drawn from.
        if (m_trackLap)
            m_trackLap->RemoveRaceline(m_grid, c);
        TKROData *log = logAt(c);
        if (m_grid.colCount() < 3) {
            m_grid.setCell(c, 0, QString());
            m_grid.setObject(c, 0, nullptr);
        } else {
            m_grid.setColCount(c);
        }
        delete log;
    }
    if (!LapMode)
        removeLapPages(0);
    m_grid.setCell(0, 0, QStringLiteral("0"));
    m_grid.setColCount(2);
    m_grid.setRowCount(2);
    m_grid.setCell(0, 1, QString());
    // No log is left to select.
    SelectedLog = 0;
    SelectedChannel = 0;
    m_pageControl2->setTabEnabled(3, false);
}

void TMainForm::setLogEntriesEnabled(bool on)
{
    for (const char *name : { "AddtoChart1", "RemovefromChart1", "SmoothenData1", "SmoothenData2",
             "SmoothenData3", "SortonthisChannel1", "AddRaceLineData1", "RemoveRaceLine1" })
        findChild<QAction *>(QString::fromLatin1(name))->setEnabled(on);
}

void TMainForm::setTrackLapForm(TTrackLapForm *form)
{
    m_trackLap = form;
}

void TMainForm::setTrackForm(TTrackForm *form)
{
    m_trackMap = form;
    connect(form, &TTrackForm::closed, this, [this] { setTrackImportsEnabled(false); });
}

void TMainForm::setTrackImportsEnabled(bool on)
{
    for (const char *name : { "ImportasInsideTrackMap1", "ImportasOutsideTrackMap1" })
        findChild<QAction *>(QString::fromLatin1(name))->setEnabled(on);
}

void TMainForm::TrackMap1Click()
{
    if (!m_trackMap)
        return;
    if (!m_trackMap->isVisible())
        showToolWindow(*m_trackMap);
    setTrackImportsEnabled(true);
}

void TMainForm::ImportasInsideTrackMap1Click()
{
    if (TKROData *log = logAt(SelectedLog); log && m_trackMap)
        m_trackMap->ImportinsidefromSelectedLap(log->LogData());
}

void TMainForm::ImportasOutsideTrackMap1Click()
{
    if (TKROData *log = logAt(SelectedLog); log && m_trackMap)
        m_trackMap->ImportOutsidefromSelectedLap(log->LogData());
}

void TMainForm::AddRaceLineData1Click()
{
    if (m_trackLap && logAt(SelectedLog))
        m_trackLap->AddRaceline(m_grid, SelectedLog, QColor::fromRgb(logColour(SelectedLog)));
}

void TMainForm::RemoveRaceLine1Click()
{
    if (m_trackLap && logAt(SelectedLog))
        m_trackLap->RemoveRaceline(m_grid, SelectedLog);
}

void TMainForm::Clearalllogs1Click()
{
    if (m_trackLap)
        m_trackLap->Removelines();
    ClearLogs();
    removeLapPages(1);
    XTab = -1;
    m_tree.clear();
    findChild<QAction *>(QStringLiteral("OpenLogFile1"))->setEnabled(true);
    findChild<QAction *>(QStringLiteral("OpenLogAsLaps"))->setEnabled(true);
    setLogEntriesEnabled(false);
    m_applySelection->setEnabled(false);
    YListCount = 0;
    YLists.clear();
}

void TMainForm::SaveLogFile1Click()
{
    TKROData *log = logAt(SelectedLog);
    if (!log || !log->LogData().isOpen())
        return;
    FileDialogRequest request;
    request.filter = kSaveFilter;
    request.defaultExtension = QStringLiteral("KRO");
    request.initialFolder = m_dataFolder;
    request.initialFileName = log->LogFileName();
    request.confirmOverwrite = true;
    const auto chosen = m_dialogs.saveFile(request);
    if (!chosen)
        return;
    const QString name = kroSaveName(*chosen);
    // The dialog asked about the name chosen, not about the one the rule made of it.
    if (name != *chosen && QFileInfo::exists(name)
        && !m_dialogs.question(
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(name),
            QStringLiteral("Save Log File")))
        return;

    const BusyCursor busy;
    RecordTable &source = log->LogData();
    RecordTable &ex = m_data.ExLogData();
    const ClosesTable closes(ex);
    ex.close();
    ex.clearColumns();
    for (int i = 0; i < source.columnCount(); ++i)
        ex.addColumn(source.column(i).name, source.column(i).type, source.column(i).size);
    ex.addIndex(QStringLiteral("ReadingID"), QStringLiteral("RecordType;ReadingID"));
    ex.open();
    // The header row goes with the rows shown, so the saved log keeps its session
    // information; the log's own filter, order and cursor are put back afterwards.
    const ControlsDisabled quiet(source);
    const QString shown = source.filter();
    const bool filtered = source.filtered();
    const int row = source.recNo();
    source.setFilter(log->HeaderFilter());
    source.setFiltered(true);
    ex.copyRowsFrom(source);
    source.setFilter(shown);
    source.setFiltered(filtered);
    source.setRecNo(row);
    ex.copyRowsFrom(source);
    ex.saveToFile(name);
}

void TMainForm::StringGrid1SelectCell(int c, int r)
{
    if (logAt(c)) {
        setLogEntriesEnabled(true);
        SelectedLog = c;
        SelectedChannel = r;
        m_pageControl2->setTabEnabled(3, true);
        TabSheet3Enter();
    }
    m_gridView->viewport()->update();
}

std::pair<int, int> TMainForm::currentCell() const
{
    const QModelIndex current = m_gridView->currentIndex();
    return { current.column(), current.row() };
}

void TMainForm::AddtoChart1Click()
{
    const auto [c, r] = currentCell();
    TKROData *log = logAt(SelectedLog);
    if (c <= 0 || !log)
        return;
    m_progress.setMaximum(log->LogData().recordCount());
    m_progress.setPosition(0);
    if (!m_channelChart->axisOf(r))
        AddAxis();
    if (!m_channelChart->seriesOf(c, r))
        AddSeries();
    m_gridView->viewport()->update();
    m_progress.setPosition(0);
}

void TMainForm::RemovefromChart1Click()
{
    // The series goes first: its axis is released only once nothing draws on it.
    const auto [c, r] = currentCell();
    if (r <= 0)
        return;
    RemoveSeries();
    RemoveAxis();
    m_gridView->viewport()->update();
}

void TMainForm::AddAxis()
{
    const auto [c, r] = currentCell();
    if (TKROData *log = logAt(c); log && r >= 1)
        m_channelChart->addAxis(c, r, *log, ChartOverlay);
}

void TMainForm::AddSeries()
{
    const auto [c, r] = currentCell();
    const auto kind
        = m_lineSelect->isChecked() ? ChartSeries::Kind::Line : ChartSeries::Kind::Points;
    if (TKROData *log = logAt(c); log && r >= 1)
        m_channelChart->addSeries(c, r, *log, kind, XLabels);
}

void TMainForm::RemoveAxis()
{
    m_channelChart->removeAxis(currentCell().second);
}

void TMainForm::RemoveSeries()
{
    const auto [c, r] = currentCell();
    m_channelChart->removeSeries(c, r);
}

void TMainForm::ClearAxis(int r)
{
    m_channelChart->removeAxis(r);
}

void TMainForm::ClearSeries(int c, int r)
{
    m_channelChart->clearSeries(c, r);
}

void TMainForm::OverlayModeClick()
{
    ChartOverlay = m_overlaySelect->isChecked();
}

bool TMainForm::StringGrid1DrawCell(QPainter &painter, const QRect &rect, int c, int r)
{
    const QPalette &palette = m_gridView->palette();
    const QString text = m_grid.cell(c, r);
    const auto drawText
        = [&] { painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text); };
    // A frame of the given width drawn inside the cell.
    const auto frame = [&](const QColor &colour, int width) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const int inset = width / 2;
        painter.drawRect(rect.adjusted(inset, inset, -(width - inset), -(width - inset)));
        painter.setPen(palette.color(QPalette::Text));
    };
    if (c >= 1 && r >= 1) {
        const bool selected = c == SelectedLog && r == SelectedChannel;
        painter.fillRect(rect, selected ? palette.color(QPalette::Highlight) : QColor(Qt::white));
        painter.setPen(palette.color(QPalette::Text));
        if (const ChartSeries *series = m_channelChart->seriesOf(c, r))
            frame(series->colour, 3);
        drawText();
        return true;
    }
    if (c == 0 && r >= 1 && text == XLabels) {
        painter.fillRect(rect, QColor(128, 128, 128));
        painter.setPen(palette.color(QPalette::Text));
        drawText();
        return true;
    }
    if (c >= 1 && r == 0) {
        painter.fillRect(
            rect, palette.color(c == SelectedLog ? QPalette::Highlight : QPalette::Button));
        frame(QColor::fromRgb(logColour(c)), 2);
        drawText();
        return true;
    }
    return false;
}

void TMainForm::TabSheet3Enter()
{
    const TKROData *log = logAt(SelectedLog);
    if (!log)
        return;
    m_driver->setText(log->Driver);
    m_track->setText(log->Track);
    m_event->setText(log->Event);
    m_date->setDateTime(log->LogDate.isValid() ? log->LogDate : kNoDate);
    m_trackCondition->setPlainText(log->TrackCondition);
    m_vehicle->setPlainText(log->Vehicle);
    m_engine->setPlainText(log->Engine);
    m_weather->setPlainText(log->Weather);
    m_memo->setPlainText(log->MemoStr);
}

void TMainForm::Button1Click()
{
    TKROData *log = logAt(SelectedLog);
    if (!log)
        return;
    log->Driver = m_driver->text();
    log->Track = m_track->text();
    log->Event = m_event->text();
    log->LogDate = m_date->dateTime() == kNoDate ? QDateTime() : m_date->dateTime();
    log->TrackCondition = m_trackCondition->toPlainText();
    log->Vehicle = m_vehicle->toPlainText();
    log->Engine = m_engine->toPlainText();
    log->Weather = m_weather->toPlainText();
    log->MemoStr = m_memo->toPlainText();
    const BusyCursor busy;
    RecordTable &ex = m_data.ExLogData();
    const ClosesTable closes(ex);
    log->setExLogData(&ex);
    log->SaveLogFile();
}

void TMainForm::openUserGuide(const QString &name)
{
    // The guides are installed beside the program; names are matched without regard to case.
    const QString path
        = existingFileName(QDir(m_programFolder).filePath(QStringLiteral("Help")), name);
    if (!QFileInfo(path).isFile()) {
        m_dialogs.error(
            QStringLiteral("The user guide \"") + path + QStringLiteral("\" was not found."));
        return;
    }
    m_openDocument(path);
}

} // namespace zel
