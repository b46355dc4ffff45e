#include "tools/zel/CardTableInfo.h"

#include "logger/ChannelLists.h"
#include "logger/LoggerTableFile.h"
#include "logger/TSettings.h"
#include "logger/TTranslation.h"
#include "logger/TrackLine.h"
#include "tools/zel/InfoValues.h"
#include "tools/zel/RawLogInfo.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <memory>

namespace zel {

namespace {

constexpr int kTranslationRecords = 48;
constexpr int kTrackLines = 256;

void addShortfall(InfoReport &report, qint64 supplied, qint64 expected)
{
    report.add(QStringLiteral("FileBytes"), double(supplied));
    if (supplied < expected)
        report.add(QStringLiteral("Warning"),
                   QStringLiteral("the file is short: %1 of %2 bytes; the rest reads as zero")
                       .arg(supplied)
                       .arg(expected));
}

InfoReport settingsReport(const QString &path)
{
    TSettings s {};
    const qint64 supplied = LoggerTableFile::readFile(path, &s, sizeof s);

    InfoReport r;
    r.add(QStringLiteral("Kind"), QStringLiteral("settings"));
    addShortfall(r, supplied, sizeof s);
    r.add(QStringLiteral("Name"), s.Name.toString());
    r.add(QStringLiteral("Practice"), s.Practice.toString());
    r.add(QStringLiteral("TrackMessage"), s.TrackMessage.toString());
    r.add(QStringLiteral("trackmap"), s.trackmap.toString());
    r.add(QStringLiteral("Folder"), s.Folder.toString());
    r.add(QStringLiteral("SpeedUOM"), s.SpeedUOM);
    r.add(QStringLiteral("DoubleSample"), s.DoubleSample);
    r.add(QStringLiteral("DoTrackMessages"), s.DoTrackMessages);
    r.add(QStringLiteral("GPSUpdateRate"), s.GPSUpdateRate);
    r.add(QStringLiteral("GPSBaudRate"), s.GPSBaudRate);
    r.add(QStringLiteral("LastLapNumber"), s.LastLapNumber);
    r.add(QStringLiteral("ContiguousLogMode"), s.ContiguousLogMode);
    r.add(QStringLiteral("BaudRate"), s.BaudRate);
    r.add(QStringLiteral("Logmemory"), s.Logmemory);
    r.add(QStringLiteral("Brightness"), s.Brightness);
    r.add(QStringLiteral("TimerMode"), s.TimerMode);
    r.add(QStringLiteral("ChannelCount"), s.ChannelCount);
    r.add(QStringLiteral("ModelIndex"), s.ModelIndex);
    r.add(QStringLiteral("ECUIndex"), s.ECUIndex);
    r.add(QStringLiteral("Beacons"), s.Beacons);
    r.add(QStringLiteral("LogStartMethod"), s.LogStartMethod);
    r.add(QStringLiteral("ScreenDelay"), s.ScreenDelay);
    r.add(QStringLiteral("model"), s.model);
    r.add(QStringLiteral("version"), s.version);
    r.add(QStringLiteral("feature"), s.feature);
    r.add(QStringLiteral("board"), s.board);
    r.add(QStringLiteral("ecumake"), s.ecumake);
    r.add(QStringLiteral("ecumodel"), s.ecumodel);
    r.add(QStringLiteral("ecufeature"), s.ecufeature);
    r.add(QStringLiteral("LogSpeed"), s.LogSpeed);
    r.add(QStringLiteral("StartValue"), double(s.StartValue));
    r.add(QStringLiteral("StartChan"), s.StartChan);
    r.add(QStringLiteral("StartMode"), s.StartMode);
    r.add(QStringLiteral("Start"), double(s.Start));
    r.add(QStringLiteral("StopValue"), double(s.StopValue));
    r.add(QStringLiteral("Stop"), double(s.Stop));
    r.add(QStringLiteral("StopChan"), s.StopChan);
    r.add(QStringLiteral("StopMode"), s.StopMode);
    r.add(QStringLiteral("LapTimer"), s.LapTimer);
    r.add(QStringLiteral("LastLog"), s.LastLog);
    r.add(QStringLiteral("SaveLog"), s.SaveLog);
    r.add(QStringLiteral("StartECUData"), s.StartECUData);
    r.add(QStringLiteral("MinTime"), double(s.MinTime));
    r.add(QStringLiteral("Display"), s.Display);
    r.add(QStringLiteral("MapFileName"), s.MapFileName.toString());
    r.add(QStringLiteral("DeviceChannels"), numberArray(s.DeviceChannels));
    r.add(QStringLiteral("ChannelList"),
          QJsonArray::fromStringList(
              loggerChannelList(s.feature, s.ecumake, s.ecumodel, s.ecufeature)));
    InfoReport header;
    addHeaderFields(header, s.DataDict);
    r.addSection(QStringLiteral("DataDict"), header);
    return r;
}

InfoReport translationsReport(const QString &path)
{
    auto records = std::make_unique<std::array<TTranslation, kTranslationRecords>>();
    const qint64 supplied = LoggerTableFile::readFile(path, records->data(), sizeof *records);

    InfoReport r;
    r.add(QStringLiteral("Kind"), QStringLiteral("translations"));
    addShortfall(r, supplied, sizeof *records);
    QJsonArray list;
    for (int i = 0; i < kTranslationRecords; ++i) {
        const TTranslation &t = (*records)[std::size_t(i)];
        QJsonArray points;
        for (int p = 0; p < t.pointCount(); ++p)
            points.append(QJsonArray{t.DigitalValue[p], double(t.TranslationValue[p])});
        list.append(QJsonObject{
            {QStringLiteral("index"), i},
            {QStringLiteral("ChannelNumber"), t.ChannelNumber},
            {QStringLiteral("Active"), t.Active},
            {QStringLiteral("TranslationMode"), t.TranslationMode},
            {QStringLiteral("Name"), t.Name.toString()},
            {QStringLiteral("UOM"), t.UOM.toString()},
            {QStringLiteral("ColumnCount"), t.ColumnCount},
            {QStringLiteral("Points"), points},
            {QStringLiteral("Condition_AB"), t.Condition_AB},
            {QStringLiteral("Value_A"), double(t.Value_A)},
            {QStringLiteral("AvgLevel"), t.AvgLevel},
            {QStringLiteral("PulsesPerRevolution"), double(t.pulsesPerRevolution())},
            {QStringLiteral("WheelDiameter"), double(t.wheelDiameter())},
            {QStringLiteral("DifferentialRatio"), double(t.differentialRatio())},
        });
    }
    r.add(QStringLiteral("Translations"), list);
    return r;
}

InfoReport trackLinesReport(const QString &path, LoggerTableKind kind)
{
    auto lines = std::make_unique<std::array<TrackLine, kTrackLines>>();
    const qint64 supplied = LoggerTableFile::readFile(path, lines->data(), sizeof *lines);

    InfoReport r;
    r.add(QStringLiteral("Kind"), kind == LoggerTableKind::SectorLines  ? QStringLiteral("sector lines")
                                  : kind == LoggerTableKind::MessageLines ? QStringLiteral("message lines")
                                                                          : QStringLiteral("track lines"));
    addShortfall(r, supplied, sizeof *lines);
    QJsonArray list;
    for (int i = 0; i < kTrackLines; ++i) {
        const TrackLine &line = (*lines)[std::size_t(i)];
        if (line.RecType == kLineUnused)
            continue;
        list.append(QJsonObject{
            {QStringLiteral("record"), i},
            {QStringLiteral("index"), line.index},
            {QStringLiteral("RecType"), line.RecType},
            {QStringLiteral("X1"), double(line.X1)},
            {QStringLiteral("Y1"), double(line.Y1)},
            {QStringLiteral("X2"), double(line.X2)},
            {QStringLiteral("Y2"), double(line.Y2)},
            {QStringLiteral("Slope"), double(line.Slope)},
            {QStringLiteral("Description"), line.Description.toString()},
            {QStringLiteral("TargetTime"), double(line.TargetTime)},
            {QStringLiteral("PointsSet"), line.PointsSet},
        });
    }
    r.add(QStringLiteral("Lines"), list);
    return r;
}

} // namespace

InfoReport cardTableReport(const QString &path, LoggerTableKind kind)
{
    switch (kind) {
    case LoggerTableKind::Settings:
        return settingsReport(path);
    case LoggerTableKind::Translations:
        return translationsReport(path);
    case LoggerTableKind::SectorLines:
    case LoggerTableKind::MessageLines:
    case LoggerTableKind::TrackLines:
        return trackLinesReport(path, kind);
    case LoggerTableKind::Unknown:
        break;
    }
    return {};
}

} // namespace zel
