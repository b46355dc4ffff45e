#include "formula/FormulaBudget.h"

#include "formula/FormulaException.h"

namespace zel {

void FormulaBudget::exceeded()
{
    throw FormulaException::limit(QStringLiteral("work limit exceeded"));
}

} // namespace zel
