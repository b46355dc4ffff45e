#include "tools/zel/TemplatesCommand.h"

#include "card/InitialisationTemplates.h"

#include <QDir>

namespace zel {

int runTemplatesCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1 || args.first().startsWith(u'-')) {
        err << "zel templates: usage: zel templates DIR\n";
        return 1;
    }
    writeInitialisationTemplates(args.first());
    out << "Initialisation templates written to "
        << QDir::toNativeSeparators(QDir(args.first()).filePath(QStringLiteral("Initialisation")))
        << "\n";
    return 0;
}

} // namespace zel
