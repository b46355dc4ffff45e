#include "formula/FormulaMessages.h"

namespace zel {

QString FormulaMessages::text(Id id)
{
    static const char *const defaults[Count] = {
        "GetVarValue not set!",
        "GetVarsCount or GetVarValue not set!",
        "returns zero vars!",
        "does not exists",
        "Variable",
        "Variable does not exists",
        "Variable already exists",
        "Wrong bytecode!",
        "Illegal character",
        "Unknown identifier",
        "expected",
        "Syntax error",
        "Variable not used",
        "Not enough parameters",
        "Identifier already defined",
    };
    return QString::fromLatin1(defaults[id]);
}

} // namespace zel
