#pragma once

namespace zel {

/// Longest text writeShortestNumber writes, as in "-2.2250738585072014e-308".
constexpr int kShortestNumberMaxChars = 24;

/// Writes the shortest text in the C locale that reads back as exactly \a value, a finite
/// number, to \a out and returns the end of the text. Needs kShortestNumberMaxChars bytes of
/// room at \a out, and may change those past the end it returns.
///
/// The text is the one textFromNumber gives: the shortest digits, in plain decimal form
/// unless the exponent form is shorter ("1e+20", "1e-05"), the trailing zeros of a large
/// whole number padded after those digits ("1152921504606847000" for 2^60); zero is "0"
/// whatever its sign.
///
/// Whole numbers below 2^53 and numbers of a few decimals take quicker paths than
/// writeShortestNumberLaidOut, which gives the same text for every value.
char *writeShortestNumber(char *out, double value);

/// writeShortestNumber's text for any finite \a value, laid out from the exponent form of the
/// shortest digits: the path writeShortestNumber takes for the numbers its quicker paths
/// leave.
char *writeShortestNumberLaidOut(char *out, double value);

} // namespace zel
