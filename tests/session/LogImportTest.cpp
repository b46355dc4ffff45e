#include "session/LogImport.h"

#include "ImportTesting.h"
#include "logger/LoggerChannelCount.h"
#include "logger/RawLogWriter.h"
#include "logger/TLogFile.h"
#include "session/ImportCancelled.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

class LogImportTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Imports a log of the given channel names and records into the data module's table.
    void import(const QStringList &names, const QList<TLogRecord> &records, int channelCount = 48,
        const QString &settingsFile = QString())
    {
        RawLogWriter writer(names);
        for (const TLogRecord &record : records)
            writer.appendRecord(record);
        writer.save(path(QStringLiteral("run.Dsh")));
        LogImport import(data, observer);
        import.setChannelCount(channelCount, settingsFile);
        import.setDataFolder(path(QStringLiteral("Data")));
        import.importFile(log, path(QStringLiteral("run.Dsh")));
        logChannels = import.LogChannels();
    }

    static TLogRecord record(std::uint32_t id, std::initializer_list<float> channels = {})
    {
        TLogRecord r {};
        r.RecordID = id;
        int j = 0;
        for (float value : channels)
            r.ChannelData[j++] = value;
        return r;
    }

    // Names of the columns from the first channel column on.
    QStringList channelColumns()
    {
        QStringList names;
        for (int i = SessionColumns::FirstChannel; i < table().columnCount(); ++i)
            names << table().column(i).name;
        return names;
    }

    RecordTable &table() { return data.LogDataTable(); }
    double value(const QString &column, int row)
    {
        return table().numberAt(table().columnIndex(column), row);
    }

    QTemporaryDir m_dir;
    TKRO_Data data;
    RecordingObserver observer;
    TLogFile log;
    QStringList logChannels;
};

} // namespace

TEST_F(LogImportTest, FixedColumnsComeFirstInOrderWithTheirTypes)
{
    import({ QStringLiteral("ECU Man Press."), QStringLiteral("GPS Lon G-Force") }, { record(1) });
    const struct
    {
        const char *name;
        ColumnType type;
        int size;
    } expected[] = {
        { "RecordType", ColumnType::Integer, 0 },
        { "GPSLat", ColumnType::Integer, 0 },
        { "GPSLong", ColumnType::Integer, 0 },
        { "GPSAlt", ColumnType::Integer, 0 },
        { "Lap_Marker", ColumnType::Integer, 0 },
        { "Sector_Marker", ColumnType::Integer, 0 },
        { "Driver", ColumnType::Text, 50 },
        { "Track", ColumnType::Text, 50 },
        { "Event", ColumnType::Text, 50 },
        { "Weather", ColumnType::Text, 255 },
        { "Track Condition", ColumnType::Text, 255 },
        { "Vehicle", ColumnType::Text, 255 },
        { "Engine", ColumnType::Text, 255 },
        { "Memo", ColumnType::Text, 255 },
        { "Formulas", ColumnType::Text, 255 },
        { "Date", ColumnType::DateTime, 0 },
        { "Lap_Counter", ColumnType::Integer, 0 },
        { "Lap_Number", ColumnType::Integer, 0 },
        { "Lap_Time", ColumnType::Real, 0 },
        { "Lap_Running_Time", ColumnType::Real, 0 },
        { "Lap_Difference", ColumnType::Real, 0 },
        { "Sector_Number", ColumnType::Integer, 0 },
        { "Sector_Time", ColumnType::Real, 0 },
        { "Sector_Running_Time", ColumnType::Real, 0 },
        { "Sector_Difference", ColumnType::Real, 0 },
        { "Track_Time", ColumnType::Real, 0 },
        { "ReadingID", ColumnType::Integer, 0 },
        { "LapID", ColumnType::LongWord, 0 },
        { "GPS_Lap_Distance", ColumnType::Real, 0 },
        { "GPSSpeed", ColumnType::Real, 0 },
        { "ECU_Man_Press", ColumnType::Real, 0 },
        { "GPS_Lon_G_Force", ColumnType::Real, 0 },
    };
    ASSERT_EQ(table().columnCount(), int(std::size(expected)));
    for (int i = 0; i < table().columnCount(); ++i) {
        EXPECT_EQ(table().column(i),
            (ColumnDef {
                QString::fromLatin1(expected[i].name), expected[i].type, expected[i].size }))
            << "column " << i;
    }
    EXPECT_EQ(logChannels,
        QStringList({ "GPSLat", "GPSLong", "GPSAlt", "Lap_Marker", "Sector_Marker", "Lap_Counter",
            "Lap_Number", "Lap_Time", "Lap_Running_Time", "Lap_Difference", "Sector_Time",
            "Sector_Running_Time", "Sector_Difference", "Track_Time", "ReadingID", "LapID",
            "GPS_Lap_Distance", "ECU_Man_Press", "GPS_Lon_G_Force" }));
}

TEST_F(LogImportTest, ChannelNamesNeverClashWithColumns)
{
    const struct
    {
        QStringList raw;
        QStringList columns;
    } cases[] = {
        { { "ECU Air Temp.", "ECU Air Temp" }, { "ECU_Air_Temp", "ECU_Air_Temp_1" } },
        // Fixed columns never take a channel, whatever the case of the name.
        { { "RecordType", "lapid", "Sector Number", "Date" },
            { "RecordType_1", "lapid_2", "Sector_Number_3", "Date_4" } },
        { { "A B", "A_B", "A-B" }, { "A_B", "A_B_1", "A_B_2" } },
        // A suffixed name that is itself taken moves on to the next number.
        { { "X_1", "X.", "X" }, { "X_1", "X", "X_2" } },
        // A "%1" in a name is text, never a place for the suffix.
        { { "A.%1", "A%1" }, { "A%1", "A%1_1" } },
    };
    for (const auto &c : cases) {
        QList<TLogRecord> records { record(1, { 1, 2, 3, 4 }) };
        import(c.raw, records);
        EXPECT_EQ(channelColumns(), c.columns) << c.raw.join(u'|').toStdString();
        // Each position's values go to its own column.
        for (int j = 0; j < c.columns.size(); ++j)
            EXPECT_EQ(value(c.columns[j], 1), j + 1.0) << c.columns[j].toStdString();
    }
}

TEST_F(LogImportTest, OnlyPositionsWithExactlyTheSameRawNameShareOneColumn)
{
    import({ QStringLiteral("RPM"), QStringLiteral("rpm"), QStringLiteral("Oil"),
               QStringLiteral("RPM") },
        { record(1, { 1, 2, 3, 4 }) });
    EXPECT_EQ(channelColumns(), QStringList({ "RPM", "rpm_1", "Oil" }));
    EXPECT_EQ(value("rpm_1", 1), 2.0);
    EXPECT_EQ(value("Oil", 1), 3.0);
    EXPECT_EQ(value("RPM", 1), 4.0); // the later position is written last
}

TEST_F(LogImportTest, SettingsListingFewerChannelsThanTheLogReadEveryPosition)
{
    const struct
    {
        int channelCount;
        bool warned;
    } cases[] = { { 0, true }, { 2, true }, { -5, true }, { 3, false }, { 48, false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.channelCount);
        observer.messages.clear();
        import({ QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") },
            { record(1, { 1, 2, 3 }) }, c.channelCount, QStringLiteral("/card/Data/Settings.prm"));
        EXPECT_EQ(channelColumns(), QStringList({ "A", "B", "C" }));
        EXPECT_EQ(value("C", 1), 3.0);
        EXPECT_EQ(
            observer.messages.join(u'|').contains("\"/card/Data/Settings.prm\" list"), c.warned)
            << observer.messages.join(u'|').toStdString();
    }
}

TEST_F(LogImportTest, BlankAndUnusedPositionsAndPositionsBeyondTheChannelCountGetNoColumn)
{
    RawLogWriter writer(
        { QStringLiteral("A"), QStringLiteral("  "), QStringLiteral("C"), QStringLiteral("D") });
    writer.header().LogChannels[2] = kUnusedPosition;
    writer.appendRecord(record(1, { 1, 2, 3, 4 }));
    writer.save(path("run.Dsh"));
    LogImport import(data, observer);
    import.setChannelCount(4);
    import.importFile(log, path("run.Dsh"));
    EXPECT_EQ(channelColumns(), QStringList({ "A", "D" }));
    EXPECT_EQ(value("D", 1), 4.0);

    // A log that claims no more channels than the card's count of three: position 3 is not
    // considered.
    writer.header().NumberOfChannels = 3;
    writer.save(path("run.Dsh"));
    import.setChannelCount(3);
    import.importFile(log, path("run.Dsh"));
    EXPECT_EQ(channelColumns(), QStringList({ "A" }));
}

TEST_F(LogImportTest, EveryPositionPresentInTheRecordIsCopied)
{
    // The header claims fewer channels than it names: only positions inside the record
    // are read; the rest keep a column but stay empty.
    RawLogWriter writer({ QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") });
    writer.header().NumberOfChannels = 2;
    writer.appendRecord(record(1, { 1, 2, 3 }));
    writer.save(path("run.Dsh"));
    LogImport import(data, observer);
    import.setChannelCount(48);
    import.importFile(log, path("run.Dsh"));
    EXPECT_EQ(value("A", 1), 1.0);
    EXPECT_EQ(value("B", 1), 2.0);
    EXPECT_TRUE(table().isNullAt(table().columnIndex("C"), 1));
}

TEST_F(LogImportTest, RowsCarryTheRawFieldsWithMarkersNaNAndRunningNumbers)
{
    const float nan = std::nanf("");
    TLogRecord lap = record(77, { nan });
    lap.LapMarker = 1;
    lap.SectorMarker = 0;
    lap.LapNumber = 3;
    lap.LapCounter = 2;
    lap.LapID = 3000000000u;
    lap.LapTime = 65.25f;
    lap.SectorNumber = 4;
    lap.GPSLat = -33868800;
    lap.GPSLong = 151209300;
    lap.GPSAlt = -12;
    lap.LapDistance = nan;
    lap.GPSSpeed = nan;
    lap.LapRunningTime = nan;
    TLogRecord sector = record(78, { 5.5f });
    sector.SectorMarker = 1;
    sector.GPSSpeed = 123.5f;
    import({ QStringLiteral("Oil") }, { lap, sector, record(79) });

    ASSERT_EQ(table().rowCount(), 4);
    // The header row: RecordType 2, ReadingID 0, everything else empty.
    EXPECT_EQ(value("RecordType", 0), 2.0);
    EXPECT_EQ(value("ReadingID", 0), 0.0);
    for (const char *empty : { "GPSLat", "Lap_Marker", "Driver", "Date", "LapID", "Oil" })
        EXPECT_TRUE(table().isNullAt(table().columnIndex(empty), 0)) << empty;

    EXPECT_EQ(value("RecordType", 1), 1.0);
    EXPECT_EQ(value("ReadingID", 1), 1.0); // not the raw RecordID 77
    EXPECT_EQ(value("ReadingID", 3), 3.0);
    EXPECT_EQ(value("Lap_Marker", 1), 1.0);
    EXPECT_EQ(value("Sector_Marker", 1), 1.0); // forced on the lap row
    EXPECT_EQ(value("Sector_Marker", 2), 1.0);
    EXPECT_EQ(value("Sector_Marker", 3), 0.0);
    EXPECT_EQ(value("Lap_Number", 1), 3.0);
    EXPECT_EQ(value("Lap_Counter", 1), 2.0);
    EXPECT_EQ(value("LapID", 1), 3000000000.0);
    EXPECT_EQ(value("Lap_Time", 1), 65.25);
    EXPECT_EQ(value("Sector_Number", 1), 4.0);
    EXPECT_EQ(value("GPSLat", 1), -33868800.0);
    EXPECT_EQ(value("GPSLong", 1), 151209300.0);
    EXPECT_EQ(value("GPSAlt", 1), -12.0);
    EXPECT_EQ(value("GPS_Lap_Distance", 1), 0.0);
    EXPECT_EQ(value("GPSSpeed", 1), 0.0);
    EXPECT_EQ(value("Oil", 1), 0.0);
    EXPECT_TRUE(std::isnan(value("Lap_Running_Time", 1))); // stored as logged
    EXPECT_EQ(value("GPSSpeed", 2), 123.5);
    EXPECT_EQ(value("Oil", 2), 5.5);

    EXPECT_EQ(observer.range, 3);
    EXPECT_EQ(observer.steps, 3);
    EXPECT_TRUE(observer.messages.isEmpty());
    EXPECT_TRUE(table().isOpen()); // left for the caller to save
}

TEST_F(LogImportTest, TheSavedTableReloadsUnchanged)
{
    TLogRecord r = record(1, { 1.5f });
    r.LapID = 4000000000u;
    import({ QStringLiteral("Oil") }, { r });
    table().saveToFile(path("run.kro"));
    RecordTable loaded;
    loaded.loadFromFile(path("run.kro"));
    ASSERT_EQ(loaded.columnCount(), table().columnCount());
    for (int i = 0; i < loaded.columnCount(); ++i)
        EXPECT_EQ(loaded.column(i), table().column(i));
    EXPECT_EQ(loaded.numberAt(loaded.columnIndex("LapID"), 1), 4000000000.0);
    EXPECT_EQ(loaded.numberAt(loaded.columnIndex("Oil"), 1), 1.5);
}

TEST_F(LogImportTest, ALogThatOutlivesItsImportNoLongerRedefinesTheTable)
{
    writeEmptyRecords(path("run.Dsh"), 2);
    auto first = std::make_unique<LogImport>(data, observer);
    first->importFile(log, path("run.Dsh"));
    first->importFile(log, path("run.Dsh")); // attached twice, still one connection
    first.reset();

    log.CloseLogFile();
    log.OpenLogFile(); // a reader the window keeps for its next import
    EXPECT_TRUE(table().isOpen());
    EXPECT_EQ(table().rowCount(), 3);
}

TEST_F(LogImportTest, ACancelledImportLeavesTheTableClosedAndEmpty)
{
    // The observer is asked every 256 records and once more after the last.
    const struct
    {
        int records;
        qint64 cancelAfter;
        qint64 stepsDone;
    } cases[] = { { 1000, 1, 256 }, { 1000, 257, 512 }, { 100, 100, 100 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cancelAfter);
        writeEmptyRecords(path("run.Dsh"), c.records);
        observer = RecordingObserver();
        observer.cancelAfterSteps = c.cancelAfter;
        LogImport import(data, observer);
        import.setDataFolder(path("Data"));
        try {
            import.importFile(log, path("run.Dsh"));
            ADD_FAILURE() << "the import went on";
        } catch (const ImportCancelled &e) {
            EXPECT_EQ(e.message(), "The import was cancelled");
        }
        EXPECT_EQ(observer.steps, c.stepsDone);
        EXPECT_FALSE(table().isOpen());
        EXPECT_EQ(table().rowCount(), 0);
        EXPECT_GT(table().columnCount(), 0); // defined, ready for the next import
        EXPECT_FALSE(QFileInfo::exists(path("Data")));
    }
}

// The split fixtures are large, so the suite writes them once.
class LogImportSplitTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        writeEmptyRecords(s_dir->filePath("r180000.Dsh"), 180000);
        writeEmptyRecords(s_dir->filePath("r180001.Dsh"), 180001);
        writeEmptyRecords(s_dir->filePath("r360002.Dsh"), 360002);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    LogImport &run(const QString &log, const QString &cardID = QStringLiteral("Car 7"))
    {
        m_import = std::make_unique<LogImport>(data, observer);
        m_import->setCardID(cardID);
        m_import->setDataFolder(m_data.path());
        m_import->importFile(m_log, s_dir->filePath(log));
        return *m_import;
    }

    static int dataRows(const QString &file)
    {
        RecordTable part;
        part.loadFromFile(file);
        EXPECT_TRUE(part.Locate("RecordType", { 2 })) << "header row of " << file.toStdString();
        part.setFilter("RecordType = 1");
        part.setFiltered(true);
        return part.recordCount();
    }

    static QTemporaryDir *s_dir;
    QTemporaryDir m_data;
    TKRO_Data data;
    RecordingObserver observer;
    TLogFile m_log;
    std::unique_ptr<LogImport> m_import;
};

QTemporaryDir *LogImportSplitTest::s_dir = nullptr;

TEST_F(LogImportSplitTest, A180000RecordLogIsNotSplit)
{
    const LogImport &import = run("r180000.Dsh");
    EXPECT_FALSE(import.wasSplit());
    EXPECT_EQ(observer.range, 180000); // records only, not the header's bytes
    EXPECT_TRUE(observer.messages.isEmpty());
    EXPECT_EQ(data.LogDataTable().rowCount(), 180001);
    EXPECT_TRUE(
        QDir(m_data.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(LogImportSplitTest, A180001RecordLogGivesAFullPartAndAHeaderOnlyPart)
{
    const LogImport &import = run("r180001.Dsh");
    const QString folder = QDir(m_data.path()).filePath("Car 7");
    ASSERT_EQ(
        import.savedParts(), QStringList({ folder + "/r180001_1.KRO", folder + "/r180001_2.KRO" }));
    EXPECT_EQ(dataRows(import.savedParts()[0]), 180001);
    EXPECT_EQ(dataRows(import.savedParts()[1]), 0);
    EXPECT_EQ(observer.messages,
        QStringList({ "This log is very large and will be split into sections",
            "No Need to save this log. \r\nIt is saved and split into 2 Sections\n\rIn folder "
                + folder }));
    EXPECT_EQ(observer.statuses, QStringList({ "Split number 1 saved." }));
    EXPECT_FALSE(data.LogDataTable().isOpen());
}

TEST_F(LogImportSplitTest, A360002RecordLogGivesThreePartsAndNeverReplacesAFile)
{
    // A part of the same name already exists: it stays, the new part takes the next name.
    QDir(m_data.path()).mkpath("Car 7");
    const QString existing = QDir(m_data.path()).filePath("Car 7/r360002_1.KRO");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    const LogImport &import = run("r360002.Dsh");
    const QString folder = QDir(m_data.path()).filePath("Car 7");
    ASSERT_EQ(import.savedParts(),
        QStringList({ folder + "/r360002_1 (2).KRO", folder + "/r360002_2.KRO",
            folder + "/r360002_3.KRO" }));
    EXPECT_EQ(dataRows(import.savedParts()[0]), 180001);
    EXPECT_EQ(dataRows(import.savedParts()[1]), 180000);
    EXPECT_EQ(dataRows(import.savedParts()[2]), 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
    EXPECT_EQ(observer.statuses, QStringList({ "Split number 1 saved.", "Split number 2 saved." }));
    EXPECT_TRUE(observer.messages.last().contains("split into 3 Sections"));
}

TEST_F(LogImportSplitTest, ACancelledImportRemovesThePartsItSaved)
{
    const struct
    {
        const char *log;
        qint64 cancelAfter;
        qint64 stepsDone;
        int partsSaved;
        bool userFileInFolder;
    } cases[] = {
        { "r180001.Dsh", 180001, 180001, 0, false }, // asked before the first part is saved
        { "r360002.Dsh", 200000, 200192, 1, false }, // the part goes, and the folder it made
        { "r360002.Dsh", 360002, 360002, 2, true }, // both parts go; the user's file stays
    };
    const QString folder = QDir(m_data.path()).filePath("Car 7");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cancelAfter);
        QDir(folder).removeRecursively();
        if (c.userFileInFolder) {
            QDir().mkpath(folder);
            QFile notes(folder + "/notes.txt");
            ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        }
        observer = RecordingObserver();
        observer.cancelAfterSteps = c.cancelAfter;
        EXPECT_THROW(run(c.log), ImportCancelled);
        EXPECT_EQ(observer.steps, c.stepsDone);
        EXPECT_EQ(observer.statuses.size(), c.partsSaved);
        EXPECT_TRUE(m_import->savedParts().isEmpty());
        EXPECT_FALSE(data.LogDataTable().isOpen());
        EXPECT_EQ(data.LogDataTable().rowCount(), 0);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files),
            c.userFileInFolder ? QStringList({ "notes.txt" }) : QStringList());
        EXPECT_EQ(QFileInfo::exists(folder), c.userFileInFolder);
    }
}

TEST_F(LogImportSplitTest, PartsOfACardWithoutAUsableIDGoToTheDataFolder)
{
    for (const QString &id : { QString(), QStringLiteral("../escape"), QStringLiteral("a/b") }) {
        const LogImport &import = run("r180001.Dsh", id);
        ASSERT_EQ(import.savedParts().size(), 2);
        for (const QString &part : import.savedParts())
            EXPECT_EQ(QFileInfo(part).absolutePath(), QFileInfo(m_data.path()).absoluteFilePath());
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(m_data.path()).filePath("../escape")));
}
