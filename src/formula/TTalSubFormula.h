#pragma once

#include "formula/FormulaCode.h"
#include "formula/TCalcItem.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace zel {

/// One compiled formula with its variable table. The first `paramcount` entries of
/// `varnames`/`values` are its parameters; entries after them are created while running.
struct TTalSubFormula
{
    QString name;
    int paramcount = 0;
    QStringList varnames;
    TCalcArray values;
    QString fcompiled; ///< code units of the instruction set (Opcode), ending with Return
    FormulaCode program; ///< fcompiled decoded, as it runs
    int running = 0; ///< runs of this formula in progress (more than one: a recursive call)

    /// Sets the compiled code and decodes it.
    void setCompiled(const QString &units)
    {
        fcompiled = units;
        program = FormulaCode(units);
    }
};

using TTalSFArray = std::vector<TTalSubFormula>;

} // namespace zel
