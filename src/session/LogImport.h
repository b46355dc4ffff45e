#pragma once

#include "logger/LogRecords.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace zel {

class ImportObserver;
class RecordTable;
class TKRO_Data;
class TLogFile;

/// Turns a raw ".Dsh" log into rows of the data module's LogDataTable: defines the columns
/// from the log header when the log is opened, then stores one row per raw record, saving
/// logs of more than 180000 records in numbered parts.
///
/// Parts are written to "<data folder>/<card ID>" when the card ID is a safe folder name,
/// otherwise to the data folder itself, each under the first free name ("run_1.KRO", or
/// "run_1 (2).KRO" when that exists, chosen at the moment of writing so that concurrent
/// imports never replace each other's parts), unless setPartNames names them. When a save
/// fails, the parts already written stay: each is a whole session log; savedParts() lists
/// them.
///
/// When the observer asks to cancel, the import stops with ImportCancelled: the table is
/// left closed and empty and the parts this import saved are removed, as the user asked for
/// no result.
class LogImport
{
public:
    /// Records per part: a log is split once it has more.
    static constexpr int kSplitRecords = 180000;
    /// Records between two questions to the observer whether to go on.
    static constexpr int kCancelCheckRecords = 256;

    /// An import into \a data's LogDataTable that reports to \a observer.
    LogImport(TKRO_Data &data, ImportObserver &observer);
    /// Ends the connection made by attach.
    ~LogImport();
    LogImport(const LogImport &) = delete;
    LogImport &operator=(const LogImport &) = delete;

    /// Header positions considered for columns: 0 .. count-1 (default LoggerChannelCount()),
    /// the channel count of the card's settings file \a settingsFile. A log that logs more
    /// channels than that is read in every position under the header's own names, with a
    /// warning naming the file: damaged or changed settings never drop a logged channel.
    void setChannelCount(int count, const QString &settingsFile = QString())
    {
        m_channelCount = count;
        m_settingsFile = settingsFile;
    }
    /// Card ID whose folder receives split parts.
    void setCardID(const QString &id) { m_cardID = id; }
    /// The program's Data folder, under which split parts are saved.
    void setDataFolder(const QString &folder) { m_dataFolder = folder; }
    /// Names split parts "<stem>_<n>.KRO" in \a folder instead of after the raw log in the
    /// data folder. With \a replace they replace files of those names; without, a part whose
    /// name is taken fails the import (the parts saved before it stay).
    void setPartNames(const QString &folder, const QString &stem, bool replace);

    /// Makes opening \a log define the table's columns (its AfterOpenLog notification), until
    /// this object is destroyed or attached to another log.
    void attach(TLogFile &log);
    /// Defines the table's columns for a log with this header (named as ImportColumns
    /// names them) and fills LogChannels; the data module's formula variables become the
    /// maths variables and LogChannels. A maths channel without a name is skipped with a
    /// warning naming its record and the maths file, and the import goes on.
    void defineColumns(const TDataDictionary &header);
    /// Stores the header row and one row per record of the open \a log, splitting as needed.
    /// Unless split, the table stays open for the caller to save. Throws ImportCancelled when
    /// the observer cancels.
    void fill(TLogFile &log);
    /// attach, open \a rawLogPath and fill.
    void importFile(TLogFile &log, const QString &rawLogPath);

    /// Names a formula may use: the fixed columns of that list, then every channel column.
    const QStringList &LogChannels() const { return m_logChannels; }
    /// Maths channels left out because their name belongs to a logged column.
    const QStringList &skippedMathsChannels() const { return m_skippedMaths; }
    /// Paths of the parts saved so far, in order.
    const QStringList &savedParts() const { return m_savedParts; }
    /// Folder the parts go to (set once a part is saved).
    QString splitFolder() const { return m_splitFolder; }
    /// True once the log was saved in parts.
    bool wasSplit() const { return !m_savedParts.isEmpty(); }

    /// The folder a card's imports go to: "<dataFolder>/<cardID>" when the card ID is one
    /// safe folder name, otherwise \a dataFolder itself.
    static QString cardFolder(const QString &dataFolder, const QString &cardID);

private:
    void appendHeaderRow(RecordTable &table);
    void savePart(RecordTable &table, const QString &rawLogPath, int part);
    void stopIfCancelled(RecordTable &table);
    QString partFolder() const;

    TKRO_Data &m_data;
    ImportObserver &m_observer;
    int m_channelCount;
    QString m_settingsFile;
    QString m_cardID;
    QString m_dataFolder;
    QString m_partFolder; // set by setPartNames
    QString m_partStem;
    bool m_replaceParts = false;

    QStringList m_logChannels;
    QStringList m_skippedMaths;
    std::array<int, kMaxLogChannels> m_positionColumn {}; // column of each position, or -1
    int m_readablePositions = 0;
    QStringList m_savedParts;
    QString m_splitFolder;
    bool m_createdSplitFolder = false;
    QMetaObject::Connection m_openConnection;
};

} // namespace zel
