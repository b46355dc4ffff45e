#include "tools/zel/ExportCommand.h"

#include "common/Error.h"
#include "session/NumberText.h"
#include "session/RecordTable.h"
#include "session/SessionColumns.h"

#include <QFileInfo>
#include <QSaveFile>

namespace zel {

namespace {

const char kUsage[] = "zel export: usage: zel export TABLE.kro --csv OUT.csv\n";

[[noreturn]] void fail(const QString &message)
{
    throw Error(message);
}

// A CSV field: quoted, with doubled quotes, only when it holds a separator, quote or break.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n')
        && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

// Numbers in the C locale at full precision (the shortest text that reads back the same);
// dates as "yyyy-MM-dd hh:mm:ss" text; an empty cell as an empty field.
QByteArray cellText(RecordTable &table, int column, int row)
{
    if (table.isNullAt(column, row))
        return {};
    switch (table.column(column).type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
    case ColumnType::Boolean:
        return QByteArray::number(qint64(table.numberAt(column, row)));
    case ColumnType::Real:
        return textFromNumber(table.numberAt(column, row)).toLatin1();
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Text:
    case ColumnType::Memo:
        return csvField(table.field(column).asText());
    case ColumnType::Blob:
    case ColumnType::Bytes:
        return table.field(column).asBytes().toHex();
    }
    return {};
}

} // namespace

int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString tablePath;
    QString csvPath;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--csv") && i + 1 < args.size() && csvPath.isEmpty()) {
            csvPath = args[++i];
        } else if (tablePath.isEmpty() && !args[i].startsWith(u'-')) {
            tablePath = args[i];
        } else {
            err << kUsage;
            return 1;
        }
    }
    if (tablePath.isEmpty() || csvPath.isEmpty()) {
        err << kUsage;
        return 1;
    }
    if (!QFileInfo(tablePath).isFile())
        fail(QStringLiteral("\"%1\" does not exist or is not a file").arg(tablePath));

    RecordTable table;
    table.loadFromFile(tablePath);
    const int recordType = table.findColumn(SessionColumns::name(SessionColumns::RecordType));
    if (recordType >= 0 && isNumericType(table.column(recordType).type)) {
        table.setFilter(QStringLiteral("RecordType = %1").arg(SessionColumns::kDataRow));
        table.setFiltered(true);
    }

    QSaveFile file(csvPath);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot write \"%1\": %2").arg(csvPath, file.errorString()));
    QByteArray line;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0)
            line += ',';
        line += csvField(table.column(c).name);
    }
    line += '\n';
    file.write(line);
    const int rows = table.recordCount();
    for (int position = 0; position < rows; ++position) {
        const int row = table.viewRow(position);
        line.clear();
        // Text cells are read through the cursor; the others straight from storage.
        table.setRecNo(position);
        for (int c = 0; c < table.columnCount(); ++c) {
            if (c > 0)
                line += ',';
            line += cellText(table, c, row);
        }
        line += '\n';
        if (file.write(line) != line.size())
            break;
    }
    if (!file.commit())
        fail(QStringLiteral("Cannot write \"%1\": %2").arg(csvPath, file.errorString()));
    out << "Exported " << rows << " rows to " << csvPath << "\n";
    return 0;
}

} // namespace zel
