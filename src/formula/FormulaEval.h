#pragma once

#include "formula/FormulaDialogs.h"

#include <QString>
#include <QStringList>

namespace zel {

class TTalFormula;

/// The command line's use of the formula engine (`zel eval`).
class FormulaEval
{
public:
    /// Compiles the formula with variables given as "NAME=VALUE" (a value that reads as a
    /// number with "." as decimal separator is a number, else a text), runs it and gives
    /// the result as text, with "." as decimal separator. Raises FormulaException: for a
    /// compile error with line() and column() set, for a run-time error with both 0.
    ///
    ///     FormulaEval::evaluate("rpm * 2 * PI / 60", {"rpm=6000"}) // "628.318530717959"
    static QString evaluate(const QString &formula, const QStringList &assignments,
        const FormulaDialogs &dialogs = {});

    /// As above, on a component the caller has set up (options, functions, dialogs, locale).
    static QString evaluate(TTalFormula &f, const QString &formula, const QStringList &assignments);

    /// Boxes for a terminal: INPUT asks on standard error and reads a line from standard
    /// input, MSG shows the text and reads a button number; when standard input is not a
    /// terminal INPUT gives its default and MSG gives 1 (OK).
    static FormulaDialogs terminalDialogs();
};

} // namespace zel
