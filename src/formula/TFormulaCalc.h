#pragma once

#include "formula/FTableItem.h"
#include "formula/TCalcItem.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zel {

class FormulaException;
class TTalFormula;
class TextFootprint;

/// The evaluation stack machine. Item 0 is the top of the stack, item 1 the value below.
/// The operator operations replace the two topmost values (left = item 1, right = item 0),
/// or the top one for one-operand operators, by their result. Arithmetic runs in extended
/// precision and every result is stored as a double; a division by zero, an invalid
/// operation or an overflow raises instead of giving an infinity or NaN.
class TFormulaCalc
{
public:
    /// An empty stack with room for n values, owned by the given formula component.
    TFormulaCalc(int n, TTalFormula *parent);

    /// Empties the stack.
    void Clear() { pos = 0; }
    /// Adds the texts of every slot, including those above the top that still hold a
    /// text of an earlier value.
    void addTexts(TextFootprint &texts) const;
    /// Lets go of the texts of the slots above the top.
    void releaseStale();
    /// Number of values on the stack.
    int Pos() const { return pos; }
    /// The owning formula component.
    TTalFormula *Parent() const { return fParent; }

    /// Number of item 0.
    double TopN() { return ItemN(0); }
    /// Text of item 0.
    QString TopS() { return ItemS(0); }
    /// Number of item i.
    double ItemN(int i) { return ValueN(Item(i)); }
    /// Text of item i.
    QString ItemS(int i) { return ValueS(Item(i)); }
    /// Item i itself; raises "Wrong bytecode!" when the stack holds no item i.
    TCalcItem &Item(int i)
    {
        if (i < 0 || i >= pos)
            throwWrongBytecode();
        return data[size_t(pos - 1 - i)];
    }
    /// Number of item 0, which is removed.
    double PopN()
    {
        const double x = ItemN(0);
        --pos;
        return x;
    }
    /// Text of item 0, which is removed.
    QString PopS();
    /// Pushes a number.
    void PushN(double x) { setNumber(slot(), x); }
    /// Pushes a text.
    void PushS(const QString &s);
    /// Pushes a text, or with fdtgetvar a reference to the host variable it names.
    void PushText(TFormulaDataType type, const QString &s)
    {
        TCalcItem &it = slot();
        it.typ = type;
        it.data = 0.0;
        it.str = s;
    }
    /// Pushes a copy of a value.
    void Push(const TCalcItem &v) { assign(slot(), v); }
    /// Removes the top value.
    void Drop();

    /// The top of the stack as a run of compiled code holds it: the numbers its number
    /// instructions push and compute, as plain doubles in a local array above the machine's
    /// values, so that those instructions neither check types nor touch a value's text.
    /// Numbers already on the machine's stack are pulled up when an instruction needs them.
    /// Whatever else touches the stack (a function, an operation on texts) runs between
    /// handBack(), which pushes the held numbers onto the machine's stack, and take(); the
    /// destructor hands them back however the run ends.
    class LocalStack
    {
    public:
        explicit LocalStack(TFormulaCalc &calc)
            : m_calc(calc)
        {
            take();
        }
        ~LocalStack()
        {
            if (m_held)
                handBack();
        }
        LocalStack(const LocalStack &) = delete;
        LocalStack &operator=(const LocalStack &) = delete;

        /// Takes the top of the stack over from the machine.
        void take()
        {
            m_slots = m_calc.data.data();
            m_below = m_calc.pos;
            // Held numbers never take the stack past the room the machine has, so that
            // handing them back cannot grow it and the push that would is left to the
            // machine, which raises its limit error there.
            m_room = std::min(kHeld, m_calc.max - m_calc.pos);
            m_count = 0;
            m_held = true;
        }
        /// Hands the top of the stack back to the machine.
        void handBack()
        {
            m_calc.pos = m_below;
            for (int i = 0; i < m_count; ++i)
                setNumber(m_calc.data[size_t(m_calc.pos++)], m_numbers[i]);
            m_count = 0;
            m_held = false;
        }

        /// Pushes a number; false, having done nothing, when no more can be held.
        bool push(double x)
        {
            if (m_count == m_room)
                return false;
            m_numbers[m_count++] = x;
            return true;
        }
        /// True when the n topmost values (n at most kHeld) are numbers, now held here; false,
        /// having changed nothing the run can see, when one is not.
        bool numbers(int n)
        {
            while (m_count < n) {
                if (m_below == 0 || m_slots[m_below - 1].typ != fdtnumber)
                    return false;
                for (int i = m_count; i > 0; --i)
                    m_numbers[i] = m_numbers[i - 1];
                m_numbers[0] = m_slots[--m_below].data;
                ++m_count;
            }
            return true;
        }
        /// Removes the top number (numbers(1)) and gives it.
        double pop() { return m_numbers[--m_count]; }
        /// The top number (numbers(1)).
        double &top() { return m_numbers[m_count - 1]; }
        /// The n topmost numbers (numbers(n)), the deepest first.
        const double *top(int n) const { return m_numbers + (m_count - n); }
        /// Replaces the n topmost numbers (numbers(n), n at least 1) by x.
        void replace(int n, double x)
        {
            m_count -= n - 1;
            m_numbers[m_count - 1] = x;
        }

    private:
        static constexpr int kHeld = 16;
        TFormulaCalc &m_calc;
        TCalcItem *m_slots = nullptr;
        int m_below = 0; // values on the machine's stack below the held numbers
        int m_room = 0;
        int m_count = 0;
        double m_numbers[kHeld];
        bool m_held = false;
    };

    /// Calls a function with cnt arguments on the stack (0xFFFF: the count lies on top),
    /// then puts the result in place of the arguments.
    void DoFunction(const FTableItem &fun, int cnt);

    /// Number of a value: texts are read with the locale's decimal separator.
    double ValueN(const TCalcItem &v) { return v.typ == fdtnumber ? v.data : textValueN(v); }
    /// Text of a value: numbers in the general format with 15 significant digits.
    QString ValueS(const TCalcItem &v);
    /// Number of a value, or false when the value's text is not a number (other errors
    /// raise). The characters read are charged to the work budget.
    bool TryValueN(const TCalcItem &v, double &x);

    /// "+": the sum, or the two texts joined when either is not a number.
    void Plus();
    /// "@": the two texts joined.
    void PlusS();
    /// "-": the difference.
    void Minus();
    /// "*": the product.
    void Mult();
    /// "/": the quotient; a zero divisor raises.
    void Division();
    /// "\": the quotient of the truncated 64-bit integers.
    void cDiv();
    /// "%": the remainder of the truncated 64-bit integers (sign of the left).
    void cMod();
    /// "^": the power (repeated squaring for whole exponents).
    void Pow();
    /// "=": 1 when equal (as numbers, else as texts), else 0.
    void EQ();
    /// "<>": 1 when not equal.
    void NE();
    /// "<": 1 when less.
    void LT();
    /// "<=": 1 when less or equal.
    void LE();
    /// ">": 1 when greater.
    void GT();
    /// ">=": 1 when greater or equal.
    void GE();
    /// AND: 1 when both are not 0; the right is not read when the left is 0.
    void cAND();
    /// OR: 1 when either is not 0; the right is not read when the left is not 0.
    void cOR();
    /// XOR: 1 when exactly one is not 0.
    void cXOR();
    /// "&&": bitwise and of the truncated 64-bit integers.
    void bAND();
    /// "||": bitwise or.
    void bOR();
    /// BXOR: bitwise exclusive or.
    void bXOR();
    /// "<<": shift left by the count modulo 64.
    void bSHL();
    /// ">>": shift right, filling with zero bits, by the count modulo 64.
    void bSHR();
    /// LIKE: 1 when the left text matches the wildcard mask on the right.
    void Like();
    /// Unary minus of the top.
    void Uminus();
    /// NOT: 1 when the top is 0, else 0.
    void cNOT();
    /// "!!": 64-bit complement of the truncated top.
    void bNOT();

    // The operators on two numbers, as "+", "-", "*", "/", "^" and the comparisons compute
    // them.
    static double sum(double l, double r) { return checked(roundedSum(l, r)); }
    static double difference(double l, double r) { return checked(roundedDifference(l, r)); }
    static double product(double l, double r) { return checked(roundedProduct(l, r)); }
    static double quotient(double l, double r) { return checked(divided(l, r)); }
    // "+", "-" and "*" computed in extended precision and rounded to a double, not yet
    // checked: NaN or an infinity where the operator raises.
    static double roundedSum(double l, double r) { return double((long double)l + r); }
    static double roundedDifference(double l, double r) { return double((long double)l - r); }
    static double roundedProduct(double l, double r) { return double((long double)l * r); }
    /// "/" as quotient computes it, not yet checked: a failure is in the result (a zero
    /// divisor under 0 or NaN is the invalid operation).
    static NumericResult divided(double l, double r)
    {
        if (r == 0) [[unlikely]]
            return l == 0 || std::isnan(l) ? std::numeric_limits<double>::quiet_NaN()
                                           : NumericResult::zeroDivisor();
        return double((long double)l / r);
    }
    static double power(double base, double exponent) { return checked(powered(base, exponent)); }
    /// "^" as power computes it, not yet checked: a failure is in the result.
    static NumericResult powered(double base, double exponent);
    /// -1, 0 or 1 as l is less than, equal to or greater than r; NaN raises the
    /// invalid-operation error.
    static int compared(double l, double r)
    {
        if (std::isnan(l) || std::isnan(r))
            throwInvalidOperation();
        return l < r ? -1 : (l > r ? 1 : 0);
    }

    /// What a failed result \a r raises: a zero divisor the division error, NaN the
    /// invalid-operation error, an infinity the overflow error.
    static FormulaException numericError(NumericResult r);
    /// The value of a numeric function's result; a failure raises.
    static double checked(NumericResult r)
    {
        if (!std::isfinite(r.value))
            throwNumericError(r);
        return r.value;
    }

    /// Stores an extended-precision result as a double: NaN raises the invalid-operation
    /// error, an infinity the overflow error.
    static double stored(long double r) { return checked(double(r)); }
    /// A result rounded to a double, checked as stored does.
    static double checked(double d) { return checked(NumericResult(d)); }
    /// x truncated toward zero to a signed 64-bit integer; outside that range (or NaN) the
    /// invalid-operation error.
    static qint64 truncated(double x);
    /// Texts longer than this raise an error instead of exhausting memory.
    static constexpr qsizetype kMaxTextLength = qsizetype(1) << 24;
    /// Raises "Text too long" when a text would pass kMaxTextLength.
    static void checkLength(qsizetype length);
    /// Copies a value; a number leaves no text behind in the target.
    static void assign(TCalcItem &target, const TCalcItem &v)
    {
        target.typ = v.typ;
        target.data = v.data;
        if (v.typ != fdtnumber)
            target.str = v.str;
        else if (!target.str.isNull())
            target.str = QString();
    }

private:
    TCalcItem &slot()
    {
        if (pos == max)
            grow();
        return data[size_t(pos++)];
    }
    static void setNumber(TCalcItem &target, double x)
    {
        target.typ = fdtnumber;
        target.data = x;
        if (!target.str.isNull())
            target.str = QString();
    }
    [[noreturn]] static void throwWrongBytecode();
    [[noreturn]] static void throwNumericError(NumericResult r);
    [[noreturn]] static void throwInvalidOperation();
    void grow();
    double textValueN(const TCalcItem &v);
    bool parsed(const QString &text, double &x);
    QString joined(const QString &a, const QString &b);
    template <typename Op>
    void binaryNumber(Op op);
    int compare();

    int max;
    int pos = 0;
    TCalcArray data;
    TTalFormula *fParent;
};

} // namespace zel
