#include "tools/zel/ExportCommand.h"

#include "common/AtomicFile.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"
#include "tools/zel/CsvTableWriter.h"
#include "tools/zel/TextStreamBytes.h"

#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sys/stat.h>

namespace zel {

namespace {

const char kUsage[] = "zel export: usage: zel export TABLE.kro --csv OUT.csv|- [--overwrite]\n";

struct ExportOptions
{
    QString table;
    QString csv;
    bool overwrite = false;
};

std::optional<ExportOptions> parse(const QStringList &args)
{
    ExportOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--csv") && i + 1 < args.size() && options.csv.isEmpty()
            && !args[i + 1].isEmpty())
            options.csv = args[++i];
        else if (arg == QLatin1String("--overwrite"))
            options.overwrite = true;
        else if (options.table.isEmpty() && !arg.isEmpty() && !arg.startsWith(u'-'))
            options.table = arg;
        else
            return std::nullopt;
    }
    if (options.table.isEmpty() || options.csv.isEmpty())
        return std::nullopt;
    return options;
}

[[noreturn]] void fail(const QString &message)
{
    throw Error(message);
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

// Refuses a target that would lose something: the table itself (by any name), anything
// that is not a plain file, and an existing file unless replacing it was asked for.
void checkTarget(const ExportOptions &options)
{
    if (sameFile(options.csv, options.table))
        fail(QStringLiteral("\"%1\" is the table being exported; choose another file")
                 .arg(options.csv));
    const QFileInfo target(options.csv);
    if (!target.exists() && !target.isSymLink())
        return;
    if (!target.isFile() && !target.isSymLink())
        fail(QStringLiteral("\"%1\" is not a regular file; use --csv - to write to standard "
                            "output")
                 .arg(options.csv));
    if (!options.overwrite)
        fail(QStringLiteral("\"%1\" already exists; use --overwrite to replace it")
                 .arg(options.csv));
}

} // namespace

int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<ExportOptions> options = parse(args);
    if (!options) {
        err << kUsage;
        return 1;
    }
    if (!QFileInfo(options->table).isFile())
        fail(QStringLiteral("\"%1\" does not exist or is not a file").arg(options->table));
    const bool toStandardOutput = options->csv == QLatin1String("-");
    if (!toStandardOutput)
        checkTarget(*options);

    RecordTable table;
    table.loadFromFile(options->table);
    const int recordType = table.findColumn(SessionColumns::name(SessionColumns::RecordType));
    if (recordType >= 0 && isNumericType(table.column(recordType).type)) {
        table.setFilter(QStringLiteral("RecordType = %1").arg(SessionColumns::kDataRow));
        table.setFiltered(true);
    }

    const CsvTableWriter csv(table);
    if (toStandardOutput) {
        TextStreamBytes bytes(out);
        const int rows = csv.write([&](QByteArrayView piece) { bytes.write(piece); });
        bytes.finish();
        err << "Exported " << rows << " rows\n";
        return 0;
    }
    // The file takes its name only once complete, and only if no file took it meanwhile.
    AtomicFile file(options->csv,
        options->overwrite ? AtomicFile::Placement::Replace : AtomicFile::Placement::NoReplace);
    const int rows = csv.write([&](QByteArrayView piece) { file.write(piece); });
    try {
        file.commit();
    } catch (const FileExistsError &) {
        fail(QStringLiteral("\"%1\" already exists; use --overwrite to replace it")
                 .arg(options->csv));
    }
    out << "Exported " << rows << " rows to " << options->csv << "\n";
    return 0;
}

} // namespace zel
