#pragma once

// The raw log's two packed little-endian records, laid out byte for byte as the dash
// writes them. They are also read and written whole by the settings table, whose record
// ends with a TDataDictionary.

#include "logger/ShortString.h"

#include <bit>
#include <cstddef>
#include <cstdint>

namespace zel {

static_assert(std::endian::native == std::endian::little,
              "the logger's records are little-endian and are mapped directly");

constexpr int kMaxLogChannels = 48;     ///< channel positions and channel numbers
constexpr std::uint8_t kUnusedPosition = 255;  ///< LogChannels entry of an unused position

struct TDataDictionary
{
    std::uint8_t NumberOfChannels;
    std::uint16_t LogRecordLength;
    std::uint8_t Spare1[4];
    std::uint16_t LastLap;
    std::uint8_t CompletedLog;
    std::uint8_t TrackSectors;
    ShortString<47> TrackName;
    ShortString<47> Vehicle;
    ShortString<47> DriverName;
    ShortString<255> TrackConditiion;
    ShortString<255> WeatherCondition;
    double Date;
    ShortString<31> ChannelNames[kMaxLogChannels];
    std::uint8_t DataSize[kMaxLogChannels];
    std::uint8_t LogChannels[kMaxLogChannels];
} __attribute__((packed));

static_assert(sizeof(TDataDictionary) == 2307);
static_assert(offsetof(TDataDictionary, LogRecordLength) == 1);
static_assert(offsetof(TDataDictionary, LastLap) == 7);
static_assert(offsetof(TDataDictionary, CompletedLog) == 9);
static_assert(offsetof(TDataDictionary, TrackSectors) == 10);
static_assert(offsetof(TDataDictionary, TrackName) == 11);
static_assert(offsetof(TDataDictionary, Vehicle) == 59);
static_assert(offsetof(TDataDictionary, DriverName) == 107);
static_assert(offsetof(TDataDictionary, TrackConditiion) == 155);
static_assert(offsetof(TDataDictionary, WeatherCondition) == 411);
static_assert(offsetof(TDataDictionary, Date) == 667);
static_assert(offsetof(TDataDictionary, ChannelNames) == 675);
static_assert(offsetof(TDataDictionary, DataSize) == 2211);
static_assert(offsetof(TDataDictionary, LogChannels) == 2259);

constexpr int kLogRecordFixedSize = 76;   ///< bytes before the channel values
constexpr int kLogRecordBufferSize = 268; ///< the reader's record buffer
constexpr int kMinLogRecordLength = 80;   ///< fixed part plus the 4 trailing bytes
/// Channel values that fit the buffer: 76 + 47 * 4 + 4 = 268.
constexpr int kMaxReadableChannels = (kLogRecordBufferSize - kLogRecordFixedSize - 4) / 4;

struct TLogRecord
{
    std::uint32_t RecordID;
    std::uint16_t LapNumber;
    std::uint16_t LapCounter;
    std::uint8_t LapMarker;
    std::uint8_t ChannelCount;
    std::uint16_t Filler1;
    std::uint32_t LapID;
    float LapTime;
    float LapRunningTime;
    float LapDifference;
    std::uint8_t SectorNumber;
    std::uint8_t Filler2;
    std::uint16_t Filler3;
    std::uint8_t SectorMarker;
    std::uint8_t Filler4;
    std::uint16_t Filler5;
    float SectorTime;
    float SectorRunningTime;
    float SectorDifference;
    float TrackTime;
    std::int32_t GPSLat;
    std::int32_t GPSLong;
    std::int32_t GPSAlt;
    float GPSSpeed;
    float LapDistance;
    float SectorDistance;
    float ChannelData[kMaxLogChannels];
} __attribute__((packed));

static_assert(sizeof(TLogRecord) == kLogRecordBufferSize);
static_assert(offsetof(TLogRecord, LapID) == 12);
static_assert(offsetof(TLogRecord, LapTime) == 16);
static_assert(offsetof(TLogRecord, SectorNumber) == 28);
static_assert(offsetof(TLogRecord, SectorMarker) == 32);
static_assert(offsetof(TLogRecord, SectorTime) == 36);
static_assert(offsetof(TLogRecord, TrackTime) == 48);
static_assert(offsetof(TLogRecord, GPSLat) == 52);
static_assert(offsetof(TLogRecord, GPSSpeed) == 64);
static_assert(offsetof(TLogRecord, SectorDistance) == 72);
static_assert(offsetof(TLogRecord, ChannelData) == kLogRecordFixedSize);

/// Record length for a header whose channels take dataBytes bytes in all: 76 + n + 4.
constexpr int logRecordLength(int dataBytes) { return kLogRecordFixedSize + dataBytes + 4; }

} // namespace zel
