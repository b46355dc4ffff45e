#include "formula/TFormulaCalc.h"

#include "formula/FTableItem.h"
#include "formula/FormulaException.h"
#include "formula/FormulaMessages.h"
#include "formula/NumberFormat.h"
#include "formula/TTalFormula.h"
#include "formula/TextFootprint.h"
#include "formula/WildcardMask.h"

#include <cmath>
#include <limits>

namespace zel {

namespace {

constexpr int kGrowth = 200;
// A compiled formula keeps the stack shallow; a deeper one is a runaway and is stopped
// before it exhausts memory.
constexpr int kMaxStack = 1'000'000;

FormulaException wrongBytecode()
{
    return FormulaException(FormulaMessages::text(FormulaMessages::WrongBytecode));
}

char16_t upperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

// Compares two texts; compared gives the characters read.
int compareTexts(const QString &a, const QString &b, bool caseSensitive, qsizetype &compared)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = reinterpret_cast<const char16_t *>(a.utf16());
    const char16_t *pb = reinterpret_cast<const char16_t *>(b.utf16());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = caseSensitive ? pa[i] : upperAscii(pa[i]);
        const char16_t y = caseSensitive ? pb[i] : upperAscii(pb[i]);
        if (x != y) {
            compared = i + 1;
            return x < y ? -1 : 1;
        }
    }
    compared = n;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

TFormulaCalc::TFormulaCalc(int n, TTalFormula *parent)
    : max(n)
    , data(size_t(n))
    , fParent(parent)
{
}

void TFormulaCalc::throwInvalidOperation()
{
    throw FormulaException::invalidOperation();
}

FormulaException TFormulaCalc::numericError(NumericResult r)
{
    if (r.dividedByZero)
        return FormulaException::divisionByZero();
    if (std::isnan(r.value))
        return FormulaException::invalidOperation();
    return FormulaException::overflow();
}

void TFormulaCalc::throwNumericError(NumericResult r)
{
    throw numericError(r);
}

qint64 TFormulaCalc::truncated(double x)
{
    if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0))
        throw FormulaException::invalidOperation();
    return qint64(x);
}

void TFormulaCalc::checkLength(qsizetype length)
{
    if (length > kMaxTextLength)
        throw FormulaException(QStringLiteral("Text too long"));
}

void TFormulaCalc::throwWrongBytecode()
{
    throw wrongBytecode();
}

void TFormulaCalc::addTexts(TextFootprint &texts) const
{
    texts.add(data);
}

void TFormulaCalc::releaseStale()
{
    for (size_t i = size_t(pos); i < data.size(); ++i) {
        if (!data[i].str.isNull())
            data[i].str = QString();
    }
}

void TFormulaCalc::grow()
{
    if (max >= kMaxStack)
        throw FormulaException::limit(QStringLiteral("evaluation stack overflow"));
    max += kGrowth;
    data.resize(size_t(max));
}

QString TFormulaCalc::PopS()
{
    QString s = ItemS(0);
    --pos;
    return s;
}

void TFormulaCalc::PushS(const QString &s)
{
    TCalcItem &it = slot();
    it.typ = fdtstring;
    it.str = s;
}

void TFormulaCalc::Drop()
{
    if (pos == 0)
        throw wrongBytecode();
    --pos;
}

void TFormulaCalc::DoFunction(const FTableItem &fun, int cnt)
{
    if (cnt == 0xFFFF) {
        const double k = ItemN(0);
        if (!(k >= 0 && k < pos))
            throw wrongBytecode();
        cnt = int(k) + 1;
    }
    if (cnt == 0) {
        PushN(0);
        cnt = 1;
    }
    if (cnt > pos)
        throw wrongBytecode();
    fParent->fcalling = &fun;
    TCalcItem result;
    if (!fun.fun)
        throw wrongBytecode();
    fun.fun(*this, result);
    if (cnt > pos)
        throw wrongBytecode();
    data[size_t(pos - cnt)] = std::move(result);
    pos = pos - cnt + 1;
}

bool TFormulaCalc::TryValueN(const TCalcItem &v, double &x)
{
    switch (v.typ) {
    case fdtnumber:
        x = v.data;
        return true;
    case fdtstring:
        return parsed(v.str, x);
    case fdtgetvar:
        return parsed(fParent->ExternalValue(v.str), x);
    }
    return false;
}

bool TFormulaCalc::parsed(const QString &text, double &x)
{
    if (fParent->fzero && text.isEmpty()) {
        x = 0.0;
        return true;
    }
    qsizetype read = 0;
    const bool ok = NumberFormat::parse(text, fParent->fdecimal, x, &read);
    // Reading digits into a number costs about twice what copying them does.
    fParent->fbudget.chargeChars(2 * read);
    return ok;
}

double TFormulaCalc::textValueN(const TCalcItem &v)
{
    double x = 0.0;
    if (!TryValueN(v, x))
        throw FormulaException::notANumber(v.typ == fdtstring ? v.str : fParent->ExternalValue(v.str));
    return x;
}

QString TFormulaCalc::ValueS(const TCalcItem &v)
{
    switch (v.typ) {
    case fdtnumber:
        return NumberFormat::general(v.data, fParent->fdecimal);
    case fdtstring:
        return v.str;
    case fdtgetvar:
        return fParent->ExternalValue(v.str);
    }
    return QString();
}

template <typename Op>
void TFormulaCalc::binaryNumber(Op op)
{
    TCalcItem &left = Item(1);
    const double r = ValueN(Item(0));
    const double l = ValueN(left);
    setNumber(left, op(l, r));
    --pos;
}

void TFormulaCalc::Plus()
{
    TCalcItem &left = Item(1);
    TCalcItem &right = Item(0);
    double l = 0.0, r = 0.0;
    if (left.typ == fdtnumber && right.typ == fdtnumber) {
        setNumber(left, sum(left.data, right.data));
    } else if (TryValueN(left, l) && TryValueN(right, r)) {
        setNumber(left, sum(l, r));
    } else {
        QString s = joined(ValueS(left), ValueS(right));
        left.typ = fdtstring;
        left.str = std::move(s);
    }
    --pos;
}

void TFormulaCalc::PlusS()
{
    TCalcItem &left = Item(1);
    QString s = joined(ValueS(left), ValueS(Item(0)));
    left.typ = fdtstring;
    left.str = std::move(s);
    --pos;
}

QString TFormulaCalc::joined(const QString &a, const QString &b)
{
    if (b.isEmpty())
        return a;
    if (a.isEmpty())
        return b;
    checkLength(a.size() + b.size());
    fParent->reserveText(a.size() + b.size());
    // Built to its exact size: the count of live texts goes by what buffers hold.
    QString s;
    s.reserve(a.size() + b.size());
    s += a;
    s += b;
    return s;
}

void TFormulaCalc::Minus()
{
    binaryNumber(difference);
}

void TFormulaCalc::Mult()
{
    binaryNumber(product);
}

void TFormulaCalc::Division()
{
    binaryNumber(quotient);
}

void TFormulaCalc::cDiv()
{
    TCalcItem &left = Item(1);
    const qint64 b = truncated(ValueN(Item(0)));
    const qint64 a = truncated(ValueN(left));
    if (b == 0)
        throw FormulaException(QStringLiteral("Division by zero"), FormulaException::Kind::Arithmetic);
    if (b == -1 && a == std::numeric_limits<qint64>::min())
        throw FormulaException(QStringLiteral("Integer overflow"), FormulaException::Kind::Arithmetic);
    setNumber(left, double(a / b));
    --pos;
}

void TFormulaCalc::cMod()
{
    TCalcItem &left = Item(1);
    const qint64 b = truncated(ValueN(Item(0)));
    const qint64 a = truncated(ValueN(left));
    if (b == 0)
        throw FormulaException(QStringLiteral("Division by zero"), FormulaException::Kind::Arithmetic);
    if (b == -1 && a == std::numeric_limits<qint64>::min())
        throw FormulaException(QStringLiteral("Integer overflow"), FormulaException::Kind::Arithmetic);
    setNumber(left, double(a % b));
    --pos;
}

NumericResult TFormulaCalc::powered(double base, double exponent)
{
    const long double b = base;
    const long double x = exponent;
    if (x == std::trunc(x) && std::fabs(x) <= 2147483647.0L) {
        long long n = (long long)x;
        const bool negative = n < 0;
        unsigned long long e = negative ? (unsigned long long)(-n) : (unsigned long long)n;
        long double result = 1.0L;
        long double square = b;
        while (e != 0) {
            if (e & 1)
                result *= square;
            e >>= 1;
            if (e != 0)
                square *= square;
        }
        if (negative) {
            if (result == 0)
                return NumericResult::zeroDivisor();
            result = 1.0L / result;
        }
        return double(result);
    }
    if (b == 0)
        return 0.0;
    return double(std::exp2(x * std::log2(b)));
}

void TFormulaCalc::Pow()
{
    binaryNumber(power);
}

int TFormulaCalc::compare()
{
    TCalcItem &left = Item(1);
    TCalcItem &right = Item(0);
    double l = 0.0, r = 0.0;
    int result;
    if (TryValueN(left, l) && TryValueN(right, r)) {
        result = compared(l, r);
    } else {
        qsizetype compared = 0;
        result = compareTexts(ValueS(left), ValueS(right), fParent->fcasesensitivestring,
            compared);
        fParent->fbudget.chargeChars(compared);
    }
    return result;
}

void TFormulaCalc::EQ()
{
    const int c = compare();
    setNumber(Item(1), c == 0);
    --pos;
}

void TFormulaCalc::NE()
{
    const int c = compare();
    setNumber(Item(1), c != 0);
    --pos;
}

void TFormulaCalc::LT()
{
    const int c = compare();
    setNumber(Item(1), c < 0);
    --pos;
}

void TFormulaCalc::LE()
{
    const int c = compare();
    setNumber(Item(1), c <= 0);
    --pos;
}

void TFormulaCalc::GT()
{
    const int c = compare();
    setNumber(Item(1), c > 0);
    --pos;
}

void TFormulaCalc::GE()
{
    const int c = compare();
    setNumber(Item(1), c >= 0);
    --pos;
}

void TFormulaCalc::cAND()
{
    TCalcItem &left = Item(1);
    const bool l = ValueN(left) != 0;
    const bool result = l && ValueN(Item(0)) != 0;
    setNumber(left, result);
    --pos;
}

void TFormulaCalc::cOR()
{
    TCalcItem &left = Item(1);
    const bool l = ValueN(left) != 0;
    const bool result = l || ValueN(Item(0)) != 0;
    setNumber(left, result);
    --pos;
}

void TFormulaCalc::cXOR()
{
    TCalcItem &left = Item(1);
    const bool l = ValueN(left) != 0;
    const bool r = ValueN(Item(0)) != 0;
    setNumber(left, l != r);
    --pos;
}

void TFormulaCalc::bAND()
{
    TCalcItem &left = Item(1);
    const qint64 r = truncated(ValueN(Item(0)));
    setNumber(left, double(truncated(ValueN(left)) & r));
    --pos;
}

void TFormulaCalc::bOR()
{
    TCalcItem &left = Item(1);
    const qint64 r = truncated(ValueN(Item(0)));
    setNumber(left, double(truncated(ValueN(left)) | r));
    --pos;
}

void TFormulaCalc::bXOR()
{
    TCalcItem &left = Item(1);
    const qint64 r = truncated(ValueN(Item(0)));
    setNumber(left, double(truncated(ValueN(left)) ^ r));
    --pos;
}

void TFormulaCalc::bSHL()
{
    TCalcItem &left = Item(1);
    const unsigned count = unsigned(quint64(truncated(ValueN(Item(0)))) & 63u);
    const quint64 l = quint64(truncated(ValueN(left)));
    setNumber(left, double(qint64(l << count)));
    --pos;
}

void TFormulaCalc::bSHR()
{
    TCalcItem &left = Item(1);
    const unsigned count = unsigned(quint64(truncated(ValueN(Item(0)))) & 63u);
    const quint64 l = quint64(truncated(ValueN(left)));
    setNumber(left, double(qint64(l >> count)));
    --pos;
}

void TFormulaCalc::Like()
{
    TCalcItem &left = Item(1);
    const WildcardMask mask(ValueS(Item(0)), fParent->fbudget);
    const bool m = mask.matches(ValueS(left));
    setNumber(left, m);
    --pos;
}

void TFormulaCalc::Uminus()
{
    TCalcItem &top = Item(0);
    setNumber(top, -ValueN(top));
}

void TFormulaCalc::cNOT()
{
    TCalcItem &top = Item(0);
    setNumber(top, ValueN(top) == 0);
}

void TFormulaCalc::bNOT()
{
    TCalcItem &top = Item(0);
    setNumber(top, double(~truncated(ValueN(top))));
}

} // namespace zel
