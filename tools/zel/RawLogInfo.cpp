#include "tools/zel/RawLogInfo.h"

#include "common/DateTimeValue.h"
#include "logger/TLogFile.h"
#include "tools/zel/InfoValues.h"

#include <QJsonArray>

namespace zel {

void addHeaderFields(InfoReport &report, const TDataDictionary &h)
{
    report.add(QStringLiteral("NumberOfChannels"), h.NumberOfChannels);
    report.add(QStringLiteral("LogRecordLength"), h.LogRecordLength);
    report.add(QStringLiteral("Spare1"), numberArray(h.Spare1));
    report.add(QStringLiteral("LastLap"), h.LastLap);
    report.add(QStringLiteral("CompletedLog"), h.CompletedLog);
    report.add(QStringLiteral("TrackSectors"), h.TrackSectors);
    report.add(QStringLiteral("TrackName"), h.TrackName.toString());
    report.add(QStringLiteral("Vehicle"), h.Vehicle.toString());
    report.add(QStringLiteral("DriverName"), h.DriverName.toString());
    report.add(QStringLiteral("TrackConditiion"), h.TrackConditiion.toString());
    report.add(QStringLiteral("WeatherCondition"), h.WeatherCondition.toString());
    report.add(QStringLiteral("Date"), h.Date);
    const QDateTime date = dateTimeFromDays(h.Date);
    report.add(QStringLiteral("DateText"), date.isValid() ? date.toString(Qt::ISODate) : QString());

    QJsonArray names;
    for (const auto &name : h.ChannelNames)
        names.append(name.toString());
    report.add(QStringLiteral("ChannelNames"), names);
    report.add(QStringLiteral("DataSize"), numberArray(h.DataSize));
    report.add(QStringLiteral("LogChannels"), numberArray(h.LogChannels));

    QJsonArray channels;
    for (int j = 0; j < kMaxLogChannels; ++j) {
        if (h.LogChannels[j] == kUnusedPosition)
            continue;
        channels.append(QJsonObject{{QStringLiteral("Position"), j},
                                    {QStringLiteral("Name"), h.ChannelNames[j].toString()},
                                    {QStringLiteral("Channel"), h.LogChannels[j]}});
    }
    report.add(QStringLiteral("Channels"), channels);
}

InfoReport rawLogReport(const QString &path)
{
    TLogFile log;
    log.setLogFileName(path);
    log.OpenLogFile();

    InfoReport report;
    report.add(QStringLiteral("Kind"), QStringLiteral("raw log"));
    addHeaderFields(report, log.header());
    report.add(QStringLiteral("LogSize"), double(log.LogSize()));

    qint64 records = 0;
    QObject::connect(&log, &TLogFile::AfterReadLogRecord, [&records] { ++records; });
    log.First();
    while (!log.EOL())
        log.ReadLogRecord();
    log.CloseLogFile();
    report.add(QStringLiteral("Records"), double(records));
    return report;
}

} // namespace zel
