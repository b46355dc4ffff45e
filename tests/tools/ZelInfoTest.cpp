#include "ZelRun.h"
#include "logger/LoggerTableFile.h"
#include "logger/RawLogWriter.h"
#include "logger/TSettings.h"
#include "logger/TTranslation.h"
#include "logger/TrackLine.h"
#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class ZelInfoTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeRawLog(const QString &name, int records)
    {
        RawLogWriter writer({QStringLiteral("RPM"), QStringLiteral("Water Temp")}, {3, 7});
        writer.header().DriverName.assign(QStringLiteral("Car 7"));
        TLogRecord record {};
        for (int i = 1; i <= records; ++i) {
            record.RecordID = std::uint32_t(i);
            writer.appendRecord(record);
        }
        writer.save(path(name));
        return path(name);
    }

    QJsonObject infoJson(const QString &file)
    {
        const ZelRun run = runZelCommand({QStringLiteral("info"), QStringLiteral("--json"), file});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }

    QTemporaryDir m_dir;
};

bool holdsControlCharacters(const QString &text)
{
    return std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

TEST_F(ZelInfoTest, RawLogAsJsonNamesEveryHeaderField)
{
    const ZelRun run = runZelCommand({QStringLiteral("info"), QStringLiteral("--json"),
                                      writeRawLog(QStringLiteral("run.Dsh"), 5)});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject info = QJsonDocument::fromJson(run.out.toUtf8()).object();
    for (const char *key : {"NumberOfChannels", "LogRecordLength", "Spare1", "LastLap",
                            "CompletedLog", "TrackSectors", "TrackName", "Vehicle",
                            "DriverName", "TrackConditiion", "WeatherCondition", "Date",
                            "ChannelNames", "DataSize", "LogChannels", "LogSize", "Records"})
        EXPECT_TRUE(info.contains(QLatin1String(key))) << key;
    EXPECT_EQ(info[QStringLiteral("NumberOfChannels")].toInt(), 2);
    EXPECT_EQ(info[QStringLiteral("LogRecordLength")].toInt(), 88);
    EXPECT_EQ(info[QStringLiteral("DriverName")].toString(), QStringLiteral("Car 7"));
    EXPECT_EQ(info[QStringLiteral("LogSize")].toInt(), 2307 + 5 * 88);
    EXPECT_EQ(info[QStringLiteral("Records")].toInt(), 5);
    EXPECT_EQ(info[QStringLiteral("ChannelNames")].toArray().size(), 48);

    const QJsonArray channels = info[QStringLiteral("Channels")].toArray();
    ASSERT_EQ(channels.size(), 2);
    EXPECT_EQ(channels[1].toObject()[QStringLiteral("Name")].toString(),
              QStringLiteral("Water Temp"));
    EXPECT_EQ(channels[1].toObject()[QStringLiteral("Channel")].toInt(), 7);
    EXPECT_EQ(channels[1].toObject()[QStringLiteral("Position")].toInt(), 1);
}

TEST_F(ZelInfoTest, RawLogAsText)
{
    const ZelRun run = runZelCommand({QStringLiteral("info"), writeRawLog(QStringLiteral("a.DSH"), 3)});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Records: 3\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("{Channel: 3, Name: \"RPM\", Position: 0}")));
}

TEST_F(ZelInfoTest, BadInputFailsWithOneLine)
{
    QFile shortLog(path(QStringLiteral("short.Dsh")));
    ASSERT_TRUE(shortLog.open(QIODevice::WriteOnly));
    shortLog.write(QByteArray(100, '\0'));
    shortLog.close();
    QFile other(path(QStringLiteral("notes.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("hello");
    other.close();

    const QStringList cases[] = {
        { QStringLiteral("info"), path(QStringLiteral("missing.Dsh")) },
        { QStringLiteral("info"), path(QStringLiteral("short.Dsh")) },
        { QStringLiteral("info"), path(QStringLiteral("notes.txt")) },
        { QStringLiteral("info"), path(QStringLiteral("gone\x1b[2J\r.Dsh")) },
        { QStringLiteral("info"), m_dir.path() },
        { QStringLiteral("info") },
        { QStringLiteral("info"), QStringLiteral("--frobnicate"), path(QStringLiteral("x")) },
        { QStringLiteral("nonsense") },
    };
    for (const QStringList &args : cases) {
        const ZelRun run = runZelCommand(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_FALSE(holdsControlCharacters(run.err.chopped(1))) << run.err.toStdString();
    }
}

TEST_F(ZelInfoTest, SettingsFileShowsFieldsChannelListAndHeader)
{
    TSettings s {};
    s.Name.assign(QStringLiteral("Datalog"));
    s.Folder.assign(QStringLiteral("Storage Card\\Logs\\"));
    s.Brightness = 7;
    s.feature = 1; // the street dash's own five channels
    s.DataDict.NumberOfChannels = 2;
    s.DataDict.LogRecordLength = 88;
    s.DataDict.DriverName.assign(QStringLiteral("Car 7"));
    LoggerTableFile::writeFile(path(QStringLiteral("SETTINGS.PRM")),
                               QByteArrayView(reinterpret_cast<const char *>(&s), sizeof s));

    const QJsonObject info = infoJson(path(QStringLiteral("SETTINGS.PRM")));
    EXPECT_EQ(info[QStringLiteral("Kind")].toString(), QStringLiteral("settings"));
    EXPECT_EQ(info[QStringLiteral("Name")].toString(), QStringLiteral("Datalog"));
    EXPECT_EQ(info[QStringLiteral("Folder")].toString(), QStringLiteral("Storage Card\\Logs\\"));
    EXPECT_EQ(info[QStringLiteral("Brightness")].toInt(), 7);
    EXPECT_TRUE(info.contains(QStringLiteral("DeviceChannels")));
    EXPECT_FALSE(info.contains(QStringLiteral("Warning")));
    const QJsonArray list = info[QStringLiteral("ChannelList")].toArray();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0].toString(), QStringLiteral("GPS Lon G-Force"));
    const QJsonObject header = info[QStringLiteral("DataDict")].toObject();
    EXPECT_EQ(header[QStringLiteral("LogRecordLength")].toInt(), 88);
    EXPECT_EQ(header[QStringLiteral("DriverName")].toString(), QStringLiteral("Car 7"));
}

TEST_F(ZelInfoTest, ShortCardFileIsReportedWithAWarning)
{
    LoggerTableFile::writeFile(path(QStringLiteral("Settings.prm")), QByteArray(100, '\0'));
    const ZelRun run = runZelCommand({QStringLiteral("info"), path(QStringLiteral("Settings.prm"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Warning: \"the file is short: 100 of 2723 bytes")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("DataDict:\n  NumberOfChannels: 0\n")));
}

TEST_F(ZelInfoTest, TranslationFileListsEveryRecord)
{
    std::array<TTranslation, 48> records {};
    records[3].ChannelNumber = 3;
    records[3].Active = 1;
    records[3].Name.assign(QStringLiteral("Oil Pressure"));
    records[3].UOM.assign(QStringLiteral("bar"));
    records[3].ColumnCount = 200; // more points than a record holds
    records[3].DigitalValue[1] = 1023;
    records[3].TranslationValue[1] = 10.5f;
    records[3].setWheelDiameter(0.5f);
    LoggerTableFile::writeFile(path(QStringLiteral("Translation.prm")),
                               QByteArrayView(reinterpret_cast<const char *>(records.data()),
                                              sizeof records));

    const QJsonArray list = infoJson(path(QStringLiteral("Translation.prm")))[QStringLiteral("Translations")].toArray();
    ASSERT_EQ(list.size(), 48);
    const QJsonObject oil = list[3].toObject();
    EXPECT_EQ(oil[QStringLiteral("Name")].toString(), QStringLiteral("Oil Pressure"));
    EXPECT_EQ(oil[QStringLiteral("UOM")].toString(), QStringLiteral("bar"));
    EXPECT_EQ(oil[QStringLiteral("ColumnCount")].toInt(), 200);
    const QJsonArray points = oil[QStringLiteral("Points")].toArray();
    ASSERT_EQ(points.size(), 70);
    EXPECT_EQ(points[1].toArray()[0].toInt(), 1023);
    EXPECT_DOUBLE_EQ(points[1].toArray()[1].toDouble(), 10.5);
    EXPECT_DOUBLE_EQ(oil[QStringLiteral("WheelDiameter")].toDouble(), 0.5);
}

TEST_F(ZelInfoTest, LineFileListsTheLinesInUse)
{
    std::array<TrackLine, 256> lines {};
    lines[0].RecType = kStartFinishLine;
    lines[7].index = 7;
    lines[7].RecType = kSectorLine;
    lines[7].X1 = -1234567;
    lines[7].Description.assign(QStringLiteral("Hairpin"));
    lines[7].TargetTime = 12.5;
    const QByteArrayView bytes(reinterpret_cast<const char *>(lines.data()), sizeof lines);
    LoggerTableFile::writeFile(path(QStringLiteral("track.prc")), bytes);
    LoggerTableFile::writeFile(path(QStringLiteral("track.lines")), bytes);

    const QJsonObject info = infoJson(path(QStringLiteral("track.prc")));
    EXPECT_EQ(info[QStringLiteral("Kind")].toString(), QStringLiteral("sector lines"));
    const QJsonArray list = info[QStringLiteral("Lines")].toArray();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject hairpin = list[1].toObject();
    EXPECT_EQ(hairpin[QStringLiteral("record")].toInt(), 7);
    EXPECT_EQ(hairpin[QStringLiteral("RecType")].toInt(), 2);
    EXPECT_DOUBLE_EQ(hairpin[QStringLiteral("X1")].toDouble(), -1234567);
    EXPECT_EQ(hairpin[QStringLiteral("Description")].toString(), QStringLiteral("Hairpin"));
    EXPECT_DOUBLE_EQ(hairpin[QStringLiteral("TargetTime")].toDouble(), 12.5);

    // A name that says nothing is recognised by the file's size.
    EXPECT_EQ(infoJson(path(QStringLiteral("track.lines")))[QStringLiteral("Kind")].toString(),
              QStringLiteral("track lines"));
}

TEST_F(ZelInfoTest, SavedTableShowsColumnsIndexesAndRows)
{
    RecordTable table;
    table.addColumn(QStringLiteral("RecordType"), ColumnType::Integer);
    table.addColumn(QStringLiteral("Driver"), ColumnType::Text, 50);
    table.addIndex(QStringLiteral("LapTimes"), QStringLiteral("RecordType; Driver"));
    table.open();
    for (int i = 0; i < 3; ++i) {
        table.Append();
        table.fieldByName(QStringLiteral("RecordType")).setInteger(1);
        table.Post();
    }
    table.saveToFile(path(QStringLiteral("run.kro")));

    const QJsonObject info = infoJson(path(QStringLiteral("run.kro")));
    EXPECT_EQ(info[QStringLiteral("rows")].toInt(), 3);
    const QJsonArray columns = info[QStringLiteral("columns")].toArray();
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns[1].toObject(), (QJsonObject{{QStringLiteral("name"), QStringLiteral("Driver")},
                                                  {QStringLiteral("type"), QStringLiteral("text")},
                                                  {QStringLiteral("size"), 50}}));
    EXPECT_EQ(info[QStringLiteral("indexes")].toArray()[0].toObject()[QStringLiteral("fields")].toString(),
              QStringLiteral("RecordType; Driver"));

    // A damaged table fails with one line naming the file.
    QFile file(path(QStringLiteral("run.kro")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    const ZelRun run = runZelCommand({QStringLiteral("info"), path(QStringLiteral("run.kro"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("run.kro"))) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
}

TEST_F(ZelInfoTest, TextOutputEscapesControlCharactersThatJsonKeeps)
{
    RawLogWriter writer({ QStringLiteral("RPM") });
    writer.header().TrackConditiion.assign(QStringLiteral("Dry\r\nWarm\ttrack"));
    writer.save(path(QStringLiteral("notes.Dsh")));

    TSettings s {};
    s.Name.assign(QStringLiteral("Run\nFolder: elsewhere"));
    s.DataDict.DriverName.assign(QStringLiteral("\x1b[2JCar 7"));
    LoggerTableFile::writeFile(path(QStringLiteral("Settings.prm")),
        QByteArrayView(reinterpret_cast<const char *>(&s), sizeof s));

    RecordTable table;
    table.addColumn(QStringLiteral("Speed\u009b31m"), ColumnType::Real);
    table.addIndex(QStringLiteral("Laps\nrows: 1000"), QStringLiteral("Speed\u009b31m"));
    table.open();
    table.saveToFile(path(QStringLiteral("table.kro")));

    struct Case
    {
        QString file;
        QString text; ///< the line as printed
        QStringList key; ///< where JSON keeps the value as it is
        QString value;
    };
    const Case cases[] = {
        { QStringLiteral("notes.Dsh"),
            QStringLiteral("TrackConditiion: \"Dry\\r\\nWarm\\ttrack\"\n"),
            { QStringLiteral("TrackConditiion") }, QStringLiteral("Dry\r\nWarm\ttrack") },
        { QStringLiteral("Settings.prm"), QStringLiteral("Name: \"Run\\nFolder: elsewhere\"\n"),
            { QStringLiteral("Name") }, QStringLiteral("Run\nFolder: elsewhere") },
        { QStringLiteral("Settings.prm"), QStringLiteral("  DriverName: \"\\x1b[2JCar 7\"\n"),
            { QStringLiteral("DataDict"), QStringLiteral("DriverName") },
            QStringLiteral("\x1b[2JCar 7") },
        { QStringLiteral("table.kro"), QStringLiteral("name: \"Speed\\x9b31m\""),
            { QStringLiteral("columns"), QStringLiteral("0"), QStringLiteral("name") },
            QStringLiteral("Speed\u009b31m") },
        { QStringLiteral("table.kro"), QStringLiteral("name: \"Laps\\nrows: 1000\""),
            { QStringLiteral("indexes"), QStringLiteral("0"), QStringLiteral("name") },
            QStringLiteral("Laps\nrows: 1000") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const ZelRun run = runZelCommand({ QStringLiteral("info"), path(c.file) });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.text)) << run.out.toStdString();
        EXPECT_FALSE(holdsControlCharacters(QString(run.out).remove(QLatin1Char('\n'))));

        QJsonValue value = infoJson(path(c.file));
        for (const QString &step : c.key) {
            bool index = false;
            const int n = step.toInt(&index);
            value = index ? value.toArray()[n] : value.toObject()[step];
        }
        EXPECT_EQ(value.toString(), c.value);
    }
}
