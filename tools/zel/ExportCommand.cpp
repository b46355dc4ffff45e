#include "tools/zel/ExportCommand.h"

#include "common/AtomicFile.h"
#include "common/DateTimeValue.h"
#include "session/NumberText.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>
#include <sys/stat.h>

namespace zel {

namespace {

const char kUsage[] = "zel export: usage: zel export TABLE.kro --csv OUT.csv|- [--overwrite]\n";
constexpr qsizetype kChunkBytes = 1 << 20;

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

// A CSV field: quoted, with doubled quotes, only when it holds a separator, quote or break.
void appendField(QByteArray &line, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n')
        && !bytes.contains('\r')) {
        line += bytes;
        return;
    }
    line += '"';
    line += QByteArray(bytes).replace("\"", "\"\"");
    line += '"';
}

// Non-finite numbers are spelled as C's strtod and most data tools read them back.
void appendReal(QByteArray &line, double value)
{
    if (std::isnan(value))
        line += "nan";
    else if (std::isinf(value))
        line += value < 0 ? "-inf" : "inf";
    else
        line += textFromNumber(value).toLatin1();
}

// A date outside the years 1 to 9999 has no date text; like a missing date, it stays empty.
void appendDate(QByteArray &line, RecordTable &table, int column, int row)
{
    const QDateTime value = dateTimeFromDays(table.numberAt(column, row));
    if (!value.isValid() || value.date().year() < 1 || value.date().year() > 9999)
        return;
    appendField(line, table.textAt(column, row));
}

// Numbers in the C locale at full precision (the shortest text that reads back the same);
// dates as "yyyy-MM-dd hh:mm:ss" text; an empty cell as an empty field.
void appendCell(QByteArray &line, RecordTable &table, int column, int row)
{
    if (table.isNullAt(column, row))
        return;
    switch (table.column(column).type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
    case ColumnType::Boolean:
        line += QByteArray::number(qint64(table.numberAt(column, row)));
        return;
    case ColumnType::Real:
        appendReal(line, table.numberAt(column, row));
        return;
    case ColumnType::DateTime:
    case ColumnType::Date:
        appendDate(line, table, column, row);
        return;
    case ColumnType::Text:
    case ColumnType::Memo:
        appendField(line, table.textAt(column, row));
        return;
    case ColumnType::Blob:
    case ColumnType::Bytes:
        line += table.field(column).asBytes().toHex();
        return;
    }
}

// Writes the CSV text in chunks to \a sink; gives the number of data rows.
template <typename Sink> int writeCsv(RecordTable &table, Sink &&sink)
{
    QByteArray chunk;
    chunk.reserve(kChunkBytes + 4096);
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0)
            chunk += ',';
        appendField(chunk, table.column(c).name);
    }
    chunk += '\n';
    const int rows = table.recordCount();
    for (int position = 0; position < rows; ++position) {
        const int row = table.viewRow(position);
        // Only byte cells are read through the cursor.
        table.setRecNo(position);
        for (int c = 0; c < table.columnCount(); ++c) {
            if (c > 0)
                chunk += ',';
            appendCell(chunk, table, c, row);
        }
        chunk += '\n';
        if (chunk.size() >= kChunkBytes) {
            sink(chunk);
            chunk.clear();
        }
    }
    sink(chunk);
    return rows;
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

    if (toStandardOutput) {
        const int rows = writeCsv(table, [&](const QByteArray &bytes) {
            out << QString::fromUtf8(bytes);
        });
        out.flush();
        err << "Exported " << rows << " rows\n";
        return 0;
    }
    // The file takes its name only once complete, and only if no file took it meanwhile.
    AtomicFile file(options->csv,
        options->overwrite ? AtomicFile::Placement::Replace : AtomicFile::Placement::NoReplace);
    const int rows = writeCsv(table, [&](const QByteArray &bytes) { file.write(bytes); });
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
