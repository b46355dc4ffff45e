#include "app/ProgramStart.h"
#include "ui/HeapTuning.h"
#include "ui/QtUserDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

int main(int argc, char **argv)
{
    zel::keepLargeBlocksInHeap();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZEL"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL Data Analyzer"));
    zel::QtUserDialogs dialogs;
    zel::Program program
        = zel::startProgram(QCoreApplication::applicationDirPath(), dialogs, zel::folderWritable,
            [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    program.window->showMaximized();
    return app.exec();
}
