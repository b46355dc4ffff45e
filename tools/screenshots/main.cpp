// Renders the program's windows offscreen into PNG files, for the README and for looking at
// the windows without a display: `zel-screenshots PROGRAM_FOLDER OUT_FOLDER LOG...` opens
// the session logs in the main window as a user would and saves one picture per state.
#include "app/ProgramStart.h"
#include "ui/ScriptedUserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

namespace {

bool save(QWidget &window, const QString &file)
{
    QApplication::processEvents();
    if (window.grab().save(file))
        return true;
    std::fprintf(stderr, "zel-screenshots: cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: zel-screenshots PROGRAM_FOLDER OUT_FOLDER LOG...\n");
        return 2;
    }
    QDir().mkpath(args[1]);
    zel::ScriptedUserDialogs dialogs;
    zel::Program program = zel::startProgram(
        args[0], dialogs, zel::folderWritable, [](const QString &) { });
    zel::TMainForm &window = *program.window;
    window.resize(1400, 860);
    window.show();
    for (const QString &log : args.mid(2))
        window.OpenLogFile(log);
    bool ok = save(window, args[1] + QStringLiteral("/main-window.png"));
    for (const zel::ShownDialog &shown : dialogs.shown())
        std::fprintf(stderr, "zel-screenshots: the window said: %s\n", qPrintable(shown.text));
    return ok && dialogs.shown().isEmpty() ? 0 : 1;
}
