#include "formula/DateFormat.h"

#include "common/DateTimeValue.h"
#include "formula/FormulaBudget.h"
#include "formula/FormulaException.h"
#include "formula/TFormulaCalc.h"

#include <QRegularExpression>

#include <cmath>
#include <functional>
#include <limits>

namespace zel {

namespace {

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

// The first separator character of the locale's short date or time format.
QChar separatorOf(const QString &format, QChar fallback)
{
    for (QChar c : format)
        if (!c.isLetter() && c != u' ' && c != u'\'')
            return c;
    return fallback;
}

// The locale's long time format without its time-zone field: date-time values carry no zone.
QString longTime(const QTime &time, const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return locale.toString(time, format.trimmed());
}

bool startsWithCi(const QString &s, qsizetype i, QLatin1String word)
{
    return QStringView(s).mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// How many of the same letter (in either case) one element of a picture takes at most:
// "hh" is the longest hour and "hhh" an hour followed by another; a run of "d", "m" or
// "y" is one element however long. Every other character stands alone.
qsizetype longestRun(char16_t lower)
{
    switch (lower) {
    case 'd':
    case 'm':
    case 'y':
        return std::numeric_limits<qsizetype>::max();
    case 'h':
    case 'n':
    case 's':
    case 't':
        return 2;
    case 'z':
        return 3;
    default:
        return 1;
    }
}

// A locale text that a picture may use many times, computed the first time.
class LazyText
{
public:
    explicit LazyText(std::function<QString()> make)
        : m_make(std::move(make))
    {
    }
    const QString &get()
    {
        if (!m_made) {
            m_text = m_make();
            m_made = true;
        }
        return m_text;
    }

private:
    std::function<QString()> m_make;
    QString m_text;
    bool m_made = false;
};

} // namespace

QString DateFormat::picture(
    const QString &pictureText, double days, const QLocale &locale, FormulaBudget &budget)
{
    const QDateTime when = dateTimeFromDays(days);
    if (!when.isValid())
        throw FormulaException(QStringLiteral("Invalid date-time value"),
            FormulaException::Kind::Conversion);
    const QDate date = when.date();
    const QTime time = when.time();
    const QString pic = pictureText.isEmpty() ? QStringLiteral("c") : pictureText;
    budget.chargeChars(3 * pic.size());
    const bool twelveHour = pic.contains(QLatin1String("am/pm"), Qt::CaseInsensitive)
        || pic.contains(QLatin1String("a/p"), Qt::CaseInsensitive)
        || pic.contains(QLatin1String("ampm"), Qt::CaseInsensitive);
    LazyText shortDate([&] { return locale.toString(date, QLocale::ShortFormat); });
    LazyText longDate([&] { return locale.toString(date, QLocale::LongFormat); });
    LazyText shortTime([&] { return locale.toString(time, QLocale::ShortFormat); });
    LazyText longTimeText([&] { return longTime(time, locale); });
    LazyText dateSeparator(
        [&] { return QString(separatorOf(locale.dateFormat(QLocale::ShortFormat), u'/')); });
    LazyText timeSeparator(
        [&] { return QString(separatorOf(locale.timeFormat(QLocale::ShortFormat), u':')); });
    // Each element costs a few characters' work besides the characters it writes.
    constexpr qint64 kElementWork = 4 * FormulaBudget::kCharsPerUnit;
    QString out;
    bool afterHour = false;
    const qsizetype n = pic.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype before = out.size();
        const QChar c = pic[i];
        const QChar lc = c.toLower();
        qsizetype run = 1;
        const qsizetype longest = longestRun(lc.unicode());
        while (run < longest && i + run < n && pic[i + run].toLower() == lc)
            ++run;
        budget.chargeChars(kElementWork + run);
        if (c == u'\'' || c == u'"') {
            qsizetype j = i + 1;
            while (j < n && pic[j] != c)
                ++j;
            budget.chargeChars(j - i);
            TFormulaCalc::checkLength(out.size() + (j - i - 1));
            out += QStringView(pic).mid(i + 1, j - i - 1);
            i = j + 1;
            continue;
        }
        if (startsWithCi(pic, i, QLatin1String("am/pm"))) {
            out += time.hour() < 12 ? QStringView(pic).mid(i, 2) : QStringView(pic).mid(i + 3, 2);
            i += 5;
            continue;
        }
        if (startsWithCi(pic, i, QLatin1String("a/p"))) {
            out += time.hour() < 12 ? pic[i] : pic[i + 2];
            i += 3;
            continue;
        }
        if (startsWithCi(pic, i, QLatin1String("ampm"))) {
            out += time.hour() < 12 ? locale.amText() : locale.pmText();
            i += 4;
            continue;
        }
        bool hour = false;
        switch (lc.unicode()) {
        case 'c':
            out += shortDate.get();
            if (time.msecsSinceStartOfDay() != 0)
                out += u' ' + longTimeText.get();
            break;
        case 'd':
            if (run == 1)
                out += QString::number(date.day());
            else if (run == 2)
                out += twoDigits(date.day());
            else if (run == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else if (run == 4)
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else if (run == 5)
                out += shortDate.get();
            else
                out += longDate.get();
            break;
        case 'm':
            if (afterHour && run <= 2) {
                out += run == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
            } else if (run == 1) {
                out += QString::number(date.month());
            } else if (run == 2) {
                out += twoDigits(date.month());
            } else if (run == 3) {
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            } else {
                out += locale.monthName(date.month(), QLocale::LongFormat);
            }
            break;
        case 'y':
            out += run <= 2 ? twoDigits(date.year() % 100)
                            : QString::number(date.year()).rightJustified(4, u'0');
            break;
        case 'h': {
            int h = time.hour();
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += run == 1 ? QString::number(h) : twoDigits(h);
            hour = true;
            break;
        }
        case 'n':
            out += run == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
            break;
        case 's':
            out += run == 1 ? QString::number(time.second()) : twoDigits(time.second());
            break;
        case 'z':
            out += run < 3 ? QString::number(time.msec())
                           : QString::number(time.msec()).rightJustified(3, u'0');
            break;
        case 't':
            out += run == 1 ? shortTime.get() : longTimeText.get();
            break;
        case '/':
            out += dateSeparator.get();
            break;
        case ':':
            out += timeSeparator.get();
            break;
        default:
            out += c;
            break;
        }
        // Separators between "hh" and "mm" keep the minutes reading.
        if (lc.isLetter())
            afterHour = hour;
        i += run;
        budget.chargeChars(out.size() - before);
        TFormulaCalc::checkLength(out.size());
    }
    return out;
}

namespace {

// Numbers of a date written in the locale's order of day, month and year, with any of
// "/", ".", "-" (or the locale's own separator) between them; a missing year is this year,
// a two-digit year the one within fifty years of this one.
bool lenientDate(const QString &text, const QLocale &locale, QDate &date)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString order;
    for (QChar c : format) {
        const QChar l = c.toLower();
        if ((l == u'd' || l == u'm' || l == u'y') && !order.contains(l))
            order += l;
    }
    if (order.size() != 3)
        order = QStringLiteral("dmy");
    const QChar own = separatorOf(format, u'/');
    QList<int> numbers;
    QString digits;
    for (QChar c : text + u'/') {
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            if (digits.size() >= 4)
                return false;
            digits += c;
        } else if (c == u'/' || c == u'.' || c == u'-' || c == own) {
            if (digits.isEmpty())
                return false;
            numbers.append(digits.toInt());
            digits.clear();
        } else {
            return false;
        }
    }
    const int thisYear = QDate::currentDate().year();
    if (numbers.size() == 2) {
        numbers.insert(int(order.indexOf(u'y')), thisYear);
    } else if (numbers.size() != 3) {
        return false;
    }
    int year = numbers[int(order.indexOf(u'y'))];
    if (year < 100) {
        year += (thisYear - 50) / 100 * 100;
        if (year < thisYear - 50)
            year += 100;
    }
    date = QDate(year, numbers[int(order.indexOf(u'm'))], numbers[int(order.indexOf(u'd'))]);
    return date.isValid() && year >= 1;
}

// "h:m", "h:m:s" or "h:m:s.zzz", optionally followed by AM or PM (or the locale's texts).
bool lenientTime(const QString &text, const QLocale &locale, QTime &time)
{
    QString clock = text.trimmed();
    int shift = -1;
    for (const auto &[am, pm] : {std::pair{locale.amText(), locale.pmText()},
             std::pair{QStringLiteral("AM"), QStringLiteral("PM")}}) {
        if (!am.isEmpty() && clock.endsWith(am, Qt::CaseInsensitive)) {
            shift = 0;
            clock.chop(am.size());
            break;
        }
        if (!pm.isEmpty() && clock.endsWith(pm, Qt::CaseInsensitive)) {
            shift = 12;
            clock.chop(pm.size());
            break;
        }
    }
    const QStringList parts = clock.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    int values[3] = {0, 0, 0};
    int ms = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString part = parts[i];
        if (i == 2) {
            const qsizetype dot = part.indexOf(u'.');
            if (dot >= 0) {
                bool ok = false;
                ms = part.mid(dot + 1).left(3).leftJustified(3, u'0').toInt(&ok);
                if (!ok)
                    return false;
                part.truncate(dot);
            }
        }
        bool ok = false;
        values[i] = part.toInt(&ok);
        if (!ok || part.size() > 2 || part.isEmpty())
            return false;
    }
    int hour = values[0];
    if (shift >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + shift;
    }
    time = QTime(hour, values[1], values[2], ms);
    return time.isValid();
}

} // namespace

bool DateFormat::parse(const QString &text, const QLocale &locale, double &days)
{
    // No format writes a date and time in more characters than this; a longer text is
    // refused before any parser reads it.
    constexpr qsizetype kLongestDate = 256;
    const QStringView blanksCut = QStringView(text).trimmed();
    if (blanksCut.size() > kLongestDate)
        return false;
    const QString s = blanksCut.toString();
    for (const auto format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime dt = locale.toDateTime(s, format);
        if (dt.isValid()) {
            days = daysFromDateTime(dt);
            return true;
        }
        const QDate d = locale.toDate(s, format);
        if (d.isValid()) {
            days = daysFromDateTime(QDateTime(d, QTime(0, 0)));
            return true;
        }
    }
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (iso.isValid()) {
        days = daysFromDateTime(iso);
        return true;
    }
    const QDate isoDate = QDate::fromString(s, Qt::ISODate);
    if (isoDate.isValid()) {
        days = daysFromDateTime(QDateTime(isoDate, QTime(0, 0)));
        return true;
    }
    // As typed by hand: "29/2/24", "29.02.2024 18:30", "6:30 pm".
    QDate date;
    QTime time;
    const qsizetype blank = s.indexOf(u' ');
    if (lenientTime(s, locale, time)) {
        days = time.msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    if (lenientDate(blank < 0 ? s : s.left(blank), locale, date)
        && (blank < 0 || lenientTime(s.mid(blank + 1), locale, time))) {
        days = daysFromDateTime(QDateTime(date, time.isValid() ? time : QTime(0, 0)));
        return true;
    }
    return false;
}

} // namespace zel
