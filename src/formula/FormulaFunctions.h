#pragma once

#include "formula/FTableItem.h"

#include <QString>

#include <vector>

namespace zel {

/// The 76 built-in functions. Compiled code calls a built-in by its index in this table,
/// so the order is fixed.
class FormulaFunctions
{
public:
    /// The built-in table, in index order (SET is 0, HEX is 75).
    static const std::vector<FTableItem> &builtins();
    /// Index of the built-in with that upper-cased name, or -1.
    static int indexOf(const QString &upperName);
    /// True for the builtins that take a variable's name as text (SET, VAL, DEFINE,
    /// DEFINES, INC, DEC, EXISTS), so may reach any variable at run time.
    static bool reachesVariablesByName(int index);
};

} // namespace zel
