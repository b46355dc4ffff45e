#include "tools/zel/InfoCommand.h"

#include "common/Error.h"
#include "tools/zel/CardTableInfo.h"
#include "tools/zel/RawLogInfo.h"
#include "tools/zel/SavedTableInfo.h"

#include <QFileInfo>


namespace zel {

namespace {

InfoReport reportFor(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("\"%1\" does not exist").arg(path));
    if (!info.isFile())
        throw Error(QStringLiteral("\"%1\" is not a file").arg(path));
    if (info.suffix().compare(QLatin1String("dsh"), Qt::CaseInsensitive) == 0)
        return rawLogReport(path);
    if (looksLikeSavedTable(path))
        return savedTableReport(path);
    if (const LoggerTableKind kind = loggerTableKind(path); kind != LoggerTableKind::Unknown)
        return cardTableReport(path, kind);
    throw Error(QStringLiteral("\"%1\" is not a file zel knows: expected a raw log (.Dsh), "
                               "Settings.prm, Translation.prm, a sector (.prc) or message (.msg) "
                               "file, or a saved table")
                    .arg(path));
}

} // namespace

int runInfoCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    bool json = false;
    QString path;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (path.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            path = arg;
        } else {
            err << "zel info: usage: zel info [--json] FILE\n";
            return 1;
        }
    }
    if (path.isEmpty()) {
        err << "zel info: usage: zel info [--json] FILE\n";
        return 1;
    }
    const InfoReport report = reportFor(path);
    if (json)
        report.printJson(out);
    else
        report.printText(out);
    return 0;
}

} // namespace zel
