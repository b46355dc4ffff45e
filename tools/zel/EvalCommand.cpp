#include "tools/zel/EvalCommand.h"

#include "formula/FormulaEval.h"
#include "formula/FormulaException.h"

namespace zel {

int runEvalCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty()) {
        err << "zel eval: usage: zel eval FORMULA [NAME=VALUE ...]\n";
        return 1;
    }
    for (const QString &assignment : args.mid(1)) {
        if (assignment.indexOf(QLatin1Char('=')) <= 0) {
            err << "zel eval: \"" << assignment << "\" is not NAME=VALUE\n";
            return 1;
        }
    }
    try {
        out << FormulaEval::evaluate(args.first(), args.mid(1), FormulaEval::terminalDialogs())
            << '\n';
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
