#include "tools/zel/EvalCommand.h"

#include "formula/FormulaEval.h"
#include "formula/FormulaException.h"
#include "formula/TTalFormula.h"
#include "session/FormulaMathsEvaluator.h"

namespace zel {

int runEvalCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty()) {
        err << "zel eval: usage: zel eval FORMULA [NAME=VALUE ...]\n";
        return 1;
    }
    // The same set-up as the maths channels', so that what works here works in a maths
    // channel, the application functions included.
    TTalFormula f;
    f.setLocale(QLocale::c());
    FormulaMathsEvaluator::configure(f);
    f.setDialogs(FormulaEval::terminalDialogs());
    try {
        out << FormulaEval::evaluate(f, args.first(), args.mid(1)) << '\n';
    } catch (const FormulaException &e) {
        // A compile error knows where it is; a run-time error has no position.
        err << "zel eval: " << e.message().simplified();
        if (e.line() > 0)
            err << " (line " << e.line() << ", column " << e.column() << ')';
        err << '\n';
        return 1;
    }
    return 0;
}

} // namespace zel
