#include "dashmanager/FormulaInsertion.h"

#include <QHash>
#include <algorithm>

namespace zel {

namespace {

FormulaSource insertAt(FormulaSource source, int position, qsizetype replaced, const QString &text)
{
    position = std::clamp(position, 0, int(source.text.size()));
    source.text.replace(position, replaced, text);
    source.caret = position + int(text.size());
    return source;
}

} // namespace

const QStringList &formulaOperators()
{
    static const QStringList operators { "+", "-", "*", "\\", "mod", "div", "^", "=", "(", ")", ",",
        ">", "<", ">=", "<=", "<>", "not", "and", "or", "xor", "true", "false", "++", "--",
        "if then endif", "if then else endd", "var end", "begin", "end" };
    return operators;
}

const QStringList &formulaFunctions()
{
    static const QStringList functions {
        "AirPower(Air desity,Surface Area,Friction Coefficient,Velocity)",
        "PowerAtWheels(Weight,Velocity,G-Force)",
        "PowerAtEngine(Weight,Velocity,G-Force,DriveTrain)", "PowerToTorque(Power,RPM)",
        "KPHToMetersPerSecond(speed)", "MPHToFeetPerSecond(speed)", "RPMToRadians(RPM)",
        "DegreesToRadians(Degrees)", "return(#)", "sin(#)", "cos(#)", "tan(#)", "asin(#)",
        "acos(#)", "atan(#)", "cosh(#)", "sinh(#)", "tanh(#)", "asinh(#)", "acosh(#)", "atanh(#)",
        "exp(#)", "sqrt(#)", "abs(#)", "max(#,#)", "min(#,#)", "avg(#,#)", "sum(#,#)",
        "variance(#,#)", "frac(#)", "int(#)", "pi", "iff(#,#,#)"
    };
    return functions;
}

FormulaSource insertOperator(FormulaSource source, const QString &entry)
{
    static const QHash<QString, QString> templates {
        { "if then endif", "if (condition) then (do these statments;) endif;" },
        { "if then else endd",
            "if (condition) then (do these statments;) else (do these ones;) endd;" },
        { "var end", "var type variable names with quotes here end;" },
    };
    const auto found = templates.constFind(entry);
    const QString text = found != templates.cend() ? *found : entry + u' ';
    const int caret = source.caret;
    return insertAt(std::move(source), caret, 0, text);
}

FormulaSource insertOperand(FormulaSource source, const QString &entry)
{
    const int placeholder = int(source.text.indexOf(u'#'));
    if (placeholder >= 0)
        return insertAt(std::move(source), placeholder, 1, entry);
    const int caret = source.caret;
    return insertAt(std::move(source), caret, 0, entry);
}

} // namespace zel
