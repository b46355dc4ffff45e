#pragma once

#include "logger/TLogFile.h"
#include "session/ChannelGrid.h"
#include "session/ChartColours.h"
#include "session/LapPages.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "session/TimingTree.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

class QAction;
class QDateTimeEdit;
class QLineEdit;
class QMenu;
class QPainter;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;

namespace zel {

class CardDrives;
class TfrmInitCard;
class ChannelChart;
class LapCheckList;
class LimitedTextEdit;
class LogChartSeries;
class TKROData;
class TKRO_Data;
class TTrackForm;
class TTrackLapForm;
class UserDialogs;

/// Opens a document (a user guide) with the desktop's default viewer.
using DocumentOpener = std::function<void(const QString &path)>;

/// The main window: the channel grid, timing tree, lap lists and session information on the
/// left, the chart on the right; opening, clearing and saving session logs. Each shown log
/// is a TKROData attached to the title cell of its grid column and owned by the window.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    /// Builds the window and runs FormCreate. \a dataFolder is where the session log
    /// dialogs start (the program's "Data" folder or its fallback); \a openDocument opens
    /// the user guides.
    TMainForm(TKRO_Data &data, UserDialogs &dialogs, const QString &programFolder,
        const QString &dataFolder, DocumentOpener openDocument, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Window state

    int SelectedLog = 0;
    int SelectedChannel = 0;
    QString XLabels = QStringLiteral("ReadingID");
    QString DefaultSort = QStringLiteral("ReadingID");
    int CrshairX = 999999;
    int CrshairY = 999999;
    bool ChartOverlay = false;
    bool LapMode = false;
    int YListCount = 0;
    /// Index in the lap pages of the page of the file opened as separate laps, or -1.
    int XTab = -1;
    std::vector<QPointer<LapCheckList>> YLists;
    /// Axis and colour presets, loaded from "DefaultAxis.axt".
    RecordTable AxisTemplate;
    /// The chart-wide look the template gives, for the chart to apply.
    ChartColours chartColours() const { return m_chartColours; }
    TLogFile LogFile1;

    // Operations

    /// Opens a session log as one more log column; ignored while another open is running.
    void OpenLogFile(const QString &LogFileName);
    void OpenLogFile1Click();
    void OpenLogAsLapsClick();
    void ClearLogs();
    void Clearalllogs1Click();
    /// "Add Race Line Data", "Remove Race Line": the selected log's race line on the track
    /// lap window, in the log's colour.
    void AddRaceLineData1Click();
    void RemoveRaceLine1Click();
    /// "Track Map Editor": shows the editor unless it is showing and enables the two
    /// import entries.
    void TrackMap1Click();
    /// "Import as Inside/Outside Track Map": the selected log, as it shows now (one lap
    /// when a lap is ticked), becomes that edge of the editor's map.
    void ImportasInsideTrackMap1Click();
    void ImportasOutsideTrackMap1Click();

    // Laps, sorting, smoothing

    /// A log's lap was ticked (its number) or unticked (-1): a tick orders every log by LapID.
    void OnLapSelected(int LapNumber);
    /// "Apply Selection" (lap mode): one log column per ticked lap of the file opened as
    /// separate laps, titled with the file name, " - Lap: " and the lap number.
    void Button2Click();
    void SortonLapID();
    /// Every series takes \a column as X and every log takes its order.
    void reorderLogs(const QString &column);
    /// "Sort on selected Channel": the current row's channel becomes every series' X and
    /// every log's order.
    void SortonthisChannel1Click();
    /// "Un-Sort Data": back to DefaultSort.
    void UnSortData1Click();
    /// The smoothing entries: the current cell's series smoothed with \a filterLevel.
    void SmoothenData(int filterLevel);

    // Chart cursor

    /// The mouse moved over the chart: with no button held and inside the plot area, the
    /// hair line follows it.
    void LogChartMouseMove(Qt::MouseButtons buttons, QPoint at);
    /// A full redraw of the chart has taken the hair line away.
    void LogChartAfterDraw();
    void DrawCrossHairs(int x, int y);
    void EraseCrossHairs();
    /// A cursor tool stands on another point, at X value \a xValue: every open log moves to
    /// its row nearest to it on the current order (the grid shows that row), and the track
    /// lap window shows each log's position there as a dot in the log's colour.
    void CursorToolChange(double xValue);
    void SaveLogFile1Click();
    /// Session information "Save": the editors into the selected log, written to its file.
    void Button1Click();
    /// A grid cell was chosen: a cell of a log column selects that log and enables the
    /// entries that work on it.
    void StringGrid1SelectCell(int c, int r);
    /// Draws grid cell (c, r) in \a rect: the selected cell, the frames of charted cells and
    /// of log titles, the X label's name; false leaves the cell to the grid's own drawing.
    bool StringGrid1DrawCell(QPainter &painter, const QRect &rect, int c, int r);

    // Chart building, on the grid's current cell

    /// "Add to Chart" and a double click on the grid: the cell's axis and series.
    void AddtoChart1Click();
    /// "Remove from Chart": the cell's series, then its axis when no series uses it.
    void RemovefromChart1Click();
    void AddAxis();
    void AddSeries();
    void RemoveAxis();
    void RemoveSeries();
    /// The axis of row \a r, released when no series uses it.
    void ClearAxis(int r);
    /// The series of cell (\a c, \a r), leaving the layout.
    void ClearSeries(int c, int r);
    /// Both axis mode buttons: axes created afterwards are overlaid while "Overlayed" is down.
    void OverlayModeClick();
    /// "Set Display Options": the look of the current cell's series, its axis and the
    /// chart, applied when accepted and stored in "DefaultAxis.axt" when asked to.
    void SetChartSpan1Click();
    /// Fills the session information editors from the selected log.
    void TabSheet3Enter();

    /// The session object of grid column \a column, or null.
    TKROData *logAt(int column) const;
    /// The file of the log opened as separate laps (the import table's file).
    QString lapFileName() const { return m_lapFileName; }

    /// The chart (a QCustomPlot).
    QWidget *LogChart() const { return m_chart; }
    /// The axes and series of the grid's cells on the chart.
    ChannelChart &chart() const { return *m_channelChart; }
    /// Replaces what clearing asks to remove the series of grid cells (the chart by
    /// default); not owned.
    void setChartSeries(LogChartSeries *series) { m_chartSeries = series; }
    /// The track lap window that "Show Track Map" shows and race lines go to; not owned.
    void setTrackLapForm(TTrackLapForm *form);
    /// The track map editor that "Track Map Editor" shows and laps are imported into as
    /// edges; not owned. Closing it disables the two import entries again.
    void setTrackForm(TTrackForm *form);
    /// The removable drives the logger configuration window lists; not owned. Until one is
    /// set, "Dash Manager" > "KRO 7" is disabled.
    void setCardDrives(CardDrives *drives);
    /// The card initialisation window the logger configuration window offers; not owned.
    void setInitCardForm(TfrmInitCard *form) { m_initCard = form; }
    /// "Dash Manager" > "KRO 7": the logger configuration window, shown modally and freed
    /// when it closes; a quick import there opens its log here.
    void KRO71Click();

    // Models of the controls
    ChannelGrid &StringGrid1() { return m_grid; }
    LapPages &PageControl3() { return m_lapPages; }
    TimingTree &TreeView1() { return m_tree; }
    ProgressModel &ProgressBar1() { return m_progress; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    /// The window became the active one: the chart is drawn afresh.
    void FormActivate();
    void buildLayout();
    QWidget *buildSessionInfo();
    void buildMenus();
    template <typename Handler> void onTriggered(QAction *action, Handler handler);
    void SortLogs();
    void connectLog(TKROData &log);
    void resetProgress();
    void setLogEntriesEnabled(bool on);
    void setTrackImportsEnabled(bool on);
    void openUserGuide(const QString &name);
    void removeLapPages(int tag);
    /// The grid's current cell as (column, row).
    std::pair<int, int> currentCell() const;

    TKRO_Data &m_data;
    UserDialogs &m_dialogs;
    QString m_programFolder;
    QString m_dataFolder;
    DocumentOpener m_openDocument;
    CardDrives *m_cardDrives = nullptr;
    TfrmInitCard *m_initCard = nullptr;
    LogChartSeries *m_chartSeries = nullptr;
    ChartColours m_chartColours;
    QString m_lapFileName;

    ChannelGrid m_grid;
    LapPages m_lapPages;
    TimingTree m_tree;
    ProgressModel m_progress;

    QTabWidget *m_pageControl2 = nullptr;
    QTableView *m_gridView = nullptr;
    QPointer<TTrackLapForm> m_trackLap;
    QPointer<TTrackForm> m_trackMap;
    bool m_namesFitPending = false;
    QPushButton *m_applySelection = nullptr;
    QWidget *m_sessionInfo = nullptr;
    QLineEdit *m_driver = nullptr;
    QLineEdit *m_track = nullptr;
    QLineEdit *m_event = nullptr;
    QDateTimeEdit *m_date = nullptr;
    LimitedTextEdit *m_trackCondition = nullptr;
    LimitedTextEdit *m_vehicle = nullptr;
    LimitedTextEdit *m_engine = nullptr;
    LimitedTextEdit *m_weather = nullptr;
    LimitedTextEdit *m_memo = nullptr;
    QWidget *m_chart = nullptr;
    ChannelChart *m_channelChart = nullptr;
    QAction *m_overlaySelect = nullptr;
    QAction *m_lineSelect = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QMenu *m_popup = nullptr;
};

} // namespace zel
