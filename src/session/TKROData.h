#pragma once

#include "session/RecordTable.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

namespace zel {

class ChannelGrid;
class LapCheckList;
class LapPages;
class ProgressModel;
class TLogFile;
class TimingTree;

/// One opened session log: its data rows, lap-timing table, lap list, session information
/// and its column of the channel grid. The owner hands it the models of the window's
/// controls (grid, lap pages, timing tree, progress bar) and the table the session file was
/// loaded into, then calls OpenLogTable or OpenLogAsLaps.
///
/// The session listens to LogData's AfterScroll and to its lap list's OnClickCheck through
/// connections that end with it, so a lap list the window keeps after the session is gone
/// calls nothing; a chart cursor or track map may connect to LogData's AfterScroll too.
class TKROData : public QObject
{
    Q_OBJECT
public:
    /// Display pattern of grid values.
    static constexpr char16_t kGridPattern[] = u"#####0.###";
    /// Display pattern of lap and sector times in the timing tree.
    static constexpr char16_t kTimePattern[] = u"00#.00";

    /// Creates the owned tables with provisional columns; XLabels "ReadingID", LogNumber -1.
    explicit TKROData(QObject *owner = nullptr);
    ~TKROData() override;

    // References handed in by the owner (not owned)

    /// Raw log reader kept for the owner.
    void setSDLogFile(TLogFile *log) { FSDLogFile = log; }
    /// Raw log reader kept for the owner.
    TLogFile *SDLogFile() const { return FSDLogFile; }
    /// The table holding the loaded session file.
    void setExLogData(RecordTable *table) { FExLogData = table; }
    /// The table holding the loaded session file.
    RecordTable *ExLogData() const { return FExLogData; }
    /// Where this log's lap list page goes.
    void setPageControl(LapPages *pages) { FPageControl = pages; }
    /// The channel grid.
    void setStringGrid(ChannelGrid *grid) { FStringGrid = grid; }
    /// The channel grid.
    ChannelGrid *StringGrid() const { return FStringGrid; }
    /// The timing tree.
    void setTimeDataView(TimingTree *tree) { FTimeDataView = tree; }
    /// The progress bar.
    void setLogProgress(ProgressModel *progress) { FLogProgress = progress; }
    /// Locale of the displayed numbers (the system locale unless set).
    void setLocale(const QLocale &locale) { FLocale = locale; }

    // Operations

    /// Builds this session from all rows of ExLogData; \a LogFile gives the titles.
    /// The rows move into LogData, leaving ExLogData open and empty, since the owner drops
    /// the loaded file afterwards. Returns the grid column.
    int OpenLogTable(const QString &LogFile);
    /// Builds this session from the data rows of lap \a LapNumber of ExLogData (the filter
    /// stays on ExLogData); \a LogFile is the title. Returns the grid column.
    int OpenLogAsLaps(const QString &LogFile, int LapNumber);
    /// Writes the session, header row included, to LogFileName through ExLogData, with the
    /// current session information. Throws when there is no file name (lap mode).
    void SaveLogFile();
    /// Cursor-move handler of LogData: shows the current row in this log's grid column.
    void XAfterScroll(RecordTable &table);
    /// Advances the progress bar by one.
    void OnRecordProgress();
    /// Handler of a tick in this log's lap list: shows only that lap, or all laps again.
    void LapListClickCheck(int index);

    // Owned data

    /// The session's rows, filtered to data rows (or one lap).
    RecordTable &LogData() { return FLogData; }
    /// Lap and sector completions.
    RecordTable &TimeData() { return FTimeData; }
    /// "Lap_Number : n" for every lap, in order.
    const QStringList &LogLaps() const { return FLogLaps; }
    /// True when the session has a LapID column (timing, laps and tree are built).
    bool hasLapID() const { return FHasLapID; }

    // Properties

    /// Session file path used by SaveLogFile.
    QString LogFileName() const { return FLogFileName; }
    /// Sets the session file path.
    void setLogFileName(const QString &name) { FLogFileName = name; }
    /// Column the data is ordered by.
    QString XLabels() const { return FXLabels; }
    /// Sets the column the data is ordered by.
    void setXLabels(const QString &name) { FXLabels = name; }
    /// Grid column of this log, or -1.
    int LogNumber() const { return FLogNumber; }
    /// While set, cursor moves advance the progress bar instead of refreshing the grid.
    bool DisableComponents() const { return FDisableComponents; }
    /// Sets or clears DisableComponents.
    void setDisableComponents(bool on) { FDisableComponents = on; }
    /// Filter of the header row.
    QString HeaderFilter() const { return FHeaderFilter; }
    /// Filter of the data rows shown.
    QString DataFilter() const { return FDataFilter; }

    /// Session information read from the header row and written back by SaveLogFile.
    QString Driver, Track, Event, Weather, TrackCondition, Vehicle, Engine, MemoStr;
    /// Date of the session (invalid when the header row has none).
    QDateTime LogDate;

Q_SIGNALS:
    /// A lap was ticked (its number) or unticked (-1).
    void OnLapSelected(int LapNumber);
    /// The shown rows changed: charts redraw their series from their tables.
    void LogChartRefresh();

private:
    int open(const QString &LogFile, std::optional<int> lap);
    void copyColumnsFrom(const RecordTable &source, RecordTable &target);
    void readSessionInfo();
    void buildTiming(bool everyRow);
    void buildTree(const QString &title, bool lapRows);
    int takeGridColumn(const QString &title);
    void addGridRows(bool lapRows);
    void applyDataFilter();
    QString time(double value) const;

    TLogFile *FSDLogFile = nullptr;
    RecordTable *FExLogData = nullptr;
    LapPages *FPageControl = nullptr;
    ChannelGrid *FStringGrid = nullptr;
    TimingTree *FTimeDataView = nullptr;
    ProgressModel *FLogProgress = nullptr;
    QPointer<LapCheckList> FLapList;
    QLocale FLocale;

    RecordTable FLogData;
    RecordTable FTimeData;
    QStringList FLogLaps;
    bool FHasLapID = false;

    QString FLogFileName;
    QString FXLabels = QStringLiteral("ReadingID");
    int FLogNumber = -1;
    bool FDisableComponents = false;
    QString FHeaderFilter;
    QString FDataFilter;
};

} // namespace zel
