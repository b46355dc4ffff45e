#include "formula/FormulaEval.h"

#include "formula/FormulaException.h"
#include "formula/NumberFormat.h"
#include "formula/TTalFormula.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace zel {

QString FormulaEval::evaluate(const QString &formula, const QStringList &assignments,
    const FormulaDialogs &dialogs)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    f.setDialogs(dialogs);
    return evaluate(f, formula, assignments);
}

QString FormulaEval::evaluate(
    TTalFormula &f, const QString &formula, const QStringList &assignments)
{
    QStringList names;
    TCalcArray values;
    for (const QString &assignment : assignments) {
        const qsizetype eq = assignment.indexOf(u'=');
        if (eq <= 0)
            throw FormulaException(
                QStringLiteral("Expected NAME=VALUE instead of '%1'").arg(assignment));
        names.append(assignment.left(eq));
        const QString text = assignment.mid(eq + 1);
        double x = 0;
        values.push_back(NumberFormat::parse(text, u'.', x) ? TCalcItem::number(x)
                                                            : TCalcItem::text(text));
    }
    return f.ComputeStr(formula, int(names.size()), names, &values);
}

FormulaDialogs FormulaEval::terminalDialogs()
{
    FormulaDialogs dialogs;
    const bool interactive = isatty(STDIN_FILENO) != 0;
    dialogs.input = [interactive](const QString &caption, const QString &prompt, QString &text) {
        if (!interactive)
            return true;
        std::cerr << caption.toStdString() << ": " << prompt.toStdString() << " ["
                  << text.toStdString() << "] " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line))
            return false;
        if (!line.empty())
            text = QString::fromStdString(line);
        return true;
    };
    dialogs.message = [interactive](const QString &text, const QString &caption, int) {
        if (!interactive)
            return 1;
        std::cerr << caption.toStdString() << ": " << text.toStdString()
                  << "\nButton number (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No) [1] "
                  << std::flush;
        std::string line;
        if (!std::getline(std::cin, line))
            return 2;
        const int button = std::atoi(line.c_str());
        return button >= 1 && button <= 7 ? button : 1;
    };
    return dialogs;
}

} // namespace zel
