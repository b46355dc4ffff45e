#include "formula/FormulaFunctions.h"

#include "common/AnsiText.h"
#include "common/DateTimeValue.h"
#include "formula/DateFormat.h"
#include "formula/FormulaException.h"
#include "formula/FormulaMessages.h"
#include "formula/NumberFormat.h"
#include "formula/TFormulaCalc.h"
#include "formula/TTalFormula.h"

#include <QHash>

#include <cmath>

namespace zel {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kRadiansPerDegree = kPi / 180.0L;

using Calc = TFormulaCalc;
using Result = TCalcItem;

void setN(Result &r, double x)
{
    r.typ = fdtnumber;
    r.data = x;
}

void setS(Result &r, const QString &s)
{
    r.typ = fdtstring;
    r.str = s;
}

// A text about to be built: refused when too long, charged, and counted with the texts
// held before it exists.
void reserve(Calc &C, qsizetype chars)
{
    TFormulaCalc::checkLength(chars);
    C.Parent()->reserveText(chars);
}

qint64 n(Calc &C, int item)
{
    return TFormulaCalc::truncated(C.ItemN(item));
}

// A count or position from a formula, clamped where any larger value means "all".
qsizetype clampedCount(qint64 v)
{
    return qsizetype(std::clamp<qint64>(v, -1, TFormulaCalc::kMaxTextLength + 1));
}

FormulaException conversion(const QString &message)
{
    return FormulaException(message, FormulaException::Kind::Conversion);
}

QDateTime dateOf(double days)
{
    const QDateTime when = dateTimeFromDays(days);
    if (!when.isValid())
        throw conversion(QStringLiteral("Invalid date-time value"));
    return when;
}

// --- variables ------------------------------------------------------------------------

void fSET(Calc &C, Result &r)
{
    const TCalcItem value = C.Item(0);
    C.Parent()->SetVar(C.ItemS(1), value);
    r = value;
}

void fVAL(Calc &C, Result &r)
{
    r = *C.Parent()->GetVar(C.ItemS(0));
}

void fDEFINE(Calc &C, Result &r)
{
    const TCalcItem value = C.Item(0);
    C.Parent()->AddVar(C.ItemS(1), value);
    r = value;
}

void fBLOCK(Calc &C, Result &r)
{
    if (n(C, 0) > 0)
        r = C.Item(1);
}

void fDEFINES(Calc &C, Result &r)
{
    const qint64 k = n(C, 0);
    for (int i = 1; i <= k; ++i)
        C.Parent()->AddVar(C.ItemS(i), TCalcItem::number(0));
    setN(r, double(k));
}

void fINC(Calc &C, Result &r)
{
    r = *C.Parent()->IncVar(C.ItemS(0));
}

void fDEC(Calc &C, Result &r)
{
    r = *C.Parent()->DecVar(C.ItemS(0));
}

// --- mathematics ----------------------------------------------------------------------

template <long double (*F)(long double)>
void unary(Calc &C, Result &r)
{
    setN(r, TFormulaCalc::stored(F((long double)C.ItemN(0))));
}

long double sinDeg(long double x) { return std::sin(x * kRadiansPerDegree); }
long double cosDeg(long double x) { return std::cos(x * kRadiansPerDegree); }
long double tanDeg(long double x) { return std::tan(x * kRadiansPerDegree); }
long double atanDeg(long double x) { return std::atan(x) / kRadiansPerDegree; }
long double asinDeg(long double x) { return std::asin(x) / kRadiansPerDegree; }
long double acosDeg(long double x) { return std::acos(x) / kRadiansPerDegree; }

long double logOf(long double x, long double (*f)(long double))
{
    if (x == 0)
        throw FormulaException::divisionByZero();
    if (x < 0)
        throw FormulaException::invalidOperation();
    return f(x);
}

long double ln(long double x) { return logOf(x, [](long double v) { return std::log(v); }); }
long double lg(long double x) { return logOf(x, [](long double v) { return std::log10(v); }); }
long double expOf(long double x) { return std::exp(x); }
long double sqrtOf(long double x) { return std::sqrt(x); }
long double intOf(long double x) { return (long double)TFormulaCalc::truncated(double(x)); }
long double fracOf(long double x) { return x - std::trunc(x); }
long double absOf(long double x) { return std::fabs(x); }
long double asinhOf(long double x) { return std::asinh(x); }
long double acoshOf(long double x) { return std::acosh(x); }
long double atanhOf(long double x)
{
    if (x == 1 || x == -1)
        throw FormulaException::divisionByZero();
    return std::atanh(x);
}
long double coshOf(long double x) { return std::cosh(x); }
long double sinhOf(long double x) { return std::sinh(x); }
long double tanhOf(long double x) { return std::tanh(x); }
long double signOf(long double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

void fRND(Calc &C, Result &r)
{
    setN(r, C.Parent()->Random());
}

void fRANDOMIZE(Calc &C, Result &r)
{
    C.Parent()->Randomize();
    setN(r, 0);
}

// --- aggregates -------------------------------------------------------------------------

template <typename Fn>
void eachArgument(Calc &C, bool wantnumber, Fn fn)
{
    const qint64 k = n(C, 0);
    if (k <= 0)
        throw FormulaException(FormulaMessages::text(FormulaMessages::NotEnoughParameters));
    TTalFormula &F = *C.Parent();
    F.StartGetVars(int(k));
    TCalcItem x;
    bool more = F.GetNextVar(x, wantnumber);
    fn(x);
    while (more) {
        more = F.GetNextVar(x, wantnumber);
        fn(x);
    }
}

// Σx, Σx² and n of the arguments, in extended precision.
struct Sums
{
    long double sum = 0, squares = 0, count = 0;
};

Sums sums(Calc &C)
{
    Sums s;
    eachArgument(C, true, [&](const TCalcItem &x) {
        const long double v = C.ValueN(x);
        s.sum += v;
        s.squares += v * v;
        s.count += 1;
    });
    return s;
}

long double divided(long double a, long double b)
{
    if (b == 0) {
        if (a == 0 || std::isnan(a))
            throw FormulaException::invalidOperation();
        throw FormulaException::divisionByZero();
    }
    return a / b;
}

long double variance(Calc &C)
{
    const Sums s = sums(C);
    return divided(s.count * s.squares - s.sum * s.sum, s.count * (s.count - 1));
}

void fMAX(Calc &C, Result &r)
{
    bool first = true;
    double best = 0;
    eachArgument(C, true, [&](const TCalcItem &x) {
        const double v = C.ValueN(x);
        if (first || v > best)
            best = v;
        first = false;
    });
    setN(r, best);
}

void fMIN(Calc &C, Result &r)
{
    bool first = true;
    double best = 0;
    eachArgument(C, true, [&](const TCalcItem &x) {
        const double v = C.ValueN(x);
        if (first || v < best)
            best = v;
        first = false;
    });
    setN(r, best);
}

void fAVG(Calc &C, Result &r)
{
    const Sums s = sums(C);
    setN(r, TFormulaCalc::stored(divided(s.sum, s.count)));
}

void fSTDDEV(Calc &C, Result &r)
{
    setN(r, TFormulaCalc::stored(std::sqrt(variance(C))));
}

void fSTDDEVP(Calc &C, Result &r)
{
    const Sums s = sums(C);
    setN(r, TFormulaCalc::stored(
                divided(std::sqrt(s.count * s.squares - s.sum * s.sum), s.count)));
}

void fSUM(Calc &C, Result &r)
{
    setN(r, TFormulaCalc::stored(sums(C).sum));
}

void fCONCAT(Calc &C, Result &r)
{
    // The arguments come last first; they are joined once their length is known.
    std::vector<QString> parts;
    qsizetype length = 0;
    eachArgument(C, false, [&](const TCalcItem &x) {
        parts.push_back(C.ValueS(x));
        length += parts.back().size();
        TFormulaCalc::checkLength(length);
    });
    reserve(C, length);
    QString out;
    out.reserve(length);
    for (auto part = parts.rbegin(); part != parts.rend(); ++part)
        out += *part;
    setS(r, out);
}

void fSUMOFSQUARES(Calc &C, Result &r)
{
    setN(r, TFormulaCalc::stored(sums(C).squares));
}

void fCOUNT(Calc &C, Result &r)
{
    double count = 0;
    eachArgument(C, false, [&](const TCalcItem &x) {
        if (!C.ValueS(x).isEmpty())
            count += 1;
    });
    setN(r, count);
}

void fVARIANCE(Calc &C, Result &r)
{
    setN(r, TFormulaCalc::stored(variance(C)));
}

void fVARIANCEP(Calc &C, Result &r)
{
    const Sums s = sums(C);
    setN(r, TFormulaCalc::stored(divided(s.count * s.squares - s.sum * s.sum, s.count * s.count)));
}

void fIFF(Calc &C, Result &r)
{
    r = C.ItemN(2) != 0 ? C.Item(1) : C.Item(0);
}

// --- texts ------------------------------------------------------------------------------

void fCHR(Calc &C, Result &r)
{
    const char byte = char(quint64(n(C, 0)) & 0xFFu);
    setS(r, fromAnsi(QByteArrayView(&byte, 1)));
}

void fLENGTH(Calc &C, Result &r)
{
    setN(r, double(C.ItemS(0).size()));
}

// Part of a text (from 1, count characters) as a text of its own, built only when it is
// not the whole text.
QString partOf(Calc &C, const QString &s, qsizetype from, qsizetype count)
{
    if (from == 1 && count == s.size())
        return s;
    reserve(C, count);
    return s.mid(from - 1, count);
}

QString trimmed(Calc &C, const QString &s, bool left, bool right)
{
    qsizetype a = 0, b = s.size();
    if (left)
        while (a < b && s[a].unicode() <= 32)
            ++a;
    if (right)
        while (b > a && s[b - 1].unicode() <= 32)
            --b;
    C.Parent()->Budget().chargeChars(a + (s.size() - b));
    return partOf(C, s, a + 1, b - a);
}

void fTRIM(Calc &C, Result &r)
{
    setS(r, trimmed(C, C.ItemS(0), true, true));
}

void fTRIMLEFT(Calc &C, Result &r)
{
    setS(r, trimmed(C, C.ItemS(0), true, false));
}

void fTRIMRIGHT(Calc &C, Result &r)
{
    setS(r, trimmed(C, C.ItemS(0), false, true));
}

QString asciiCase(Calc &C, QString s, bool upper)
{
    reserve(C, s.size());
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (upper && u >= u'a' && u <= u'z')
            c = QChar(char16_t(u - 32));
        else if (!upper && u >= u'A' && u <= u'Z')
            c = QChar(char16_t(u + 32));
    }
    return s;
}

void fUPPERCASE(Calc &C, Result &r)
{
    setS(r, asciiCase(C, C.ItemS(0), true));
}

void fLOWERCASE(Calc &C, Result &r)
{
    setS(r, asciiCase(C, C.ItemS(0), false));
}

// Copy(s, from, count) with from counted from 1: a start below 1 counts as 1, a negative
// count or a start beyond the text gives "".
QString copyOf(Calc &C, const QString &s, qsizetype from, qsizetype count)
{
    if (from < 1)
        from = 1;
    if (count <= 0 || from > s.size())
        return QString();
    return partOf(C, s, from, std::min(count, s.size() - from + 1));
}

void fMIDSTR(Calc &C, Result &r)
{
    setS(r, copyOf(C, C.ItemS(2), clampedCount(n(C, 1)), clampedCount(n(C, 0))));
}

void fLEFTSTR(Calc &C, Result &r)
{
    setS(r, copyOf(C, C.ItemS(1), 1, clampedCount(n(C, 0))));
}

void fRIGHTSTR(Calc &C, Result &r)
{
    const QString s = C.ItemS(1);
    const qsizetype k = clampedCount(n(C, 0));
    setS(r, copyOf(C, s, s.size() - k + 1, k));
}

// Position (from 1) of the first sub in s, 0 when there is none. Knuth-Morris-Pratt keeps
// the work linear in both lengths whatever the texts hold, and needs no case-folded copies.
qsizetype positionOf(Calc &C, const QString &sub, const QString &s, bool caseSensitive)
{
    const qsizetype m = sub.size(), length = s.size();
    if (m == 0 || m > length)
        return 0;
    const auto folded = [caseSensitive](QChar c) {
        const char16_t u = c.unicode();
        return caseSensitive || u < u'a' || u > u'z' ? u : char16_t(u - 32);
    };
    // The table of partial matches takes as much memory as two characters of sub each.
    C.Parent()->reserveText(2 * m);
    C.Parent()->Budget().chargeChars(2 * length);
    std::vector<qint32> fallback(size_t(m), 0);
    for (qsizetype q = 1, k = 0; q < m; ++q) {
        while (k > 0 && folded(sub[k]) != folded(sub[q]))
            k = fallback[size_t(k - 1)];
        if (folded(sub[k]) == folded(sub[q]))
            ++k;
        fallback[size_t(q)] = qint32(k);
    }
    for (qsizetype i = 0, k = 0; i < length; ++i) {
        while (k > 0 && folded(sub[k]) != folded(s[i]))
            k = fallback[size_t(k - 1)];
        if (folded(sub[k]) == folded(s[i]))
            ++k;
        if (k == m)
            return i - m + 2;
    }
    return 0;
}

void fPOS(Calc &C, Result &r)
{
    const QString sub = C.ItemS(1);
    const QString s = C.ItemS(0);
    setN(r, double(positionOf(C, sub, s, C.Parent()->CaseSensitiveString())));
}

// --- date and time ------------------------------------------------------------------------

void fDATE(Calc &C, Result &r)
{
    const QString text = C.ItemS(0);
    C.Parent()->Budget().chargeChars(text.size());
    double days = 0;
    if (!DateFormat::parse(text, C.Parent()->Locale(), days))
        throw conversion(QStringLiteral("'%1' is not a valid date and time")
                             .arg(FormulaException::excerpt(text)));
    setN(r, days);
}

void fNOW(Calc &, Result &r)
{
    setN(r, daysFromDateTime(QDateTime::currentDateTime()));
}

void fDAYOFWEEK(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).date().dayOfWeek());
}

void fYEAR(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).date().year());
}

void fMONTH(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).date().month());
}

void fDAY(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).date().day());
}

void fHOUR(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).time().hour());
}

void fMINUTE(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).time().minute());
}

void fSECOND(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).time().second());
}

void fMILLISECOND(Calc &C, Result &r)
{
    setN(r, dateOf(C.ItemN(0)).time().msec());
}

void fISLEAPYEAR(Calc &C, Result &r)
{
    const qint64 y = n(C, 0);
    setN(r, (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 1 : 0);
}

void fENCODEDATE(Calc &C, Result &r)
{
    const qint64 y = n(C, 2), m = n(C, 1), d = n(C, 0);
    const QDate date = (y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31)
        ? QDate(int(y), int(m), int(d))
        : QDate();
    if (!date.isValid())
        throw conversion(QStringLiteral("Invalid argument to date encode"));
    setN(r, daysFromDateTime(QDateTime(date, QTime(0, 0))));
}

// A text formatted by a picture: the picture is read a few times over, and the result, a
// little longer than the picture at most, is held with the texts before it is built.
template <typename Format>
void formatted(Calc &C, Result &r, Format format)
{
    const QString pictureText = C.ItemS(1);
    const double x = C.ItemN(0);
    C.Parent()->reserveText(2 * pictureText.size());
    const QString text = format(pictureText, x, C.Parent()->Locale());
    TFormulaCalc::checkLength(text.size());
    C.Parent()->Budget().chargeChars(text.size());
    setS(r, text);
}

void fFORMAT(Calc &C, Result &r)
{
    formatted(C, r, NumberFormat::picture);
}

void fFORMATF(Calc &C, Result &r)
{
    formatted(C, r, NumberFormat::printf);
}

void fFORMATDATE(Calc &C, Result &r)
{
    setS(
        r, DateFormat::picture(C.ItemS(1), C.ItemN(0), C.Parent()->Locale(), C.Parent()->Budget()));
}

void fISNUMBER(Calc &C, Result &r)
{
    try {
        C.ItemN(0);
        setN(r, 1);
    } catch (const FormulaException &e) {
        // Running out of work or memory is no answer about the value.
        if (e.kind() == FormulaException::Kind::Limit)
            throw;
        setN(r, 0);
    }
}

QString nonEmptyText(Calc &C, int item)
{
    QString s = C.ItemS(item);
    if (s.isEmpty())
        throw FormulaException(QStringLiteral("%1 needs a text of at least one character")
                                   .arg(C.Parent()->FunctionName()));
    return s;
}

void fCODE(Calc &C, Result &r)
{
    setN(r, nonEmptyText(C, 0).at(0).unicode());
}

void fSTRINGOFCHAR(Calc &C, Result &r)
{
    const QChar c = nonEmptyText(C, 1).at(0);
    const qint64 k = n(C, 0);
    if (k <= 0) {
        setS(r, QString());
        return;
    }
    reserve(C, qsizetype(std::min<qint64>(k, TFormulaCalc::kMaxTextLength + 1)));
    setS(r, QString(qsizetype(k), c));
}

FormulaException noDialogs()
{
    return FormulaException(QStringLiteral("User dialogs are not available here"));
}

void fINPUT(Calc &C, Result &r)
{
    const auto &input = C.Parent()->Dialogs().input;
    if (!input)
        throw noDialogs();
    QString text = C.ItemS(0);
    if (!input(C.ItemS(2), C.ItemS(1), text))
        text.clear();
    setS(r, text);
}

void fMSG(Calc &C, Result &r)
{
    const auto &message = C.Parent()->Dialogs().message;
    if (!message)
        throw noDialogs();
    const qint64 flags = n(C, 0);
    setN(r, message(C.ItemS(2), C.ItemS(1), int(flags & 0x7FFFFFFF)));
}

void fEXISTS(Calc &C, Result &r)
{
    setN(r, C.Parent()->FindVar(C.ItemS(0)) >= 0 ? 1 : 0);
}

// 10 to the power of d (truncated), by repeated squaring.
long double powerOfTen(Calc &C)
{
    const qint64 d = n(C, 0);
    quint64 e = d < 0 ? quint64(0) - quint64(d) : quint64(d);
    long double f = 1, b = 10;
    while (e != 0) {
        if (e & 1)
            f *= b;
        e >>= 1;
        if (e != 0)
            b *= b;
    }
    return d < 0 ? 1 / f : f;
}

template <bool Round>
void scaled(Calc &C, Result &r)
{
    const long double f = powerOfTen(C);
    const double y = double((long double)C.ItemN(1) * f);
    const double whole = Round ? std::nearbyint(y) : y;
    setN(r, TFormulaCalc::stored((long double)TFormulaCalc::truncated(whole) / f));
}

void fHEX(Calc &C, Result &r)
{
    const QString text = C.ItemS(0);
    bool ok = !text.isEmpty() && text.size() <= 16;
    quint64 v = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0) {
            ok = false;
            break;
        }
        v = v * 16 + quint64(digit);
    }
    if (!ok)
        throw conversion(QStringLiteral("'%1' is not a valid integer value")
                             .arg(FormulaException::excerpt(text)));
    setN(r, double(qint64(v)));
}

std::vector<FTableItem> makeTable()
{
    struct Entry
    {
        const char *name;
        int paramcount;
        void (*fun)(Calc &, Result &);
    };
    static const Entry entries[] = {
        {"SET", 2, fSET},
        {"VAL", 1, fVAL},
        {"DEFINE", 2, fDEFINE},
        {"BLOCK", -1, fBLOCK},
        {"DEFINES", -1, fDEFINES},
        {"INC", 1, fINC},
        {"DEC", 1, fDEC},
        {"SIN", 1, unary<sinDeg>},
        {"COS", 1, unary<cosDeg>},
        {"TAN", 1, unary<tanDeg>},
        {"LOG", 1, unary<ln>},
        {"LG", 1, unary<lg>},
        {"EXP", 1, unary<expOf>},
        {"SQRT", 1, unary<sqrtOf>},
        {"INT", 1, unary<intOf>},
        {"FRAC", 1, unary<fracOf>},
        {"ABS", 1, unary<absOf>},
        {"ATAN", 1, unary<atanDeg>},
        {"ASIN", 1, unary<asinDeg>},
        {"ACOS", 1, unary<acosDeg>},
        {"ASINH", 1, unary<asinhOf>},
        {"ACOSH", 1, unary<acoshOf>},
        {"ATANH", 1, unary<atanhOf>},
        {"COSH", 1, unary<coshOf>},
        {"SINH", 1, unary<sinhOf>},
        {"TANH", 1, unary<tanhOf>},
        {"SIGN", 1, unary<signOf>},
        {"RND", 0, fRND},
        {"RANDOMIZE", 0, fRANDOMIZE},
        {"MAX", -1, fMAX},
        {"MIN", -1, fMIN},
        {"AVG", -1, fAVG},
        {"STDDEV", -1, fSTDDEV},
        {"STDDEVP", -1, fSTDDEVP},
        {"SUM", -1, fSUM},
        {"CONCAT", -1, fCONCAT},
        {"SUMOFSQUARES", -1, fSUMOFSQUARES},
        {"COUNT", -1, fCOUNT},
        {"VARIANCE", -1, fVARIANCE},
        {"VARIANCEP", -1, fVARIANCEP},
        {"IFF", 3, fIFF},
        {"CHR", 1, fCHR},
        {"LENGTH", 1, fLENGTH},
        {"TRIM", 1, fTRIM},
        {"TRIMLEFT", 1, fTRIMLEFT},
        {"TRIMRIGHT", 1, fTRIMRIGHT},
        {"UPPERCASE", 1, fUPPERCASE},
        {"LOWERCASE", 1, fLOWERCASE},
        {"MIDSTR", 3, fMIDSTR},
        {"LEFTSTR", 2, fLEFTSTR},
        {"RIGHTSTR", 2, fRIGHTSTR},
        {"POS", 2, fPOS},
        {"DATE", 1, fDATE},
        {"NOW", 0, fNOW},
        {"DAYOFWEEK", 1, fDAYOFWEEK},
        {"YEAR", 1, fYEAR},
        {"MONTH", 1, fMONTH},
        {"DAY", 1, fDAY},
        {"HOUR", 1, fHOUR},
        {"MINUTE", 1, fMINUTE},
        {"SECOND", 1, fSECOND},
        {"MILLISECOND", 1, fMILLISECOND},
        {"ISLEAPYEAR", 1, fISLEAPYEAR},
        {"ENCODEDATE", 3, fENCODEDATE},
        {"FORMAT", 2, fFORMAT},
        {"FORMATF", 2, fFORMATF},
        {"FORMATDATE", 2, fFORMATDATE},
        {"ISNUMBER", 1, fISNUMBER},
        {"CODE", 1, fCODE},
        {"STRINGOFCHAR", 2, fSTRINGOFCHAR},
        {"INPUT", 3, fINPUT},
        {"MSG", 3, fMSG},
        {"EXISTS", 1, fEXISTS},
        {"TRUNC", 2, scaled<false>},
        {"ROUND", 2, scaled<true>},
        {"HEX", 1, fHEX},
    };
    static_assert(std::size(entries) == 76);
    std::vector<FTableItem> table;
    table.reserve(std::size(entries));
    for (const Entry &e : entries) {
        FTableItem item;
        item.name = QString::fromLatin1(e.name);
        item.paramcount = e.paramcount;
        item.fun = e.fun;
        table.push_back(std::move(item));
    }
    return table;
}

} // namespace

const std::vector<FTableItem> &FormulaFunctions::builtins()
{
    static const std::vector<FTableItem> table = makeTable();
    return table;
}

int FormulaFunctions::indexOf(const QString &upperName)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto &table = builtins();
        for (size_t i = 0; i < table.size(); ++i)
            h.insert(table[i].name, int(i));
        return h;
    }();
    return index.value(upperName, -1);
}

bool FormulaFunctions::reachesVariablesByName(int index)
{
    static const std::vector<bool> byName = [] {
        std::vector<bool> flags(builtins().size(), false);
        for (const char *name : {"SET", "VAL", "DEFINE", "DEFINES", "INC", "DEC", "EXISTS"})
            flags[size_t(indexOf(QLatin1String(name)))] = true;
        return flags;
    }();
    return index >= 0 && size_t(index) < byName.size() && byName[size_t(index)];
}

} // namespace zel
