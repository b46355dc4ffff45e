#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringView>

namespace zel {

/// Number <-> text conversions of the formula language. None of them reaches the C
/// library's printf: the pictures are user text.
class NumberFormat
{
public:
    /// General format with up to `precision` significant digits: fixed notation when
    /// 0.00001 <= |x| and at most `precision` integer digits, otherwise "1E20" / "1.5E-6".
    static QString general(double x, QChar decimalSeparator, int precision = 15);

    /// Reads a decimal number written with the given separator (blanks around it allowed);
    /// false when the text is not a number or lies beyond the double range. When read is
    /// given it receives the number of characters looked at, which for a text that is not
    /// a number can be far fewer than its length.
    static bool parse(
        QStringView text, QChar decimalSeparator, double &value, qsizetype *read = nullptr);

    /// FORMAT: x formatted with a number picture ("#,##0.00", "0.0E+00", "0;(0);'zero'").
    /// The work and the result's length are linear in the picture's length.
    static QString picture(const QString &picture, double x, const QLocale &locale);

    /// FORMATF: x formatted by a printf-style format with one floating argument
    /// ("%8.2f", "%-10.3e", "%g", "%n", "%m"); any other format raises the
    /// conversion error.
    static QString printf(const QString &format, double x, const QLocale &locale);
};

} // namespace zel
