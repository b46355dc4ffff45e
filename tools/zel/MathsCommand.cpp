#include "tools/zel/MathsCommand.h"

#include "common/Error.h"
#include "formula/TFormulaError.h"
#include "logger/TKROSettings.h"
#include "logger/TMathsChannels.h"
#include "session/SessionColumns.h"
#include "session/SessionFileName.h"
#include "session/TKRO_Data.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
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

// The columns a formula can name when a log of this card is imported: the session log's
// fixed columns a formula may use, then the card's channels.
QStringList cardChannelColumns(const QString &dataFolder)
{
    QStringList columns;
    const QString settingsFile = existingFileName(dataFolder, QStringLiteral("Settings.prm"));
    if (!QFileInfo(settingsFile).isFile())
        return columns;
    TKROSettings settings;
    settings.setSettingsFileName(settingsFile);
    settings.LoadSettingsTable();
    for (const QString &raw : settings.ChannelNames()) {
        const QString name = SessionColumns::cleanChannelName(raw.trimmed()).trimmed();
        if (!name.isEmpty() && !columns.contains(name, Qt::CaseInsensitive))
            columns << name;
    }
    return columns;
}

// A maths name must not be a column of the session log: its results would overwrite the
// logged data.
void refuseColumnName(const QString &name, const QStringList &cardColumns)
{
    QStringList fixed;
    for (int c = 0; c < SessionColumns::FirstChannel; ++c)
        fixed << SessionColumns::name(SessionColumns::Column(c));
    if (fixed.contains(name, Qt::CaseInsensitive) || cardColumns.contains(name, Qt::CaseInsensitive))
        fail(QStringLiteral("\"%1\" is a column of the session log").arg(name));
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

int indexOfFormula(const TMathsChannels &maths, const QString &name)
{
    for (int i = 0; i < maths.RecordCount(); ++i) {
        if (maths.record(i).name() == name)
            return i;
    }
    return -1;
}

int recordOfVariable(const TMathsChannels &maths, const QString &name)
{
    for (int j = 0; j < maths.VarCount(); ++j) {
        if (maths.record(TMathsChannels::kVariableBase + j).name() == name)
            return TMathsChannels::kVariableBase + j;
    }
    return -1;
}

} // namespace

int runMathsCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<MathsOptions> options = parse(args);
    if (!options) {
        err << kUsage;
        return 1;
    }
    const QString dataFolder = existingFileName(options->root, QStringLiteral("Data"));
    const QString mathsFile = existingFileName(dataFolder, QStringLiteral("Maths.prm"));
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
    if (!QFileInfo(dataFolder).isDir())
        fail(QStringLiteral("\"%1\" has no Data folder").arg(options->root));

    const QStringList cardColumns = cardChannelColumns(dataFolder);
    if (options->action != Action::Delete) {
        const QString nameError = TMathsChannels::NameError(options->name);
        if (!nameError.isEmpty())
            fail(nameError);
        refuseColumnName(options->name, cardColumns);
    }
    if (exists)
        maths.LoadMathsTables();
    else if (options->action == Action::Delete)
        fail(QStringLiteral("\"%1\" has no maths channel or variable \"%2\"")
                 .arg(options->root, options->name));

    double variableValue = 0;
    if (options->action == Action::Add) {
        // Tested as an import would see it: the maths variables and the log's columns, the
        // channels at 0; other maths channels are not among them.
        data.PrepareComputation(SessionColumns::logChannelColumns() + cardColumns);
        int position = -1;
        const QString message = data.TestFormula(options->value, position);
        if (data.TestRefused()) {
            err << "zel maths: " << message.simplified() << " (position " << position << ")\n";
            return 1;
        }
        out << message << '\n';
    } else if (options->action == Action::Var) {
        bool ok = false;
        variableValue = QLocale::c().toDouble(options->value.trimmed(), &ok);
        if (!ok)
            fail(QStringLiteral("\"%1\" is not a number").arg(options->value));
    }

    if (!exists)
        maths.CreateMathsTables();
    switch (options->action) {
    case Action::Add:
        maths.AddFormula(options->name, options->value);
        break;
    case Action::Var:
        maths.AddVariable(options->name, 0, variableValue);
        break;
    case Action::Delete: {
        const int formula = indexOfFormula(maths, options->name);
        const int variable = recordOfVariable(maths, options->name);
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
