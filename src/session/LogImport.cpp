#include "session/LogImport.h"

#include "common/Error.h"
#include "common/FolderName.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TLogFile.h"
#include "session/ControlsDisabled.h"
#include "session/ImportObserver.h"
#include "session/MathsEvaluator.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"
#include "session/SessionFileName.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace zel {

namespace {

using C = SessionColumns;

double numberOrZero(float value)
{
    return std::isnan(value) ? 0.0 : double(value);
}

} // namespace

LogImport::LogImport(TKRO_Data &data, ImportObserver &observer)
    : m_data(data)
    , m_observer(observer)
    , m_channelCount(LoggerChannelCount())
{
    m_positionColumn.fill(-1);
}

void LogImport::attach(TLogFile &log)
{
    log.AfterOpenLog = [this, &log] { defineColumns(log.header()); };
}

void LogImport::defineColumns(const TDataDictionary &header)
{
    RecordTable &table = m_data.LogDataTable();
    table.close();
    table.clearColumns();
    SessionColumns::defineFixedColumns(table);
    m_logChannels = SessionColumns::logChannelColumns();
    m_positionColumn.fill(-1);

    // Two positions with the same raw name share one column, but only a channel column:
    // a raw name never reaches a fixed column.
    QHash<QString, int> columnOfRawName;
    int clash = 1;
    const int positions = std::clamp(m_channelCount, 0, kMaxLogChannels);
    for (int j = 0; j < positions; ++j) {
        const QString raw = header.ChannelNames[j].toString().trimmed();
        if (header.LogChannels[j] == kUnusedPosition || raw.isEmpty())
            continue;
        const auto same = columnOfRawName.constFind(raw.toCaseFolded());
        if (same != columnOfRawName.constEnd()) {
            m_positionColumn[size_t(j)] = *same;
            continue;
        }
        QString name = SessionColumns::cleanChannelName(raw).trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Channel_%1").arg(j);
        if (table.findColumn(name) >= 0) {
            while (table.findColumn(QStringLiteral("%1_%2").arg(name, QString::number(clash))) >= 0)
                ++clash;
            name = QStringLiteral("%1_%2").arg(name, QString::number(clash++));
        }
        table.addColumn(name, ColumnType::Real);
        const int column = table.columnCount() - 1;
        m_positionColumn[size_t(j)] = column;
        m_logChannels << name;
        if (name == raw)
            columnOfRawName.insert(raw.toCaseFolded(), column);
    }
    m_readablePositions = std::min({ int(header.NumberOfChannels),
        (int(header.LogRecordLength) - kMinLogRecordLength) / 4, kMaxReadableChannels });

    m_skippedMaths.clear();
    MathsEvaluator *maths = m_data.maths();
    for (const QString &name : maths ? maths->channelNames() : QStringList()) {
        if (table.findColumn(name) >= 0) {
            m_skippedMaths << name;
            m_observer.showMessage(QStringLiteral("The maths channel \"%1\" is not computed: "
                                                  "a column of the log has that name.")
                                       .arg(name));
            continue;
        }
        table.addColumn(name, ColumnType::Real);
    }
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

QString LogImport::partFolder() const
{
    // The card ID comes from the card's own settings file: it names a folder only when it
    // is one plain folder name.
    return isSafeFolderName(m_cardID) ? QDir(m_dataFolder).filePath(m_cardID) : m_dataFolder;
}

void LogImport::savePart(RecordTable &table, const QString &rawLogPath, int part)
{
    const QString folder = partFolder();
    if (!QDir().mkpath(folder)) {
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    }
    const QString path = freeFileName(
        folder, logStem(rawLogPath) + u'_' + QString::number(part), QStringLiteral(".KRO"));
    table.saveToFile(path);
    m_savedParts << path;
    m_splitFolder = folder;
    table.close();
}

void LogImport::fill(TLogFile &log)
{
    RecordTable &table = m_data.LogDataTable();
    m_savedParts.clear();
    m_splitFolder.clear();
    table.close();
    table.open();
    const ControlsDisabled suspended(table);

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

    // One row of cells, rewritten per record; the cells a data row fills never change.
    const int columns = table.columnCount();
    std::vector<double> cells(size_t(columns), 0.0);
    std::vector<unsigned char> present(size_t(columns), 0);
    for (const C::Column column :
        { C::RecordType, C::GPSLat, C::GPSLong, C::GPSAlt, C::Lap_Marker, C::Sector_Marker,
            C::Lap_Counter, C::Lap_Number, C::Lap_Time, C::Lap_Running_Time, C::Lap_Difference,
            C::Sector_Number, C::Sector_Time, C::Sector_Running_Time, C::Sector_Difference,
            C::Track_Time, C::ReadingID, C::LapID, C::GPS_Lap_Distance, C::GPSSpeed })
        present[column] = 1;
    std::vector<std::pair<int, int>> channels; // (position, column)
    for (int p = 0; p < m_readablePositions; ++p) {
        if (m_positionColumn[size_t(p)] >= 0) {
            channels.emplace_back(p, m_positionColumn[size_t(p)]);
            present[size_t(m_positionColumn[size_t(p)])] = 1;
        }
    }
    cells[C::RecordType] = C::kDataRow;

    int part = 1;
    qint64 reading = 0;
    for (log.First(); !log.EOL(); log.ReadLogRecord()) {
        const TLogRecord &r = log.record();
        ++reading;
        cells[C::GPSLat] = r.GPSLat;
        cells[C::GPSLong] = r.GPSLong;
        cells[C::GPSAlt] = r.GPSAlt;
        cells[C::Lap_Marker] = r.LapMarker;
        cells[C::Sector_Marker] = r.LapMarker == 1 ? 1 : r.SectorMarker;
        cells[C::Lap_Counter] = r.LapCounter;
        cells[C::Lap_Number] = r.LapNumber;
        cells[C::Lap_Time] = r.LapTime;
        cells[C::Lap_Running_Time] = r.LapRunningTime;
        cells[C::Lap_Difference] = r.LapDifference;
        cells[C::Sector_Number] = r.SectorNumber;
        cells[C::Sector_Time] = r.SectorTime;
        cells[C::Sector_Running_Time] = r.SectorRunningTime;
        cells[C::Sector_Difference] = r.SectorDifference;
        cells[C::Track_Time] = r.TrackTime;
        cells[C::ReadingID] = double(reading);
        cells[C::LapID] = r.LapID;
        cells[C::GPS_Lap_Distance] = numberOrZero(r.LapDistance);
        cells[C::GPSSpeed] = numberOrZero(r.GPSSpeed);
        for (const auto &[position, column] : channels)
            cells[size_t(column)] = numberOrZero(r.ChannelData[position]);
        table.AppendNumbers(cells.data(), present.data());
        m_observer.advanceProgress();

        if (reading - 1 == qint64(kSplitRecords) * part) {
            savePart(table, log.LogFileName(), part);
            table.open();
            appendHeaderRow(table);
            m_observer.showStatus(QStringLiteral("Split number %1 saved.").arg(part));
            ++part;
        }
    }
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
