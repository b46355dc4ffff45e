#include "session/NumberPattern.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zel {

namespace {

struct PatternShape
{
    int minInteger = 0; // digits from the first "0" before the separator
    int minFraction = 0; // up to and including the last "0" after the separator
    int maxFraction = 0; // every placeholder after the separator
};

PatternShape shapeOf(QStringView pattern)
{
    PatternShape shape;
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integer = point < 0 ? pattern : pattern.left(point);
    int placeholders = 0;
    bool zeroSeen = false;
    for (const QChar c : integer) {
        if (c == u'0')
            zeroSeen = true;
        if ((c == u'0' || c == u'#') && zeroSeen)
            ++placeholders;
    }
    shape.minInteger = placeholders;
    if (point >= 0) {
        int position = 0;
        for (const QChar c : pattern.mid(point + 1)) {
            if (c != u'0' && c != u'#')
                continue;
            ++position;
            if (c == u'0')
                shape.minFraction = position;
        }
        shape.maxFraction = position;
    }
    return shape;
}

// Adds one unit in the last place of integer + fraction, carrying into new digits.
void roundUp(QString &integer, QString &fraction)
{
    for (qsizetype i = fraction.size() - 1; i >= 0; --i) {
        if (fraction[i] != u'9') {
            fraction[i] = QChar(fraction[i].unicode() + 1);
            return;
        }
        fraction[i] = u'0';
    }
    for (qsizetype i = integer.size() - 1; i >= 0; --i) {
        if (integer[i] != u'9') {
            integer[i] = QChar(integer[i].unicode() + 1);
            return;
        }
        integer[i] = u'0';
    }
    integer.prepend(u'1');
}

} // namespace

QString formatPattern(double value, QStringView pattern, const QLocale &locale)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const PatternShape shape = shapeOf(pattern);
    // The shortest decimal text that reads back as the value, so that 65.21 rounds as the
    // user reads it rather than as its binary neighbour 65.2099999...
    char buffer[400]; // the longest fixed text of a double has 309 integer digits
    const auto written
        = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const QString digits = QString::fromLatin1(buffer, written.ptr - buffer);
    const qsizetype point = digits.indexOf(u'.');
    QString integer = point < 0 ? digits : digits.left(point);
    QString fraction = point < 0 ? QString() : digits.mid(point + 1);

    if (fraction.size() > shape.maxFraction) {
        const bool up = fraction[shape.maxFraction] >= u'5';
        fraction.truncate(shape.maxFraction);
        if (up)
            roundUp(integer, fraction);
    }
    while (fraction.size() > shape.minFraction && fraction.endsWith(u'0'))
        fraction.chop(1);
    while (fraction.size() < shape.minFraction)
        fraction.append(u'0');

    qsizetype leadingZeros = 0;
    while (leadingZeros < integer.size() && integer[leadingZeros] == u'0')
        ++leadingZeros;
    integer.remove(0, leadingZeros);
    while (integer.size() < shape.minInteger)
        integer.prepend(u'0');

    const auto nonZero = [](QChar c) { return c != u'0'; };
    const bool zero = std::none_of(integer.cbegin(), integer.cend(), nonZero)
        && std::none_of(fraction.cbegin(), fraction.cend(), nonZero);
    QString text = (value < 0 && !zero) ? locale.negativeSign() : QString();
    text += integer;
    if (!fraction.isEmpty())
        text += locale.decimalPoint() + fraction;
    if (integer.isEmpty() && fraction.isEmpty())
        text = QStringLiteral("0");
    return text;
}

} // namespace zel
