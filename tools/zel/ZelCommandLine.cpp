#include "tools/zel/ZelCommandLine.h"

#include "tools/zel/DemoCommand.h"
#include "tools/zel/EvalCommand.h"
#include "tools/zel/ExportCommand.h"
#include "tools/zel/ImportCommand.h"
#include "tools/zel/InfoCommand.h"
#include "tools/zel/MathsCommand.h"
#include "tools/zel/TemplatesCommand.h"
#include "tools/zel/TerminalText.h"

#include <exception>

namespace zel {

namespace {

struct Command
{
    const char *name;
    const char *usage;
    const char *summary;
    int (*run)(const QStringList &args, QTextStream &out, QTextStream &err);
};

const Command kCommands[] = {
    {"info", "info [--json] FILE",
     "describe a raw .Dsh log, a card table (Settings.prm, Translation.prm, sector or "
     "message file) or a saved table (.kro, .map, ...)",
     runInfoCommand},
    {"eval", "eval FORMULA [NAME=VALUE ...]",
     "compile and run a formula with the given variables (a VALUE that reads as a number "
     "is a number, else a text) and print the result",
     runEvalCommand},
    {"import", "import RAW.Dsh [--card ROOT] [--data DIR] [-o OUT.kro] [--overwrite]",
     "turn a raw log into a session log: OUT.kro (never replaced unless --overwrite), "
     "else DIR/<card ID>/<log name>.kro; logs of more than 180000 records are saved in "
     "numbered parts there",
     runImportCommand},
    {"export", "export TABLE.kro --csv OUT.csv|- [--overwrite]",
     "write the data rows of a session log (or any saved table) as CSV to OUT.csv (never "
     "replaced unless --overwrite) or, for -, to standard output",
     runExportCommand},
    {"maths", "maths ROOT [--add NAME=FORMULA | --var NAME=VALUE | --delete NAME]",
     "list the maths channels and variables of the card at ROOT (ROOT/Data/Maths.prm), or add "
     "or replace a maths channel (refused when its formula does not compile), add or replace "
     "a variable, or delete either by name",
     runMathsCommand},
    {"demo", "demo ROOT",
     "write a demo card: initialised Data folder and raw logs of laps on a synthetic circuit",
     runDemoCommand},
    {"templates", "templates DIR",
     "write the card initialisation templates (settings, translations and placeholder dash "
     "files for every dash model and ECU) under the program folder DIR",
     runTemplatesCommand},
};

void printHelp(QTextStream &out)
{
    out << "ZEL Data Analyzer command-line tool\n\nUsage: zel COMMAND [ARGS]\n\nCommands:\n";
    for (const Command &c : kCommands)
        out << "  zel " << c.usage << "\n      " << c.summary << "\n";
    out.flush();
}

} // namespace

int runZel(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty() || args.first() == QLatin1String("--help")
        || args.first() == QLatin1String("-h") || args.first() == QLatin1String("help")) {
        printHelp(args.isEmpty() ? err : out);
        return args.isEmpty() ? 1 : 0;
    }
    for (const Command &c : kCommands) {
        if (args.first() != QLatin1String(c.name))
            continue;
        try {
            const int status = c.run(args.mid(1), out, err);
            out.flush();
            err.flush();
            return status;
        } catch (const std::exception &e) {
            out.flush();
            err << "zel " << c.name << ": "
                << escapeControlCharacters(QString::fromUtf8(e.what()).simplified()) << "\n";
            err.flush();
            return 1;
        }
    }
    err << "zel: unknown command \"" << args.first() << "\" (see zel --help)\n";
    err.flush();
    return 1;
}

} // namespace zel
