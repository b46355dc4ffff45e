#include "tools/zel/MathsCommand.h"

#include "card/CardColumns.h"
#include "card/CardPaths.h"
#include "common/Error.h"
#include "logger/TMathsChannels.h"
#include "session/TKRO_Data.h"

#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <optional>

namespace zel {

namespace {

const char kUsage[] = "zel maths: usage: zel maths ROOT [--add NAME=FORMULA | --var NAME=VALUE "
                      "| --delete NAME]\n";

enum class Action { List, Add, Var, Delete };

struct MathsOptions
{
    QString root;
    Action action = Action::List;
    QString name;
    QString value; // the formula, or the variable's value as typed
};

std::optional<MathsOptions> parse(const QStringList &args)
{
    MathsOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (options.action == Action::List && hasValue
            && (arg == QLatin1String("--add") || arg == QLatin1String("--var"))) {
            const QString assignment = args[++i];
            const qsizetype eq = assignment.indexOf(u'=');
            if (eq < 0)
                return std::nullopt;
            options.action = arg == QLatin1String("--add") ? Action::Add : Action::Var;
            options.name = assignment.left(eq).trimmed();
            options.value = assignment.mid(eq + 1);
        } else if (options.action == Action::List && hasValue && arg == QLatin1String("--delete")) {
            options.action = Action::Delete;
            options.name = args[++i];
        } else if (options.root.isEmpty() && !arg.startsWith(u'-')) {
            options.root = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.root.isEmpty())
        return std::nullopt;
    return options;
}

[[noreturn]] void fail(const QString &message)
{
    throw Error(message);
}

QString numberText(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

// A variable's value as typed; every row of an import would fail on NaN or an infinity.
double variableValue(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok && !std::isinf(value))
        fail(QStringLiteral("\"%1\" is not a number").arg(text));
    if (!std::isfinite(value))
        fail(QStringLiteral("\"%1\" is not a finite number").arg(text));
    return value;
}

void list(const TMathsChannels &maths, QTextStream &out)
{
    for (int i = 0; i < maths.RecordCount(); ++i)
        out << "channel\t" << maths.record(i).name() << '\t'
            << maths.FormulaText(i).join(QLatin1Char(' ')) << '\n';
    for (int j = 0; j < maths.VarCount(); ++j) {
        const MathsRecord &record = maths.record(TMathsChannels::kVariableBase + j);
        out << "variable\t" << record.name() << '\t' << numberText(record.Value) << '\n';
    }
}

} // namespace

int runMathsCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<MathsOptions> options = parse(args);
    if (!options) {
        err << kUsage;
        return 1;
    }
    const CardPaths card(options->root);
    const QString mathsFile = card.mathsFile();
    const bool exists = QFileInfo(mathsFile).isFile();

    TKRO_Data data;
    TMathsChannels &maths = data.MathsChannels1();
    maths.setMathsFileName(mathsFile);
    if (options->action == Action::List) {
        // A card without a maths table simply has no maths channels.
        if (exists) {
            maths.LoadMathsTables();
            if (!maths.loadWarning().isEmpty())
                err << "zel maths: " << maths.loadWarning() << '\n';
            list(maths, out);
        }
        return 0;
    }
    if (!QFileInfo(card.dataFolder()).isDir())
        fail(QStringLiteral("\"%1\" has no Data folder").arg(options->root));

    const CardColumns columns(card);
    if (options->action != Action::Delete) {
        const QString nameError = columns.mathsNameError(options->name);
        if (!nameError.isEmpty())
            fail(nameError);
    }
    if (exists)
        maths.LoadMathsTables();
    else if (options->action == Action::Delete)
        fail(QStringLiteral("\"%1\" has no maths channel or variable \"%2\"")
                 .arg(options->root, options->name));

    double value = 0;
    if (options->action == Action::Add) {
        // Tested as an import would see it: the maths variables and the log's columns, the
        // channels at 0; other maths channels are not among them. A formula whose test
        // fails is refused here.
        data.PrepareComputation(columns.logChannels());
        int position = -1;
        const QString message = data.TestFormula(options->value, position);
        if (data.TestRefused()) {
            err << "zel maths: " << message.simplified() << " (position " << position << ")\n";
            return 1;
        }
        out << message << '\n';
    } else if (options->action == Action::Var) {
        value = variableValue(options->value);
    }

    if (!exists)
        maths.CreateMathsTables();
    switch (options->action) {
    case Action::Add:
        maths.AddFormula(options->name, options->value);
        break;
    case Action::Var:
        maths.AddVariable(options->name, 0, value);
        break;
    case Action::Delete: {
        const int formula = maths.FindFormula(options->name);
        const int variable = maths.FindVariable(options->name);
        if (formula < 0 && variable < 0)
            fail(QStringLiteral("\"%1\" has no maths channel or variable \"%2\"")
                     .arg(options->root, options->name));
        if (formula >= 0)
            maths.DeleteFormula(formula);
        else
            maths.DeleteVariable(variable);
        break;
    }
    case Action::List:
        break;
    }
    maths.CloseMathsTables();
    return 0;
}

} // namespace zel
