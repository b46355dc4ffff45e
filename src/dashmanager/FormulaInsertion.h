#pragma once

#include <QString>
#include <QStringList>

namespace zel {

/// A formula source with its caret, as the maths editor holds it.
struct FormulaSource
{
    QString text;
    int caret = 0; ///< characters before the caret
};

/// The entries of the maths editor's "Operators" list.
const QStringList &formulaOperators();
/// The entries of the maths editor's "Math Functions" list; "#" marks each argument.
const QStringList &formulaFunctions();

/// Inserts an operator entry at the caret: "if then endif", "if then else endd" and
/// "var end" insert their statement templates, any other operator is followed by a space.
/// The caret ends after the insertion.
FormulaSource insertOperator(FormulaSource source, const QString &entry);

/// Inserts a function, a log channel or a variable reference (\a entry as it goes into the
/// source): it fills the first "#" of the source when there is one, so that a function's
/// arguments are filled in one after another; otherwise it goes in at the caret. The caret
/// ends after the inserted text.
FormulaSource insertOperand(FormulaSource source, const QString &entry);

} // namespace zel
