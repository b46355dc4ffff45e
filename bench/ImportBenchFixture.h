#pragma once

// What the import benchmarks share: a session-sized raw log (180,001 records of 47 channels,
// laps of 900 records with three sectors each), the maths channels of a typical card and an
// observer that shows nothing.

#include "logger/RawLogWriter.h"
#include "logger/TMathsChannels.h"
#include "session/ImportObserver.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace zel::bench {

constexpr int kRecords = 180001;
constexpr int kChannels = 47;
constexpr int kRecordsPerLap = 900;

class NoObserver : public ImportObserver
{
public:
    void showMessage(const QString &) override { }
    void showStatus(const QString &) override { }
    void setProgressRange(qint64) override { }
    void advanceProgress() override { }
};

/// A folder of the system's temporary folder, created when missing.
inline QString benchFolder(const QString &name)
{
    const QString folder = QDir::tempPath() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    return folder;
}

/// Writes the raw log of \a records records as folder/name and returns its path. The
/// channels are named "Channel 0" ... "Channel 46"; channel j of record i holds i * 0.01 + j.
inline QString writeSessionRawLog(const QString &folder, int records = kRecords,
    const QString &name = QStringLiteral("run.Dsh"))
{
    const QString file = folder + QLatin1Char('/') + name;
    QStringList names;
    for (int j = 0; j < kChannels; ++j)
        names << QStringLiteral("Channel %1").arg(j);
    RawLogWriter writer(names);
    TLogRecord record {};
    for (int i = 1; i <= records; ++i) {
        record.RecordID = std::uint32_t(i);
        record.LapNumber = std::uint16_t(i / kRecordsPerLap);
        record.LapID = std::uint32_t(i % kRecordsPerLap);
        record.LapMarker = i % kRecordsPerLap == 0;
        record.SectorMarker = i % (kRecordsPerLap / 3) == 0;
        record.GPSLat = 52000000 + i;
        record.GPSSpeed = float(i % 250);
        for (int j = 0; j < kChannels; ++j)
            record.ChannelData[j] = float(i) * 0.01f + float(j);
        writer.appendRecord(record);
    }
    writer.save(file);
    return file;
}

/// Adds the maths channels of a typical card over the raw log's channels: unit
/// conversions, the application functions, a ratio that fails where its divisor is 0, and a
/// comparison.
inline void addMathsChannels(TMathsChannels &maths)
{
    maths.AddVariable(QStringLiteral("Mass"), 0, 650);
    maths.AddVariable(QStringLiteral("Drag"), 0, 0.35);
    maths.AddFormula(QStringLiteral("Speed_ms"), QStringLiteral("KPHToMetersPerSecond(Channel_0)"));
    maths.AddFormula(QStringLiteral("Radians"), QStringLiteral("RPMToRadians(Channel_1 * 100)"));
    maths.AddFormula(QStringLiteral("Wheel_Power"),
        QStringLiteral("PowerAtWheels(Mass, Channel_0 / 3.6, Channel_2 / 10)"));
    maths.AddFormula(
        QStringLiteral("Air_Power"), QStringLiteral("AirPower(1.2, 1.8, Drag, Channel_0 / 3.6)"));
    maths.AddFormula(QStringLiteral("Torque"),
        QStringLiteral("PowerToTorque(Channel_3 * 1000, Channel_1 * 100)"));
    maths.AddFormula(QStringLiteral("Gear_Ratio"), QStringLiteral("Channel_1 / (Channel_0 - 10)"));
    maths.AddFormula(QStringLiteral("Temp_F"), QStringLiteral("Channel_4 * 9 / 5 + 32"));
    maths.AddFormula(QStringLiteral("Hot"), QStringLiteral("(Channel_5 > 10) + 0"));
}

/// Adds maths channels that fail in every row: two name channels this log does not have
/// (a card's maths table written for other settings), four divide by zero: one with a text,
/// which keeps it out of the block-at-a-time computation, one in an application function.
inline void addFailingMathsChannels(TMathsChannels &maths)
{
    maths.AddFormula(QStringLiteral("Oil_Bar"), QStringLiteral("Oil_Pressure / 14.5"));
    maths.AddFormula(QStringLiteral("Boost_Bar"), QStringLiteral("Boost / 14.5"));
    maths.AddFormula(QStringLiteral("Per_Stop"), QStringLiteral("Channel_1 / (Channel_0 * 0)"));
    maths.AddFormula(QStringLiteral("Per_Zero"), QStringLiteral("Channel_2 / 0"));
    maths.AddFormula(QStringLiteral("Per_Letter"), QStringLiteral("Channel_3 / LENGTH('')"));
    maths.AddFormula(
        QStringLiteral("Torque_Stop"), QStringLiteral("PowerToTorque(Channel_3, Channel_1 * 0)"));
}

} // namespace zel::bench
