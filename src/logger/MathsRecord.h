#pragma once

// One record of the card's maths table ("Maths.prm" holds 256 of them back to back): a maths
// channel's formula in the first 128 records, a named constant in the last 128.

#include "logger/ShortString.h"

#include <QString>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel {

static_assert(std::endian::native == std::endian::little,
              "the maths table's numbers and UTF-16 text are little-endian and mapped directly");

constexpr int kFormulaUnits = 2048; ///< UTF-16 units of a record's formula area, NUL included
constexpr int kMaxFormulaLength = kFormulaUnits - 1; ///< longest formula text a record holds
constexpr int kMathsNameLength = 20; ///< characters of a maths channel or variable name

struct MathsRecord
{
    std::uint8_t InUse; ///< 1 = holds a formula or variable; any other value = free
    std::uint8_t Kind; ///< 0 in formula records, 1 in variable records
    ShortString<kMathsNameLength> Name;
    double Value; ///< the variable's value; 0 in formula records
    char16_t Formula[kFormulaUnits]; ///< text ended by a NUL, zeros after it

    static constexpr std::uint8_t kFormulaKind = 0;
    static constexpr std::uint8_t kVariableKind = 1;

    /// True when the record holds a formula or a variable.
    bool inUse() const { return InUse == 1; }

    /// The stored name, decoded from the card's code page.
    QString name() const { return Name.toString(); }

    /// The formula text up to its NUL; a damaged area without one gives all 2048 units.
    QString formulaText() const
    {
        int n = 0;
        while (n < kFormulaUnits && Formula[n] != 0)
            ++n;
        // The area sits at an odd offset, so it is copied bytewise, never used as QChar *.
        QString text(n, Qt::Uninitialized);
        std::memcpy(text.data(), reinterpret_cast<const char *>(this) + offsetof(MathsRecord, Formula),
                    std::size_t(n) * sizeof(char16_t));
        return text;
    }
} __attribute__((packed));

static_assert(sizeof(MathsRecord) == 4127);
static_assert(offsetof(MathsRecord, InUse) == 0);
static_assert(offsetof(MathsRecord, Kind) == 1);
static_assert(offsetof(MathsRecord, Name) == 2);
static_assert(offsetof(MathsRecord, Value) == 23);
static_assert(offsetof(MathsRecord, Formula) == 31);

} // namespace zel
