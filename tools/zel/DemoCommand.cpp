#include "tools/zel/DemoCommand.h"

#include "card/DemoCard.h"
#include "track/DemoTrack.h"

#include <QDir>

namespace zel {

int runDemoCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1 || args.first().startsWith(u'-')) {
        err << "zel demo: usage: zel demo ROOT\n";
        return 1;
    }
    const QStringList logs = DemoCard().write(args.first());
    const QStringList track = writeDemoTrack(QDir(args.first()).filePath(QStringLiteral("Data")));
    out << "Demo card written to " << QDir::toNativeSeparators(args.first()) << "\n";
    for (const QString &file : logs + track)
        out << "  " << QDir::toNativeSeparators(file) << "\n";
    return 0;
}

} // namespace zel
