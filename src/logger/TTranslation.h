#pragma once

// One channel's translation record; "Translation.prm" holds 48 of them back to back.

#include "logger/ShortString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel {

constexpr int kTranslationPoints = 70; ///< table points a record can hold

struct TTranslation
{
    std::uint8_t ChannelNumber;
    std::uint8_t Active;
    std::uint8_t TranslationMode;
    ShortString<31> Name;
    ShortString<7> UOM;
    std::uint8_t BeaconInput;
    std::uint8_t CalcMode;
    std::uint8_t ColumnCount;
    std::uint16_t DigitalValue[kTranslationPoints];
    float TranslationValue[kTranslationPoints];
    std::uint8_t Condition_AB;
    std::uint8_t Condition_CD;
    float Value_A;
    float Value_B;
    float Value_C;
    float Value_D;
    std::uint8_t CalcChannel_A;
    std::uint8_t CalcChannel_B;
    std::uint8_t CalcChannel_C;
    std::uint8_t CalcChannel_D;
    std::uint8_t AvgLevel;
    std::uint8_t AvgCounter;
    std::uint8_t AvgArray[80];
    std::uint8_t DataPackChannel;
    std::uint8_t Spare[151];

    /// Table points in use: ColumnCount, which is a byte, limited to the 70 that exist.
    int pointCount() const
    {
        return ColumnCount > kTranslationPoints ? kTranslationPoints : ColumnCount;
    }

    // The speed and RPM calculators keep their inputs inside the logger's filter work
    // area, at fixed record offsets 502, 506 and 510, where the dash never looks.

    /// Pulses per revolution of the calculators (record offset 502).
    float pulsesPerRevolution() const { return calculatorValue(kPulsesOffset); }
    /// Stores the pulses per revolution at record offset 502.
    void setPulsesPerRevolution(float v) { setCalculatorValue(kPulsesOffset, v); }
    /// Wheel diameter of the speed calculator (record offset 506).
    float wheelDiameter() const { return calculatorValue(kWheelOffset); }
    /// Stores the wheel diameter at record offset 506.
    void setWheelDiameter(float v) { setCalculatorValue(kWheelOffset, v); }
    /// Differential ratio of the speed calculator (record offset 510).
    float differentialRatio() const { return calculatorValue(kRatioOffset); }
    /// Stores the differential ratio at record offset 510.
    void setDifferentialRatio(float v) { setCalculatorValue(kRatioOffset, v); }

    static constexpr int kPulsesOffset = 12; ///< within AvgArray
    static constexpr int kWheelOffset = 16;
    static constexpr int kRatioOffset = 20;

private:
    float calculatorValue(int at) const
    {
        float v;
        std::memcpy(&v, AvgArray + at, sizeof v);
        return v;
    }
    void setCalculatorValue(int at, float v) { std::memcpy(AvgArray + at, &v, sizeof v); }
} __attribute__((packed));

static_assert(sizeof(TTranslation) == 722);
static_assert(offsetof(TTranslation, Name) == 3);
static_assert(offsetof(TTranslation, UOM) == 35);
static_assert(offsetof(TTranslation, BeaconInput) == 43);
static_assert(offsetof(TTranslation, CalcMode) == 44);
static_assert(offsetof(TTranslation, ColumnCount) == 45);
static_assert(offsetof(TTranslation, DigitalValue) == 46);
static_assert(offsetof(TTranslation, TranslationValue) == 186);
static_assert(offsetof(TTranslation, Condition_AB) == 466);
static_assert(offsetof(TTranslation, Condition_CD) == 467);
static_assert(offsetof(TTranslation, Value_A) == 468);
static_assert(offsetof(TTranslation, Value_B) == 472);
static_assert(offsetof(TTranslation, Value_C) == 476);
static_assert(offsetof(TTranslation, Value_D) == 480);
static_assert(offsetof(TTranslation, CalcChannel_A) == 484);
static_assert(offsetof(TTranslation, CalcChannel_D) == 487);
static_assert(offsetof(TTranslation, AvgLevel) == 488);
static_assert(offsetof(TTranslation, AvgCounter) == 489);
static_assert(offsetof(TTranslation, AvgArray) == 490);
static_assert(offsetof(TTranslation, AvgArray) + TTranslation::kPulsesOffset == 502);
static_assert(offsetof(TTranslation, AvgArray) + TTranslation::kWheelOffset == 506);
static_assert(offsetof(TTranslation, AvgArray) + TTranslation::kRatioOffset == 510);
static_assert(offsetof(TTranslation, DataPackChannel) == 570);
static_assert(offsetof(TTranslation, Spare) == 571);

} // namespace zel
