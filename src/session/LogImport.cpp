#include "session/LogImport.h"

#include "common/Error.h"
#include "common/FolderName.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TLogFile.h"
#include "session/ControlsDisabled.h"
#include "session/ImportCancelled.h"
#include "session/ImportColumns.h"
#include "session/ImportObserver.h"
#include "session/MathsEvaluator.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"
#include "session/SessionFileName.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <utility>

namespace zel {

namespace {

using C = SessionColumns;

double numberOrZero(float value)
{
    return std::isnan(value) ? 0.0 : double(value);
}

// Rows whose maths channels are computed together: enough to run each formula's code over
// many rows at once, few enough that the cells read are still in the cache.
constexpr int kMathsBlockRows = 4096;

// The import's table takes the maths channels a block of rows at a time while it is filled;
// they are computed row by row again once it ends, however it ends.
class MathsInColumns
{
public:
    MathsInColumns(TKRO_Data &data, const RecordTable &table)
        : m_data(data)
    {
        m_data.setMathsInColumns(&table);
    }
    ~MathsInColumns() { m_data.setMathsInColumns(nullptr); }
    MathsInColumns(const MathsInColumns &) = delete;
    MathsInColumns &operator=(const MathsInColumns &) = delete;

    /// Computes the rows of the table stored since the last call or restart.
    void compute(RecordTable &table)
    {
        // Rows are taken before computing, so a failure part-way never counts them twice.
        const int first = std::exchange(m_computed, table.rowCount());
        m_data.computeMathsColumns(table, first, m_computed - first);
    }
    /// The table was closed and opened again: its rows start from the first.
    void restart() { m_computed = 0; }

private:
    TKRO_Data &m_data;
    int m_computed = 0;
};

} // namespace

LogImport::LogImport(TKRO_Data &data, ImportObserver &observer)
    : m_data(data)
    , m_observer(observer)
    , m_channelCount(LoggerChannelCount())
{
    m_positionColumn.fill(-1);
}

LogImport::~LogImport()
{
    QObject::disconnect(m_openConnection);
}

void LogImport::attach(TLogFile &log)
{
    // The connection ends with this object, so a log that outlives the import never calls
    // into it; attaching again replaces it rather than defining the columns twice.
    QObject::disconnect(m_openConnection);
    m_openConnection = QObject::connect(
        &log, &TLogFile::AfterOpenLog, [this, &log] { defineColumns(log.header()); });
}

void LogImport::defineColumns(const TDataDictionary &header)
{
    RecordTable &table = m_data.LogDataTable();
    table.close();
    table.clearColumns();
    SessionColumns::defineFixedColumns(table);
    MathsEvaluator *maths = m_data.maths();
    const ImportColumns columns(
        header, m_channelCount, maths ? maths->channelNames() : QStringList());

    if (columns.readsEveryPosition()) {
        const QString settings = m_settingsFile.isEmpty() ? QStringLiteral("The card's settings")
                                                          : u'"' + m_settingsFile + u'"';
        m_observer.showMessage(settings
            + QStringLiteral(" list %1 channels, but the log has %2: every channel of the log "
                             "is imported under the name the log gives it.")
                  .arg(std::clamp(m_channelCount, 0, kMaxLogChannels))
                  .arg(int(header.NumberOfChannels)));
    }
    for (const QString &name : columns.channelColumns())
        table.addColumn(name, ColumnType::Real);
    m_logChannels = columns.logChannels();
    for (int j = 0; j < kMaxLogChannels; ++j) {
        const int column = columns.columnOfPosition(j);
        m_positionColumn[size_t(j)] = column < 0 ? -1 : SessionColumns::FirstChannel + column;
    }
    m_readablePositions = std::min({ int(header.NumberOfChannels),
        (int(header.LogRecordLength) - kMinLogRecordLength) / 4, kMaxReadableChannels });

    m_skippedMaths.clear();
    const QString mathsFile = m_data.MathsChannels1().MathsFileName();
    const QString mathsTable
        = mathsFile.isEmpty() ? QStringLiteral("the maths table") : u'"' + mathsFile + u'"';
    for (const ImportColumns::SkippedMaths &skipped : columns.skippedMaths()) {
        if (skipped.problem == ImportColumns::MathsProblem::BlankName) {
            // Records are counted from 1, as a user counts the lines of a list.
            m_observer.showMessage(
                QStringLiteral("The maths channel in record %1 of %2 has no name and is not "
                               "computed.")
                    .arg(QString::number(skipped.index + 1), mathsTable));
            continue;
        }
        m_skippedMaths << skipped.name;
        m_observer.showMessage(QStringLiteral("The maths channel \"%1\" is not computed: "
                                              "a column of the log has that name.")
                                   .arg(skipped.name));
    }
    for (const QString &name : columns.mathsColumns())
        table.addColumn(name, ColumnType::Real);
    m_data.setSkippedMathsChannels(m_skippedMaths);
    if (maths)
        m_data.PrepareComputation(m_logChannels);
    else
        m_data.setVars({});

    table.addIndex(QStringLiteral("ReadingID"), QStringLiteral("ReadingID"));
    table.setIndexName(QStringLiteral("ReadingID"));
}

void LogImport::appendHeaderRow(RecordTable &table)
{
    table.Append();
    table.field(C::RecordType).setInteger(C::kHeaderRow);
    table.field(C::ReadingID).setInteger(0);
    table.Post();
}

void LogImport::setPartNames(const QString &folder, const QString &stem, bool replace)
{
    m_partFolder = folder;
    m_partStem = stem;
    m_replaceParts = replace;
}

QString LogImport::cardFolder(const QString &dataFolder, const QString &cardID)
{
    // The card ID comes from the card's own settings file: it names a folder only when it
    // is one plain folder name.
    return isSafeFolderName(cardID) ? QDir(dataFolder).filePath(cardID) : dataFolder;
}

QString LogImport::partFolder() const
{
    return m_partFolder.isEmpty() ? cardFolder(m_dataFolder, m_cardID) : m_partFolder;
}

void LogImport::savePart(RecordTable &table, const QString &rawLogPath, int part)
{
    const QString folder = partFolder();
    if (!QFileInfo::exists(folder))
        m_createdSplitFolder = true;
    if (!QDir().mkpath(folder)) {
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    }
    const QString extension = QStringLiteral(".KRO");
    QString path;
    if (m_partStem.isEmpty()) {
        path = saveUnderFreeName(
            table, folder, logStem(rawLogPath) + u'_' + QString::number(part), extension);
    } else {
        path = QDir(folder).filePath(m_partStem + u'_' + QString::number(part) + extension);
        if (m_replaceParts)
            table.saveToFile(path);
        else
            table.saveToNewFile(path);
    }
    m_savedParts << path;
    m_splitFolder = folder;
    table.close();
}

void LogImport::stopIfCancelled(RecordTable &table)
{
    if (!m_observer.cancelRequested())
        return;
    table.close();
    // The saved parts are whole session logs, but the user asked for no result.
    QStringList kept;
    for (const QString &path : std::as_const(m_savedParts)) {
        if (!QFile::remove(path) && QFileInfo::exists(path))
            kept << path;
    }
    m_savedParts = kept;
    if (kept.isEmpty()) {
        if (m_createdSplitFolder)
            QDir().rmdir(m_splitFolder); // only when empty: the user may have put files there
        m_splitFolder.clear();
        throw ImportCancelled(QStringLiteral("The import was cancelled"));
    }
    throw ImportCancelled(
        QStringLiteral("The import was cancelled, but these saved parts could not be removed: %1")
            .arg(kept.join(QStringLiteral(", "))));
}

void LogImport::fill(TLogFile &log)
{
    RecordTable &table = m_data.LogDataTable();
    m_savedParts.clear();
    m_splitFolder.clear();
    m_createdSplitFolder = false;
    table.close();
    table.open();
    const ControlsDisabled suspended(table);
    MathsInColumns maths(m_data, table);

    const qint64 length = log.header().LogRecordLength;
    const qint64 records = length > 0 && log.LogSize() > sizeof(TDataDictionary)
        ? (qint64(log.LogSize()) - qint64(sizeof(TDataDictionary))) / length
        : 0;
    table.reserveRows(int(std::min<qint64>(records, kSplitRecords + 1)) + 1);
    appendHeaderRow(table);
    m_observer.setProgressRange(records);
    if (records > kSplitRecords)
        m_observer.showMessage(
            QStringLiteral("This log is very large and will be split into sections"));

    // Records gather column by column between two looks at the cancel button, so that the
    // table takes each column of a block in one tight loop; the cells a data row fills never
    // change.
    const int columns = table.columnCount();
    std::vector<unsigned char> present(size_t(columns), 0);
    for (const C::Column column :
        { C::RecordType, C::GPSLat, C::GPSLong, C::GPSAlt, C::Lap_Marker, C::Sector_Marker,
            C::Lap_Counter, C::Lap_Number, C::Lap_Time, C::Lap_Running_Time, C::Lap_Difference,
            C::Sector_Number, C::Sector_Time, C::Sector_Running_Time, C::Sector_Difference,
            C::Track_Time, C::ReadingID, C::LapID, C::GPS_Lap_Distance, C::GPSSpeed })
        present[column] = 1;
    for (int p = 0; p < m_readablePositions; ++p) {
        if (m_positionColumn[size_t(p)] >= 0)
            present[size_t(m_positionColumn[size_t(p)])] = 1;
    }
    // A record's cells lie one column apart; a cache line more than a power of two apart
    // keeps them from crowding the same few cache sets.
    constexpr size_t kColumnStride = kCancelCheckRecords + 64 / sizeof(double);
    std::vector<double> block(
        size_t(std::count(present.begin(), present.end(), 1)) * kColumnStride);
    std::vector<double *> cells(size_t(columns), nullptr);
    double *next = block.data();
    for (int column = 0; column < columns; ++column) {
        if (present[size_t(column)]) {
            cells[size_t(column)] = next;
            next += kColumnStride;
        }
    }
    std::fill_n(cells[C::RecordType], kCancelCheckRecords, double(C::kDataRow));
    std::vector<std::pair<int, double *>> channels; // (position, column values)
    for (int p = 0; p < m_readablePositions; ++p) {
        if (m_positionColumn[size_t(p)] >= 0)
            channels.emplace_back(p, cells[size_t(m_positionColumn[size_t(p)])]);
    }
    int blockRows = 0;
    const auto storeBlock = [&] {
        table.appendNumberColumns(blockRows, cells.data());
        blockRows = 0;
    };

    int part = 1;
    qint64 reading = 0;
    // Rows stored before a failure keep their maths cells, as the row-by-row hook gave them.
    try {
        for (log.First(); !log.EOL(); log.ReadLogRecord()) {
            const TLogRecord &r = log.record();
            ++reading;
            const size_t k = size_t(blockRows++);
            cells[C::GPSLat][k] = r.GPSLat;
            cells[C::GPSLong][k] = r.GPSLong;
            cells[C::GPSAlt][k] = r.GPSAlt;
            cells[C::Lap_Marker][k] = r.LapMarker;
            cells[C::Sector_Marker][k] = r.LapMarker == 1 ? 1 : r.SectorMarker;
            cells[C::Lap_Counter][k] = r.LapCounter;
            cells[C::Lap_Number][k] = r.LapNumber;
            cells[C::Lap_Time][k] = r.LapTime;
            cells[C::Lap_Running_Time][k] = r.LapRunningTime;
            cells[C::Lap_Difference][k] = r.LapDifference;
            cells[C::Sector_Number][k] = r.SectorNumber;
            cells[C::Sector_Time][k] = r.SectorTime;
            cells[C::Sector_Running_Time][k] = r.SectorRunningTime;
            cells[C::Sector_Difference][k] = r.SectorDifference;
            cells[C::Track_Time][k] = r.TrackTime;
            cells[C::ReadingID][k] = double(reading);
            cells[C::LapID][k] = r.LapID;
            cells[C::GPS_Lap_Distance][k] = numberOrZero(r.LapDistance);
            cells[C::GPSSpeed][k] = numberOrZero(r.GPSSpeed);
            for (const auto &[position, values] : channels)
                values[k] = numberOrZero(r.ChannelData[position]);
            m_observer.advanceProgress();

            const bool splitHere = reading - 1 == qint64(kSplitRecords) * part;
            // Between two looks the block never holds more than kCancelCheckRecords records.
            if (splitHere || reading % kCancelCheckRecords == 0) {
                storeBlock();
                stopIfCancelled(table);
            }
            // Blocks of maths rows end where blocks of records do.
            if (splitHere || reading % kMathsBlockRows == 0)
                maths.compute(table);
            if (splitHere) {
                savePart(table, log.LogFileName(), part);
                maths.restart();
                table.open();
                // The next part holds at most kSplitRecords records and its header row.
                table.reserveRows(int(std::min<qint64>(records - reading, kSplitRecords)) + 1);
                appendHeaderRow(table);
                m_observer.showStatus(QStringLiteral("Split number %1 saved.").arg(part));
                ++part;
            }
        }
    } catch (...) {
        if (table.isOpen())
            maths.compute(table);
        throw;
    }
    storeBlock();
    stopIfCancelled(table);
    maths.compute(table);
    if (part > 1) {
        savePart(table, log.LogFileName(), part);
        m_observer.showMessage(
            QStringLiteral("No Need to save this log. \r\nIt is saved and split into ")
            + QString::number(part) + QStringLiteral(" Sections") + QStringLiteral("\n\r")
            + QStringLiteral("In folder ") + m_splitFolder);
    }
}

void LogImport::importFile(TLogFile &log, const QString &rawLogPath)
{
    attach(log);
    log.CloseLogFile();
    log.setLogFileName(rawLogPath);
    log.OpenLogFile();
    fill(log);
}

} // namespace zel
