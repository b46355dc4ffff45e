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
    /// comparisons compare texts, while every other kind passes through. A limit stops a
    /// formula that needs more work, memory or nested calls than one evaluation may have;
    /// run again on the same values it would stop again, so hosts refuse or stop it.
    enum class Kind { Evaluation, Conversion, Arithmetic, Mask, Limit };

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
    /// A limit error: "Formula stopped: " and what ran out.
    static FormulaException limit(const QString &what);

    /// A user text as a message quotes it: whole up to kExcerptLength characters, else cut
    /// there and followed by "...", so that a message stays readable whatever the text.
    static QString excerpt(const QString &text);
    static constexpr qsizetype kExcerptLength = 60;

private:
    Kind m_kind = Kind::Evaluation;
    int m_line = 0;
    int m_column = 0;
};

} // namespace zel
