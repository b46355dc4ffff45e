#include "tools/zel/ShortestNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zel {

namespace {

// Below 2^53 every whole number is a double of its own, so its exact digits are its
// shortest digits with the trailing zeros written out. From 2^53 on the two differ.
constexpr double kExactWholeLimit = 9007199254740992.0;

// A whole number below 2^53 in magnitude, other than zero: its digits, or the exponent form
// when that is shorter ("1e+05", "-1.2e+07"; a tie stays plain, "10000").
char *writeWholeNumber(char *out, int64_t value)
{
    char *end = std::to_chars(out, out + kShortestNumberMaxChars, value).ptr;
    char *digits = value < 0 ? out + 1 : out;
    const int digitCount = int(end - digits);
    int kept = digitCount;
    while (digits[kept - 1] == '0')
        --kept;
    // "d.ddde+XX": below 2^53 the exponent has two digits.
    const int scientificLength = kept + (kept > 1 ? 1 : 0) + 4;
    if (scientificLength >= digitCount)
        return end;
    char *at = digits + 1;
    if (kept > 1) {
        std::memmove(digits + 2, digits + 1, size_t(kept - 1));
        *at = '.';
        at += kept;
    }
    const int exponent = digitCount - 1;
    at[0] = 'e';
    at[1] = '+';
    at[2] = char('0' + exponent / 10);
    at[3] = char('0' + exponent % 10);
    return at + 4;
}

// Numbers of at most kMaxDecimals decimals, such as 83.456 or -0.05, are written from their
// digits as a whole number of millionths. Within the bounds below a double has room for one
// such number only (its neighbours lie less than a quarter of a millionth away), that number
// is the one the product below rounds to, and when it reads back as the double its text
// without the trailing zeros is the shortest: one with fewer digits would be another such
// number. From 0.001 on the plain form is never the longer one.
constexpr int kMaxDecimals = 6;
constexpr double kDecimalScale = 1e6;
constexpr double kMinFewDecimals = 1e-3;
constexpr double kMaxFewDecimals = 1e9; // keeps the millionths below 2^50

// Writes \a value, which is not a whole number, when it has at most kMaxDecimals decimals and
// lies within the bounds above; gives null otherwise, having written nothing.
char *writeFewDecimals(char *out, double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude < kMinFewDecimals || magnitude >= kMaxFewDecimals)
        return nullptr;
    const double scaled = magnitude * kDecimalScale;
    // Rounded by a conversion rather than std::nearbyint, a library call on most processors:
    // a product close enough to half a millionth to round either way is refused below anyway.
    // Signed: one instruction each way, where unsigned conversions take several.
    const auto rounded = int64_t(scaled + 0.5);
    const auto millionths = double(rounded);
    // The product lies within a few units of its last place of a whole number when the value
    // has one; almost no other does, and they are refused here without a division.
    if (std::fabs(scaled - millionths) > scaled * 0x1p-50
        || millionths / kDecimalScale != magnitude)
        return nullptr;
    auto fraction = uint64_t(rounded);
    const uint64_t whole = fraction / uint64_t(kDecimalScale);
    fraction %= uint64_t(kDecimalScale);
    char *at = out;
    if (value < 0)
        *at++ = '-';
    at = std::to_chars(at, at + kShortestNumberMaxChars, whole).ptr;
    *at++ = '.';
    int decimals = kMaxDecimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    for (int d = decimals - 1; d >= 0; --d) {
        at[d] = char('0' + fraction % 10);
        fraction /= 10;
    }
    return at + decimals;
}

} // namespace

char *writeShortestNumber(char *out, double value)
{
    // Zero is written "0" whatever its sign, as the rest of the program writes it.
    if (value == 0) {
        *out = '0';
        return out + 1;
    }
    if (std::fabs(value) < kExactWholeLimit) {
        const auto whole = int64_t(value);
        if (double(whole) == value)
            return writeWholeNumber(out, whole);
        if (char *end = writeFewDecimals(out, value))
            return end;
    }
    return writeShortestNumberLaidOut(out, value);
}

char *writeShortestNumberLaidOut(char *out, double value)
{
    if (value == 0) {
        *out = '0';
        return out + 1;
    }
    // The shortest digits come in exponent form ("-1.25e+02"), which std::to_chars writes
    // fastest (its own choice of form costs a tenth more); the plain form is laid out from it
    // in place. That choice would also spell a whole number beyond 2^53 with its exact digits
    // (1742267765724840960) rather than with the shortest ones padded with zeros.
    char *end
        = std::to_chars(out, out + kShortestNumberMaxChars, value, std::chars_format::scientific)
              .ptr;
    char *digits = *out == '-' ? out + 1 : out;
    // The exponent has two digits, or three from 1e+100 and below 1e-99.
    const bool longExponent = end[-4] != 'e';
    const char *exponentDigits = end - (longExponent ? 3 : 2);
    int exponent = (exponentDigits[0] - '0') * 10 + (exponentDigits[1] - '0');
    if (longExponent)
        exponent = exponent * 10 + (exponentDigits[2] - '0');
    const char *exponentMark = exponentDigits - 2;
    if (exponentMark[1] == '-')
        exponent = -exponent;

    const int scientificLength = int(end - digits);
    const int fractionDigits = exponentMark - digits > 1 ? int(exponentMark - digits) - 2 : 0;
    const int digitCount = 1 + fractionDigits;
    const int pointPosition = exponent + 1; // digits before the decimal point
    const int plainLength = pointPosition <= 0 ? 2 - pointPosition + digitCount
        : pointPosition < digitCount           ? digitCount + 1
                                               : pointPosition;
    // The plain form wins a tie.
    if (scientificLength < plainLength)
        return end;

    if (pointPosition <= 0) { // 0.000ddd
        const int zeros = -pointPosition;
        std::memmove(digits + 3 + zeros, digits + 2, size_t(fractionDigits));
        digits[2 + zeros] = digits[0];
        std::memset(digits + 2, '0', size_t(zeros));
        digits[0] = '0';
        digits[1] = '.';
    } else if (pointPosition < digitCount) { // ddd.ddd
        std::memmove(digits + 1, digits + 2, size_t(pointPosition - 1));
        digits[pointPosition] = '.';
    } else { // ddd000
        std::memmove(digits + 1, digits + 2, size_t(fractionDigits));
        std::memset(digits + digitCount, '0', size_t(pointPosition - digitCount));
    }
    return digits + plainLength;
}

} // namespace zel
