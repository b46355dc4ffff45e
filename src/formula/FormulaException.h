#pragma once

#include "common/Error.h"

#include <QString>

namespace zel {

/// The formula component's error: a message, what kind of fault raised it and, for a fault
/// in the formula text, where it is (line and column from 1; 0 when not a compile error).
class FormulaException : public Error
{
public:
    /// Kinds matter to the machine: a failed conversion makes "+" concatenate and
    /// comparisons compare texts, while every other kind passes through.
    enum class Kind { Evaluation, Conversion, Arithmetic, Mask };

    /// An evaluation or compile error with the given message.
    explicit FormulaException(const QString &message, Kind kind = Kind::Evaluation);
    /// A compile error found at the given line and column of the formula text.
    FormulaException(const QString &message, int line, int column);

    /// The kind of fault.
    Kind kind() const { return m_kind; }
    /// Line of a compile error, from 1; 0 for a run-time error.
    int line() const { return m_line; }
    /// Column of a compile error, from 1; 0 for a run-time error.
    int column() const { return m_column; }

    /// "Floating point division by zero".
    static FormulaException divisionByZero();
    /// "Invalid floating point operation".
    static FormulaException invalidOperation();
    /// "Floating point overflow".
    static FormulaException overflow();
    /// The conversion error for a text that is not a number.
    static FormulaException notANumber(const QString &text);

private:
    Kind m_kind = Kind::Evaluation;
    int m_line = 0;
    int m_column = 0;
};

} // namespace zel
