#include "formula/NumberFormat.h"

#include "formula/FormulaException.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zel {

namespace {

constexpr int kMaxWidth = 256;
constexpr int kMaxPrecision = 64;

// The significant digits of |x| rounded to `digits` of them: |x| ~ d1.d2d3... x 10^exponent.
struct Decimal
{
    std::string digits;
    int exponent = 0;
};

Decimal decimalOf(double x, int digits)
{
    // A double has no more than 17 significant digits; further ones are zeros, and asking
    // for a picture's worth of them must not outgrow the buffer.
    const int wanted = std::max(digits, 1);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific,
        std::min(wanted, 40) - 1);
    std::string s(buf, res.ptr);
    Decimal d;
    const auto e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.')
            d.digits.push_back(s[i]);
    d.exponent = std::stoi(s.substr(e + 1));
    d.digits.resize(size_t(wanted), '0');
    return d;
}

// |x| with the given number of decimals, rounding the shortest decimal form of x half away
// from zero (2.25 gives 2.3, as a user reading "2.25" expects).
std::string fixedDigits(double x, int decimals)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    const std::string s(buf, res.ptr);
    const auto e = s.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.')
            digits.push_back(s[i]);
    // value = 0.digits x 10^point
    int point = std::stoi(s.substr(e + 1)) + 1;
    const long keep = long(point) + decimals;
    if (keep < 0) {
        digits = "0";
        point = 1;
    } else if (size_t(keep) < digits.size()) {
        const bool up = digits[size_t(keep)] >= '5';
        digits.resize(size_t(keep));
        if (up) {
            long i = keep - 1;
            for (; i >= 0 && digits[size_t(i)] == '9'; --i)
                digits[size_t(i)] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++point;
            } else {
                ++digits[size_t(i)];
            }
        }
    }
    std::string intPart, frac;
    for (int i = 0; i < point; ++i)
        intPart.push_back(size_t(i) < digits.size() ? digits[size_t(i)] : '0');
    if (intPart.empty())
        intPart = "0";
    for (int i = 0; i < decimals; ++i) {
        const long at = long(point) + i;
        frac.push_back(at >= 0 && size_t(at) < digits.size() ? digits[size_t(at)] : '0');
    }
    while (intPart.size() > 1 && intPart[0] == '0')
        intPart.erase(0, 1);
    return decimals > 0 ? intPart + '.' + frac : intPart;
}

QString groupThousands(const QString &intPart, QChar separator)
{
    QString out;
    const int n = int(intPart.size());
    for (int i = 0; i < n; ++i) {
        out += intPart[i];
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out += separator;
    }
    return out;
}

bool allZeros(const QString &s)
{
    for (QChar c : s)
        if (c.isDigit() && c != u'0')
            return false;
    return true;
}

QString nonFinite(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
}

// One section of a number picture, taken apart.
struct Picture
{
    QString prefix, suffix;
    int intPlaces = 0, minInt = 0, maxDec = 0, minDec = 0;
    bool point = false, thousands = false;
    bool scientific = false, expPlus = false;
    QChar expChar;
    int expDigits = 0;
    bool anyPlace = false;
};

Picture parsePicture(const QString &sec)
{
    Picture p;
    int firstZero = -1;
    const int n = int(sec.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = sec[i];
        QString *lit = p.anyPlace ? &p.suffix : &p.prefix;
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && sec[j] != c)
                ++j;
            *lit += sec.mid(i + 1, j - i - 1);
            i = j;
        } else if (c == u'0' || c == u'#') {
            p.anyPlace = true;
            if (p.scientific)
                continue;
            if (!p.point) {
                if (c == u'0' && firstZero < 0)
                    firstZero = p.intPlaces;
                ++p.intPlaces;
            } else {
                ++p.maxDec;
                if (c == u'0')
                    p.minDec = p.maxDec;
            }
        } else if (c == u'.' && !p.point && !p.scientific) {
            p.point = true;
            p.anyPlace = true;
        } else if (c == u',' && !p.point && !p.scientific) {
            p.thousands = true;
        } else if ((c == u'E' || c == u'e') && !p.scientific && i + 1 < n
            && (sec[i + 1] == u'+' || sec[i + 1] == u'-')) {
            p.scientific = true;
            p.anyPlace = true;
            p.expChar = c;
            p.expPlus = sec[i + 1] == u'+';
            i += 2;
            while (i < n && sec[i] == u'0') {
                ++p.expDigits;
                ++i;
            }
            --i;
        } else {
            *lit += c;
        }
    }
    p.minInt = firstZero < 0 ? 0 : p.intPlaces - firstZero;
    return p;
}

QString applyPicture(const Picture &p, double x, bool showSign, const QLocale &locale)
{
    const QChar sep = locale.decimalPoint().at(0);
    QString intPart, frac, expText;
    if (p.scientific) {
        const int intDigits = std::max(1, p.intPlaces);
        int exponent = 0;
        std::string digits(size_t(intDigits + p.maxDec), '0');
        if (x != 0.0) {
            const Decimal d = decimalOf(x, intDigits + p.maxDec);
            digits = d.digits;
            exponent = d.exponent - (intDigits - 1);
        }
        intPart = QString::fromStdString(digits.substr(0, size_t(intDigits)));
        frac = QString::fromStdString(digits.substr(size_t(intDigits)));
        QString e = QString::number(std::abs(exponent));
        if (e.size() < p.expDigits)
            e.prepend(QString(p.expDigits - e.size(), u'0'));
        expText = QString(p.expChar) + (exponent < 0 ? QStringLiteral("-")
                                                   : (p.expPlus ? QStringLiteral("+") : QString()))
            + e;
    } else {
        const QString s = QString::fromStdString(fixedDigits(x, p.maxDec));
        const qsizetype dot = s.indexOf(u'.');
        intPart = dot < 0 ? s : s.left(dot);
        frac = dot < 0 ? QString() : s.mid(dot + 1);
        if (intPart == QLatin1String("0") && p.minInt == 0)
            intPart.clear();
        if (intPart.size() < p.minInt)
            intPart.prepend(QString(p.minInt - intPart.size(), u'0'));
        if (p.thousands)
            intPart = groupThousands(intPart, locale.groupSeparator().at(0));
    }
    while (frac.size() > p.minDec && frac.endsWith(u'0'))
        frac.chop(1);
    QString number = intPart;
    if (!frac.isEmpty())
        number += sep + frac;
    number += expText;
    const bool negative = showSign && x < 0 && !allZeros(intPart + frac);
    return p.prefix + (negative ? QStringLiteral("-") : QString()) + number + p.suffix;
}

QStringList sections(const QString &picture)
{
    QStringList out{QString()};
    QChar quote;
    for (QChar c : picture) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';' && out.size() < 3) {
            out.append(QString());
            continue;
        }
        out.last() += c;
    }
    return out;
}

QString pad(const QString &s, int width, bool left)
{
    if (s.size() >= width)
        return s;
    const QString fill(width - int(s.size()), u' ');
    return left ? s + fill : fill + s;
}

} // namespace

QString NumberFormat::general(double x, QChar decimalSeparator, int precision)
{
    if (!std::isfinite(x))
        return nonFinite(x);
    if (x == 0.0)
        return QStringLiteral("0");
    Decimal d = decimalOf(x, precision);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::string out = x < 0 ? "-" : "";
    const int e = d.exponent;
    const int n = int(d.digits.size());
    if (e >= -5 && e < precision) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i)
                out.push_back(i < n ? d.digits[size_t(i)] : '0');
            if (n > e + 1)
                out += '.' + d.digits.substr(size_t(e + 1));
        } else {
            out += "0." + std::string(size_t(-e - 1), '0') + d.digits;
        }
    } else {
        out.push_back(d.digits[0]);
        if (n > 1)
            out += '.' + d.digits.substr(1);
        out += 'E' + std::to_string(e);
    }
    QString text = QString::fromStdString(out);
    if (decimalSeparator != u'.')
        text.replace(u'.', decimalSeparator);
    return text;
}

bool NumberFormat::parse(QStringView text, QChar decimalSeparator, double &value, qsizetype *read)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    // A text is read only as far as it can still be a number.
    const auto done = [&](bool ok) {
        if (read)
            *read = std::min(i + 1, n);
        return ok;
    };
    while (i < n && text[i] == u' ')
        ++i;
    std::string ascii;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ascii.push_back(char(text[i++].unicode()));
    int digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ascii.push_back(char(text[i++].unicode()));
        ++digits;
    }
    if (i < n && text[i] == decimalSeparator) {
        ascii.push_back('.');
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ascii.push_back(char(text[i++].unicode()));
            ++digits;
        }
    }
    if (digits == 0)
        return done(false);
    bool negativeExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ascii.push_back(char(text[i++].unicode()));
        }
        int expDigits = 0;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ascii.push_back(char(text[i++].unicode()));
            ++expDigits;
        }
        if (expDigits == 0)
            return done(false);
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return done(false);
    const char *first = ascii.data();
    if (*first == '+')
        ++first;
    double v = 0.0;
    const auto res = std::from_chars(first, ascii.data() + ascii.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, as the processor's masked underflow gives; overflow is
        // not a number.
        if (!negativeExponent)
            return done(false);
        v = ascii[0] == '-' ? -0.0 : 0.0;
    } else if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size()) {
        return done(false);
    }
    value = v;
    return done(true);
}

QString NumberFormat::picture(const QString &picture, double x, const QLocale &locale)
{
    if (picture.isEmpty() || !std::isfinite(x))
        return general(x, locale.decimalPoint().at(0));
    const QStringList secs = sections(picture);
    QString sec = secs[0];
    bool showSign = true;
    if (x < 0 && secs.size() >= 2 && !secs[1].isEmpty()) {
        sec = secs[1];
        showSign = false;
    } else if (x == 0 && secs.size() >= 3 && !secs[2].isEmpty()) {
        sec = secs[2];
    }
    const Picture p = parsePicture(sec);
    if (!p.anyPlace)
        return p.prefix;
    return applyPicture(p, showSign ? x : std::fabs(x), showSign, locale);
}

QString NumberFormat::printf(const QString &format, double x, const QLocale &locale)
{
    const auto invalid = [&format]() {
        return FormulaException(QStringLiteral("Format '%1' invalid or incompatible with argument")
                                    .arg(FormulaException::excerpt(format)),
            FormulaException::Kind::Conversion);
    };
    const QChar sep = locale.decimalPoint().at(0);
    QString out;
    bool used = false;
    const int n = int(format.size());
    for (int i = 0; i < n; ++i) {
        if (format[i] != u'%') {
            out += format[i];
            continue;
        }
        if (i + 1 < n && format[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        if (used)
            throw invalid();
        used = true;
        ++i;
        bool left = false;
        if (i < n && format[i] == u'-') {
            left = true;
            ++i;
        }
        int width = 0;
        while (i < n && format[i].isDigit() && format[i].unicode() < 128) {
            width = width * 10 + (format[i++].unicode() - '0');
            if (width > kMaxWidth)
                throw invalid();
        }
        int precision = -1;
        if (i < n && format[i] == u'.') {
            ++i;
            precision = 0;
            while (i < n && format[i].isDigit() && format[i].unicode() < 128) {
                precision = precision * 10 + (format[i++].unicode() - '0');
                if (precision > kMaxPrecision)
                    throw invalid();
            }
        }
        if (i >= n)
            throw invalid();
        QString text;
        switch (format[i].toLower().unicode()) {
        case 'e': {
            const int digits = std::clamp(precision < 0 ? 15 : precision, 1, 18);
            if (!std::isfinite(x)) {
                text = nonFinite(x);
                break;
            }
            const Decimal d = x == 0.0 ? Decimal{std::string(size_t(digits), '0'), 0}
                                       : decimalOf(x, digits);
            text = QString::fromStdString((x < 0 ? "-" : "") + d.digits.substr(0, 1));
            if (digits > 1)
                text += sep + QString::fromStdString(d.digits.substr(1));
            QString e = QString::number(std::abs(d.exponent));
            while (e.size() < 3)
                e.prepend(u'0');
            text += QStringLiteral("E") + (d.exponent < 0 ? u'-' : u'+') + e;
            break;
        }
        case 'f':
        case 'n': {
            if (!std::isfinite(x)) {
                text = nonFinite(x);
                break;
            }
            const QString s = QString::fromStdString(fixedDigits(x, precision < 0 ? 2 : precision));
            const qsizetype dot = s.indexOf(u'.');
            QString intPart = dot < 0 ? s : s.left(dot);
            if (format[i].toLower() == u'n')
                intPart = groupThousands(intPart, locale.groupSeparator().at(0));
            text = intPart;
            if (dot >= 0)
                text += sep + s.mid(dot + 1);
            if (x < 0 && !allZeros(text))
                text.prepend(u'-');
            break;
        }
        case 'g':
            text = general(x, sep, std::clamp(precision <= 0 ? 15 : precision, 1, 18));
            break;
        case 'm':
            if (!std::isfinite(x))
                text = nonFinite(x);
            else
                text = locale.toCurrencyString(x, QString(), precision < 0 ? 2 : precision);
            break;
        default:
            throw invalid();
        }
        out += pad(text, width, left);
    }
    return out;
}

} // namespace zel
