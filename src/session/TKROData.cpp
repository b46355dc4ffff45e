#include "session/TKROData.h"

#include "common/DateTimeValue.h"
#include "session/ChannelGrid.h"
#include "session/ControlsDisabled.h"
#include "session/LapCheckList.h"
#include "session/LapPages.h"
#include "session/NumberPattern.h"
#include "session/ProgressModel.h"
#include "session/SessionColumns.h"
#include "session/TimingTree.h"

#include <QFileInfo>
#include <algorithm>

namespace zel {

namespace {

const QString kDataRows = QStringLiteral("RecordType = 1");
const QString kHeaderRows = QStringLiteral("RecordType = 2");

// The timing columns copied from each lap or sector completion.
const char *const kTimingCopied[]
    = { "ReadingID", "LapID", "Lap_Number", "Lap_Marker", "Lap_Time", "Sector_Number",
          "Sector_Marker", "Sector_Time", "GPSSpeed", "Lap_Difference", "Sector_Difference" };

// First column of a session table that the grid lists.
constexpr int kFirstGridColumn = 25;
constexpr int kFirstGridColumnWithoutLapID = 13;

} // namespace

TKROData::TKROData(QObject *owner)
    : QObject(owner)
{
    SessionColumns::defineFixedColumns(FLogData);
    connect(&FLogData, &RecordTable::AfterScroll, this, [this] { XAfterScroll(FLogData); });

    for (const char *name : { "GPSLat", "GPSLong", "GPSAlt" })
        FTimeData.addColumn(QString::fromLatin1(name), ColumnType::Real);
    for (const char *name : { "Lap_Marker", "Sector_Marker", "ReadingID" })
        FTimeData.addColumn(QString::fromLatin1(name), ColumnType::Integer);
    FTimeData.addColumn(QStringLiteral("LapID"), ColumnType::LongWord);
    FTimeData.addColumn(QStringLiteral("Lap_Number"), ColumnType::Integer);
    for (const char *name : { "Lap_Time", "Lap_Running_Time" })
        FTimeData.addColumn(QString::fromLatin1(name), ColumnType::Real);
    FTimeData.addColumn(QStringLiteral("Sector_Number"), ColumnType::Integer);
    for (const char *name : { "Sector_Time", "Sector_Running_Time", "Track_Time", "Lap_Difference",
             "Sector_Difference", "GPSSpeed" })
        FTimeData.addColumn(QString::fromLatin1(name), ColumnType::Real);
    FTimeData.addIndex(QStringLiteral("LapTimes"), QStringLiteral("Lap_Number; LapID"));
    FTimeData.addIndex(QStringLiteral("LapNumbers"), QStringLiteral("Lap_Number;Sector_Number"));
}

TKROData::~TKROData() = default;

int TKROData::OpenLogTable(const QString &LogFile)
{
    return open(LogFile, std::nullopt);
}

int TKROData::OpenLogAsLaps(const QString &LogFile, int LapNumber)
{
    return open(LogFile, LapNumber);
}

void TKROData::copyColumnsFrom(const RecordTable &source, RecordTable &target)
{
    target.close();
    target.clearColumns();
    for (int i = 0; i < source.columnCount(); ++i) {
        const ColumnDef &def = source.column(i);
        target.addColumn(def.name, def.type, def.size);
    }
}

int TKROData::open(const QString &LogFile, std::optional<int> lap)
{
    if (!FExLogData)
        throw RecordTableError(QStringLiteral("No session table to open the log from"));
    RecordTable &ex = *FExLogData;
    copyColumnsFrom(ex, FLogData);
    FHasLapID = FLogData.findColumn(QStringLiteral("LapID")) >= 0;
    if (FLogProgress)
        FLogProgress->setPosition(0);

    FDataFilter = kDataRows;
    FHeaderFilter = kHeaderRows;
    FLogData.setFilter(FDataFilter);
    FLogData.setFiltered(true);
    if (lap) {
        FLogData.addIndex(QStringLiteral("LapID"), QStringLiteral("LapID"));
        FLogData.setIndexName(QStringLiteral("LapID"));
    } else {
        FLogData.addIndex(QStringLiteral("ReadingID"),
            FHasLapID ? QStringLiteral("ReadingID;LapID") : QStringLiteral("ReadingID"));
        FLogData.setIndexName(QStringLiteral("ReadingID"));
    }

    if (lap) {
        ex.setFilter(QStringLiteral("RecordType = 1 and [Lap_Number] = %1").arg(*lap));
        ex.setFiltered(true);
    }
    if (FLogProgress)
        FLogProgress->setMaximum(ex.recordCount());
    const int rows = ex.recordCount();
    {
        const ControlsDisabled suspended(FLogData);
        FLogData.open();
        // The owner drops the loaded file once the session is built, so a whole log takes
        // its rows instead of copying them; a lap copies, as further laps are read from it.
        if (lap)
            FLogData.copyRowsFrom(ex);
        else
            FLogData.takeRowsFrom(ex);
    }
    if (FLogProgress)
        FLogProgress->setPosition(rows);

    if (!lap)
        readSessionInfo();
    if (FHasLapID || lap)
        buildTiming(lap.has_value());

    const QString fileName = QFileInfo(LogFile).fileName();
    if (FHasLapID && !lap && FPageControl) {
        // Only the newest lap list drives this session's filter.
        if (FLapList)
            disconnect(FLapList, &LapCheckList::OnClickCheck, this, nullptr);
        LapCheckList *list = FPageControl->addPage(fileName);
        list->setItems(FLogLaps);
        connect(list, &LapCheckList::OnClickCheck, this, &TKROData::LapListClickCheck);
        FLapList = list;
    }

    takeGridColumn(lap ? LogFile : fileName);
    addGridRows(lap.has_value());

    const QString title = lap ? LogFile : fileName;
    if ((FHasLapID || lap) && FTimeDataView && !FTimeDataView->findTopLevel(title))
        buildTree(title, lap.has_value());

    if (FStringGrid)
        FStringGrid->setObject(FLogNumber, 0, this);
    if (lap)
        FXLabels = QStringLiteral("LapID");
    FLogData.setIndexFieldNames(FXLabels);
    FLogData.First();
    return FLogNumber;
}

void TKROData::readSessionInfo()
{
    // The header row is the first row whose RecordType is 2; the data filter hides it from
    // the view, so it is found in storage order.
    const int recordType = FLogData.findColumn(QStringLiteral("RecordType"));
    int header = -1;
    for (int row = 0; recordType >= 0 && row < FLogData.rowCount() && header < 0; ++row) {
        if (FLogData.numberAt(recordType, row) == SessionColumns::kHeaderRow
            && !FLogData.isNullAt(recordType, row))
            header = row;
    }
    const auto text = [this, header](const char *column) {
        const int index = FLogData.findColumn(QString::fromLatin1(column));
        return index < 0 || header < 0 ? QString() : FLogData.textAt(index, header);
    };
    Driver = text("Driver");
    Track = text("Track");
    Event = text("Event");
    Weather = text("Weather");
    TrackCondition = text("Track Condition");
    Vehicle = text("Vehicle");
    Engine = text("Engine");
    MemoStr = text("Memo");
    const int date = FLogData.findColumn(QStringLiteral("Date"));
    LogDate = date < 0 || header < 0 || FLogData.isNullAt(date, header)
        ? QDateTime()
        : dateTimeFromDays(FLogData.numberAt(date, header));
}

void TKROData::buildTiming(bool everyRow)
{
    FLogLaps.clear();
    FTimeData.close();
    FTimeData.setIndexName(everyRow ? QStringLiteral("LapNumbers") : QStringLiteral("LapTimes"));
    FTimeData.open();

    std::vector<std::pair<int, int>> copied; // (LogData column, TimeData column)
    for (const char *name : kTimingCopied) {
        const int source = FLogData.findColumn(QString::fromLatin1(name));
        if (source >= 0)
            copied.emplace_back(source, FTimeData.columnIndex(QString::fromLatin1(name)));
    }
    const int lapMarker = FLogData.findColumn(QStringLiteral("Lap_Marker"));
    const int sectorMarker = FLogData.findColumn(QStringLiteral("Sector_Marker"));
    const int lapNumber = FLogData.findColumn(QStringLiteral("Lap_Number"));

    const int rows = FLogData.recordCount();
    if (FLogProgress) {
        FLogProgress->setMaximum(rows);
        FLogProgress->setPosition(0);
    }
    const ControlsDisabled suspended(FTimeData);
    qint64 lastLap = -1;
    for (int position = 0; position < rows; ++position) {
        const int row = FLogData.viewRow(position);
        const auto value
            = [this, row](int column) { return column < 0 ? 0.0 : FLogData.numberAt(column, row); };
        if (value(lapMarker) == 1 || value(sectorMarker) == 1) {
            FTimeData.Append();
            for (const auto &[source, target] : copied) {
                if (!FLogData.isNullAt(source, row))
                    FTimeData.field(target).setReal(FLogData.numberAt(source, row));
            }
            FTimeData.Post();
        }
        const qint64 number = qint64(value(lapNumber));
        if (number > lastLap) {
            FLogLaps << QStringLiteral("Lap_Number : %1").arg(number);
            lastLap = number;
        }
        OnRecordProgress();
    }
    FTimeData.First();
}

QString TKROData::time(double value) const
{
    return formatPattern(value, kTimePattern, FLocale);
}

void TKROData::buildTree(const QString &title, bool lapRows)
{
    TimingTree &tree = *FTimeDataView;
    const TimingTree::UpdateBatch batch(tree);
    TimingNode *top = tree.addTopLevel(title);
    TimingNode *lapNode = nullptr;
    qint64 previousLap = 0;
    const auto number = [this](const char *column) {
        return FTimeData.field(FTimeData.columnIndex(QString::fromLatin1(column))).asReal();
    };
    for (FTimeData.First(); !FTimeData.eof(); FTimeData.Next()) {
        const qint64 lap = qint64(number("Lap_Number"));
        if (!lapNode || lap != previousLap) {
            lapNode = tree.addChild(top, QStringLiteral("Lap: %1").arg(lap));
            previousLap = lap;
        }
        const bool sector = number("Sector_Marker") == 1;
        const bool lapDone = number("Lap_Marker") == 1;
        if (sector && !lapDone) {
            TimingNode *node = tree.addChild(lapNode,
                QStringLiteral("Sec: %1 Time: %2")
                    .arg(qint64(number("Sector_Number")))
                    .arg(time(number("Sector_Time"))));
            tree.addChild(
                node, QStringLiteral("Sector_Difference: ") + time(number("Sector_Difference")));
        } else if (sector && lapDone) {
            TimingNode *node = lapRows
                ? tree.addChild(lapNode,
                    QStringLiteral("Lap: %1 Time: %2").arg(lap).arg(time(number("Lap_Time"))))
                : tree.addChild(lapNode,
                    QStringLiteral("Sec: %1 Time: %2")
                        .arg(qint64(number("Sector_Number")))
                        .arg(time(number("Sector_Time"))));
            tree.setText(
                lapNode, lapNode->text + QStringLiteral(" Time: ") + time(number("Lap_Time")));
            tree.addChild(
                node, QStringLiteral("Lap_Difference: ") + time(number("Lap_Difference")));
        }
    }
}

int TKROData::takeGridColumn(const QString &title)
{
    if (!FStringGrid)
        return FLogNumber;
    ChannelGrid &grid = *FStringGrid;
    if (grid.cell(0, 0).isEmpty())
        grid.setCell(0, 0, QStringLiteral("0"));
    if (grid.cell(0, 0).toInt() > 0)
        grid.setColCount(grid.colCount() + 1);
    FLogNumber = grid.colCount() - 1;
    grid.setCell(0, 0, QString::number(FLogNumber));
    grid.setCell(FLogNumber, 0, title);
    return FLogNumber;
}

void TKROData::addGridRows(bool lapRows)
{
    if (!FStringGrid)
        return;
    ChannelGrid &grid = *FStringGrid;
    const int first = (FHasLapID || lapRows) ? kFirstGridColumn : kFirstGridColumnWithoutLapID;
    for (int i = first; i < FLogData.columnCount(); ++i) {
        const QString name = FLogData.column(i).name;
        if (grid.rowOfName(name) >= 0)
            continue;
        if (lapRows) {
            // Lap logs place a channel at a fixed row; the grid grows to reach it and keeps
            // its empty last row.
            const int row = i - (kFirstGridColumn - 1);
            grid.setRowCount(std::max(grid.rowCount(), row + 2));
            grid.setCell(0, row, name);
        } else {
            grid.setRowCount(grid.rowCount() + 1);
            grid.setCell(0, grid.rowCount() - 2, name);
        }
    }
}

void TKROData::XAfterScroll(RecordTable &table)
{
    if (FLogNumber < 0)
        return;
    if (FDisableComponents && FLogProgress) {
        OnRecordProgress();
        return;
    }
    if (!FStringGrid || table.recNo() < 0)
        return;
    const int row = table.viewRow(table.recNo());
    const ChannelGrid::UpdateBatch batch(*FStringGrid);
    for (int i = 0; i < table.columnCount(); ++i) {
        const int gridRow = FStringGrid->rowOfName(table.column(i).name);
        if (gridRow < 1)
            continue;
        const QString text = isNumericType(table.column(i).type)
            ? formatPattern(table.numberAt(i, row), kGridPattern, FLocale)
            : table.field(i).asText();
        FStringGrid->setCell(FLogNumber, gridRow, text);
    }
}

void TKROData::OnRecordProgress()
{
    if (FLogProgress)
        FLogProgress->stepBy(1);
}

void TKROData::applyDataFilter()
{
    FDisableComponents = true;
    FLogData.DisableControls();
    FLogData.setFilter(FDataFilter);
    FLogData.setFiltered(true);
}

void TKROData::LapListClickCheck(int index)
{
    if (!FLapList)
        return;
    LapCheckList &list = *FLapList;
    const bool ticked = list.checked(index);
    for (int i = 0; i < list.items().size(); ++i)
        list.setChecked(i, false);
    if (ticked && index >= 0 && index < FLogLaps.size()) {
        list.setChecked(index, true);
        const QString entry = FLogLaps[index];
        const QString number = entry.mid(entry.indexOf(u':') + 1).trimmed();
        FDataFilter = QStringLiteral("RecordType = 1 and [Lap_Number] = ") + number;
        applyDataFilter();
        Q_EMIT OnLapSelected(number.toInt());
    } else {
        FDataFilter = kDataRows;
        applyDataFilter();
        Q_EMIT OnLapSelected(-1);
    }
    Q_EMIT LogChartRefresh();
    FDisableComponents = false;
    FLogData.EnableControls();
}

void TKROData::SaveLogFile()
{
    if (FLogFileName.isEmpty())
        throw RecordTableError(QStringLiteral("This log has no session file to save to"));
    if (!FExLogData)
        throw RecordTableError(QStringLiteral("No session table to save the log through"));
    RecordTable &ex = *FExLogData;

    // The target is emptied and takes this session's columns, so nothing of a file opened
    // through it before can reach the saved file.
    copyColumnsFrom(FLogData, ex);
    ex.setFiltered(false);
    ex.setFilter(QString());
    ex.setIndexName(QString());
    ex.setIndexFieldNames(QString());
    ex.addIndex(QStringLiteral("ReadingID"), QStringLiteral("RecordType;ReadingID"));
    ex.open();
    {
        const ControlsDisabled suspended(FLogData);
        FLogData.setFiltered(false);
        ex.copyRowsFrom(FLogData);
        FLogData.setFiltered(true);
    }

    if (ex.Locate(QStringLiteral("RecordType"), { SessionColumns::kHeaderRow })) {
        ex.Edit();
    } else {
        ex.Append();
        ex.fieldByName(QStringLiteral("RecordType")).setInteger(SessionColumns::kHeaderRow);
        if (const int reading = ex.findColumn(QStringLiteral("ReadingID")); reading >= 0)
            ex.field(reading).setInteger(0);
    }
    const auto put = [&ex](const char *column, const QString &value) {
        if (const int index = ex.findColumn(QString::fromLatin1(column)); index >= 0)
            ex.field(index).setText(value);
    };
    put("Driver", Driver);
    put("Track", Track);
    put("Event", Event);
    put("Weather", Weather);
    put("Track Condition", TrackCondition);
    put("Vehicle", Vehicle);
    put("Engine", Engine);
    put("Memo", MemoStr);
    if (const int date = ex.findColumn(QStringLiteral("Date")); date >= 0)
        ex.field(date).setDateTime(LogDate);
    ex.Post();
    ex.saveToFile(FLogFileName);
    ex.close();
}

} // namespace zel
