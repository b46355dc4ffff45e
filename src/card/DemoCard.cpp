#include "card/DemoCard.h"

#include "card/DemoCircuit.h"
#include "card/InitialisationTemplates.h"
#include "common/AtomicFile.h"
#include "common/DateTimeValue.h"
#include "common/Error.h"
#include "logger/RawLogWriter.h"
#include "card/DashModels.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>

namespace zel {

namespace {

constexpr double kGravity = 9.81;
constexpr double kSampleSeconds = 0.1;
constexpr double kAccelerationLimit = 0.55 * kGravity;
constexpr int kSectors = 3;

// Everything the channels of one sample are computed from.
struct Sample
{
    double speed; // m/s
    double longG;
    double latG;
    double lapDistance;
    double time;
    double noise; // -0.5 .. 0.5
};

int engineRpm(double speed)
{
    const double kmh = speed * 3.6;
    // km/h per 1000 rpm in each gear; the lowest gear that keeps the engine below 7800.
    for (const double ratio : { 9.0, 12.5, 15.5, 18.5, 21.5, 24.5 }) {
        const double rpm = kmh / ratio * 1000.0;
        if (rpm <= 7800.0)
            return int(std::max(rpm, 2400.0));
    }
    return 7800;
}

double throttleOf(const Sample &s)
{
    double throttle = s.longG > 0.05 ? 100.0 : s.longG < -0.2 ? 0.0 : 35.0 + 0.8 * s.speed;
    return std::clamp(throttle + s.noise * 2.0, 0.0, 100.0);
}

using ChannelValue = std::function<double(const Sample &)>;

const QHash<QString, ChannelValue> &channelValues()
{
    static const QHash<QString, ChannelValue> values {
        { QStringLiteral("GPS Lon G-Force"), [](const Sample &s) { return s.longG; } },
        { QStringLiteral("GPS Lat G-Force"), [](const Sample &s) { return s.latG; } },
        { QStringLiteral("GPS G-Force"),
            [](const Sample &s) { return std::hypot(s.longG, s.latG); } },
        { QStringLiteral("GPS Lap Distance"), [](const Sample &s) { return s.lapDistance; } },
        { QStringLiteral("GPS Speed"), [](const Sample &s) { return s.speed * 3.6; } },
        { QStringLiteral("ECU RPM"), [](const Sample &s) { return double(engineRpm(s.speed)); } },
        { QStringLiteral("ECU TPS"), throttleOf },
        { QStringLiteral("ECU Load"), [](const Sample &s) { return 15.0 + 0.8 * throttleOf(s); } },
        { QStringLiteral("ECU Eng Temp"),
            [](const Sample &s) { return 82.0 + 0.004 * s.time + s.noise * 0.4; } },
        { QStringLiteral("ECU Air Temp"), [](const Sample &s) { return 28.0 + s.noise * 0.3; } },
        { QStringLiteral("ECU Battery Volts"),
            [](const Sample &s) { return 13.9 + s.noise * 0.1; } },
        { QStringLiteral("ECU O2_1"),
            [](const Sample &s) { return (throttleOf(s) > 90.0 ? 0.86 : 0.99) + s.noise * 0.02; } },
        { QStringLiteral("ECU Ign Timing"),
            [](const Sample &s) {
                return 10.0 + engineRpm(s.speed) / 400.0 - throttleOf(s) / 10.0;
            } },
        { QStringLiteral("ECU Inj Milli Sec."),
            [](const Sample &s) { return 1.2 + throttleOf(s) / 25.0; } },
        { QStringLiteral("Fuel Temperature"),
            [](const Sample &s) { return 31.0 + s.noise * 0.2; } },
    };
    return values;
}

// The demo card's dash and ECU: positions in the dash model and ECU lists.
constexpr int kProCircuit = 3;
constexpr int kMotorsportECUs = 1;

// Writes the card's settings and translations and returns the log header they define.
TDataDictionary writeSettings(const QString &dataFolder)
{
    TKROSettings settings;
    TTranslations translations;
    settings.setTranslation(&translations);
    translations.setSettings(&settings);
    const CardCodes codes = cardCodes(kProCircuit, kMotorsportECUs);
    settings.SetChannels(codes.model, codes.feature, codes.ecuMake, codes.ecuModel, codes.ecuFeature);
    settings.settings().ModelIndex = codes.modelIndex;
    settings.settings().ECUIndex = codes.ecuIndex;
    translations.setChannelNames(settings.ChannelNames());
    translations.setTranslationFileName(
        QDir(dataFolder).filePath(QStringLiteral("Translation.prm")));
    translations.CreateTranslationTables();
    TDataDictionary &header = settings.settings().DataDict;
    for (int channel = 0; channel < settings.channelCount(); ++channel)
        header.DataSize[channel] = 4;
    header.DriverName.assign(QString::fromLatin1(DemoCard::kCardID));
    settings.setSettingsFileName(QDir(dataFolder).filePath(QStringLiteral("Settings.prm")));
    settings.CreateSettingsTable();
    const TDataDictionary written = header;
    settings.CloseSettingsTable();
    translations.CloseTranslationTables();
    return written;
}

class LogSimulator
{
public:
    LogSimulator(const DemoCircuit &circuit, std::uint32_t seed, double pace)
        : m_circuit(circuit)
        , m_random(seed)
        , m_pace(pace)
    { }

    void run(RawLogWriter &writer, const QList<int> &positions, int laps)
    {
        const QHash<QString, ChannelValue> &values = channelValues();
        std::vector<const ChannelValue *> channelOf;
        for (int j = 0; j < positions.size(); ++j) {
            const auto found = values.constFind(writer.header().ChannelNames[j].toString());
            channelOf.push_back(found == values.constEnd() ? nullptr : &*found);
        }

        const double length = m_circuit.length();
        double distance = 0.0;
        double lapStartDistance = 0.0;
        double speed = 0.0;
        double time = 0.0;
        double lapStart = 0.0;
        double sectorStart = 0.0;
        double lastLapTime = 0.0;
        double lastSectorTime = 0.0;
        double bestLap = 0.0;
        double bestSector[kSectors] = {};
        int lap = 1;
        int sector = 1;
        std::uint32_t lapSample = 0;
        double lapFactor = nextLapFactor();
        std::uint32_t recordID = 0;

        while (lap <= laps) {
            const double target = m_circuit.speedAt(distance - lapStartDistance) * lapFactor;
            const double newSpeed
                = std::max(3.0, std::min(target, speed + kAccelerationLimit * kSampleSeconds));
            const double longG = (newSpeed - speed) / kSampleSeconds / kGravity;
            speed = newSpeed;
            distance += speed * kSampleSeconds;
            time += kSampleSeconds;
            ++lapSample;

            TLogRecord record {};
            record.RecordID = ++recordID;
            record.LapNumber = std::uint16_t(lap);
            record.LapCounter = std::uint16_t(lap - 1);
            record.LapID = lapSample;
            record.SectorNumber = std::uint8_t(sector);
            double lapDistance = distance - lapStartDistance;
            const int reached = std::min(kSectors, int(lapDistance / (length / kSectors)));
            if (reached >= sector) {
                // A sector (and, with the last one, the lap) is complete at this sample.
                lastSectorTime = time - sectorStart;
                double &best = bestSector[sector - 1];
                record.SectorMarker = 1;
                record.SectorDifference = float(best > 0 ? lastSectorTime - best : 0.0);
                best = best > 0 ? std::min(best, lastSectorTime) : lastSectorTime;
                sectorStart = time;
                if (sector == kSectors) {
                    lastLapTime = time - lapStart;
                    record.LapMarker = 1;
                    record.LapDifference = float(bestLap > 0 ? lastLapTime - bestLap : 0.0);
                    bestLap = bestLap > 0 ? std::min(bestLap, lastLapTime) : lastLapTime;
                }
            }
            record.LapTime = float(lastLapTime);
            record.SectorTime = float(lastSectorTime);
            record.LapRunningTime = float(time - lapStart);
            record.SectorRunningTime = float(time - sectorStart);
            record.TrackTime = float(time);

            const DemoCircuit::Point point = m_circuit.pointAt(distance);
            const double noiseY = noise() * 0.6;
            const double noiseX = noise() * 0.6;
            const DemoCircuit::Degrees position
                = DemoCircuit::degreesOf({ point.x + noiseX, point.y + noiseY });
            record.GPSLat = std::int32_t(std::lround(position.latitude * 1e6));
            record.GPSLong = std::int32_t(std::lround(position.longitude * 1e6));
            record.GPSAlt = std::int32_t(
                std::lround(152.0 + 6.0 * std::sin(2.0 * std::numbers::pi * distance / length)));
            record.GPSSpeed = float(speed * 3.6);
            record.LapDistance = float(std::min(lapDistance, length));
            record.SectorDistance = float(lapDistance - (sector - 1) * length / kSectors);

            const Sample sample { speed, longG,
                speed * speed * m_circuit.curvatureAt(distance) / kGravity,
                std::min(lapDistance, length), time, noise() };
            record.ChannelCount = std::uint8_t(positions.size());
            for (size_t j = 0; j < channelOf.size(); ++j)
                record.ChannelData[j] = channelOf[j] ? float((*channelOf[j])(sample)) : 0.0f;
            writer.appendRecord(record);

            if (record.SectorMarker == 1) {
                ++sector;
                if (record.LapMarker == 1) {
                    ++lap;
                    sector = 1;
                    lapStart = time;
                    lapStartDistance += length;
                    lapSample = 0;
                    lapFactor = nextLapFactor();
                }
            }
        }
    }

private:
    double noise() { return double(m_random()) / 4294967296.0 - 0.5; }
    double nextLapFactor() { return m_pace * (1.0 + noise() * 0.03); }

    const DemoCircuit &m_circuit;
    std::mt19937 m_random;
    double m_pace;
};

} // namespace

DemoCard::DemoCard(std::uint32_t seed)
    : m_seed(seed)
{ }

QStringList DemoCard::write(const QString &root) const
{
    const QDir card(root);
    const QString dataFolder = card.filePath(QStringLiteral("Data"));
    const QString logsFolder = card.filePath(QStringLiteral("Logs"));
    for (const QString &folder : { dataFolder, logsFolder }) {
        if (!QDir().mkpath(folder)) {
            throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
        }
    }
    const TDataDictionary header = writeSettings(dataFolder);
    // The dash's own files, as the initialisation leaves them, so that the card backs up
    // and restores as a real one does.
    for (const QString &name : dashOwnFileNames())
        AtomicFile::replace(QDir(dataFolder).filePath(name),
            { dashFilePlaceholder(name, kProCircuit, kMotorsportECUs) });

    QStringList names;
    QList<int> positions;
    for (int j = 0; j < header.NumberOfChannels; ++j) {
        names << header.ChannelNames[j].toString();
        positions << header.LogChannels[j];
    }
    const DemoCircuit circuit;
    const double paces[kLogCount] = { 0.94, 0.97, 1.0 };
    QStringList written;
    for (int i = 0; i < kLogCount; ++i) {
        RawLogWriter writer(names, positions);
        TDataDictionary &out = writer.header();
        out.TrackName.assign(QStringLiteral("Demo Circuit"));
        out.Vehicle.assign(QStringLiteral("Demo Car"));
        out.DriverName.assign(QString::fromLatin1(kCardID));
        out.TrackSectors = kSectors;
        out.CompletedLog = 1;
        const int laps = 4 + i;
        out.LastLap = std::uint16_t(laps);
        out.Date = daysFromDateTime(QDateTime(QDate(2024, 6, 15), QTime(10 + i, 30)));
        LogSimulator(circuit, m_seed + std::uint32_t(i), paces[i]).run(writer, positions, laps);
        const QString path = QDir(logsFolder).filePath(QStringLiteral("Datalog%1.Dsh").arg(i + 1));
        writer.save(path);
        written << path;
    }
    return written;
}

} // namespace zel
