#pragma once

// The logger's settings record, the whole of "Settings.prm". The dash reads it at start-up
// and copies DataDict to the front of every log it writes.

#include "logger/LogRecords.h"
#include "logger/ShortString.h"

#include <cstddef>
#include <cstdint>

namespace zel {

struct TSettings
{
    ShortString<31> Name;
    ShortString<31> Practice;
    ShortString<31> TrackMessage;
    ShortString<31> trackmap;
    ShortString<131> Folder;
    std::uint8_t SpeedUOM;
    std::uint8_t DoubleSample;
    std::uint8_t DoTrackMessages;
    std::uint8_t GPSUpdateRate;
    std::uint8_t GPSBaudRate;
    std::uint16_t LastLapNumber;
    std::uint8_t ContiguousLogMode;
    std::uint8_t BaudRate;
    std::uint8_t Logmemory;
    std::uint16_t Brightness;
    std::uint8_t TimerMode;
    std::uint16_t ChannelCount;
    std::uint8_t ModelIndex;
    std::uint8_t ECUIndex;
    std::uint16_t Beacons;
    std::uint8_t LogStartMethod;
    std::uint8_t ScreenDelay;
    std::uint8_t model;
    std::uint8_t version;
    std::uint8_t feature;
    std::uint8_t board;
    std::uint8_t ecumake;
    std::uint8_t ecumodel;
    std::uint8_t ecufeature;
    std::uint16_t LogSpeed;
    float StartValue;
    std::uint8_t StartChan;
    std::uint8_t StartMode;
    float Start;
    float StopValue;
    float Stop;
    std::uint8_t StopChan;
    std::uint8_t StopMode;
    std::uint8_t LapTimer;
    std::uint16_t LastLog;
    std::uint8_t SaveLog;
    std::uint8_t StartECUData;
    float MinTime;
    std::uint8_t Display;
    ShortString<47> MapFileName;
    std::uint8_t DeviceChannels[48];
    TDataDictionary DataDict;
} __attribute__((packed));

static_assert(sizeof(TSettings) == 2723);
static_assert(offsetof(TSettings, Practice) == 32);
static_assert(offsetof(TSettings, TrackMessage) == 64);
static_assert(offsetof(TSettings, trackmap) == 96);
static_assert(offsetof(TSettings, Folder) == 128);
static_assert(offsetof(TSettings, SpeedUOM) == 260);
static_assert(offsetof(TSettings, DoubleSample) == 261);
static_assert(offsetof(TSettings, DoTrackMessages) == 262);
static_assert(offsetof(TSettings, GPSUpdateRate) == 263);
static_assert(offsetof(TSettings, GPSBaudRate) == 264);
static_assert(offsetof(TSettings, LastLapNumber) == 265);
static_assert(offsetof(TSettings, ContiguousLogMode) == 267);
static_assert(offsetof(TSettings, BaudRate) == 268);
static_assert(offsetof(TSettings, Logmemory) == 269);
static_assert(offsetof(TSettings, Brightness) == 270);
static_assert(offsetof(TSettings, TimerMode) == 272);
static_assert(offsetof(TSettings, ChannelCount) == 273);
static_assert(offsetof(TSettings, ModelIndex) == 275);
static_assert(offsetof(TSettings, ECUIndex) == 276);
static_assert(offsetof(TSettings, Beacons) == 277);
static_assert(offsetof(TSettings, LogStartMethod) == 279);
static_assert(offsetof(TSettings, ScreenDelay) == 280);
static_assert(offsetof(TSettings, model) == 281);
static_assert(offsetof(TSettings, version) == 282);
static_assert(offsetof(TSettings, feature) == 283);
static_assert(offsetof(TSettings, board) == 284);
static_assert(offsetof(TSettings, ecumake) == 285);
static_assert(offsetof(TSettings, ecumodel) == 286);
static_assert(offsetof(TSettings, ecufeature) == 287);
static_assert(offsetof(TSettings, LogSpeed) == 288);
static_assert(offsetof(TSettings, StartValue) == 290);
static_assert(offsetof(TSettings, StartChan) == 294);
static_assert(offsetof(TSettings, StartMode) == 295);
static_assert(offsetof(TSettings, Start) == 296);
static_assert(offsetof(TSettings, StopValue) == 300);
static_assert(offsetof(TSettings, Stop) == 304);
static_assert(offsetof(TSettings, StopChan) == 308);
static_assert(offsetof(TSettings, StopMode) == 309);
static_assert(offsetof(TSettings, LapTimer) == 310);
static_assert(offsetof(TSettings, LastLog) == 311);
static_assert(offsetof(TSettings, SaveLog) == 313);
static_assert(offsetof(TSettings, StartECUData) == 314);
static_assert(offsetof(TSettings, MinTime) == 315);
static_assert(offsetof(TSettings, Display) == 319);
static_assert(offsetof(TSettings, MapFileName) == 320);
static_assert(offsetof(TSettings, DeviceChannels) == 368);
static_assert(offsetof(TSettings, DataDict) == 416);

} // namespace zel
