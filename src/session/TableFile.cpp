#include "session/TableFile.h"

#include "session/RecordTableError.h"
#include "session/SqliteDatabase.h"
#include "session/SqliteStatement.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <optional>
#include <sqlite3.h>

namespace zel {

namespace {

constexpr int64_t kFormatVersion = 1;
constexpr int kMaxNameAttempts = 1000;
const QString kFormatName = QStringLiteral("zel-table");

const char *const kSchema = R"sql(
CREATE TABLE table_info(key TEXT PRIMARY KEY, value);
CREATE TABLE table_columns(position INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL,
                           size INTEGER NOT NULL, data BLOB NOT NULL, empties BLOB);
CREATE TABLE table_indexes(position INTEGER PRIMARY KEY, name TEXT NOT NULL, fields TEXT NOT NULL);
)sql";

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw RecordTableError(QStringLiteral("%1: %2").arg(path, reason));
}

// Fills the blobs of a row just inserted with zero blobs, from memory the caller keeps:
// SQLite then copies a column once, into its pages, instead of first assembling the whole
// row in a buffer of its own.
class ColumnBlobWriter
{
public:
    ColumnBlobWriter(SqliteDatabase &db, const char *column)
        : m_db(db)
        , m_column(column)
    { }
    ~ColumnBlobWriter()
    {
        if (m_blob)
            sqlite3_blob_close(m_blob);
    }
    ColumnBlobWriter(const ColumnBlobWriter &) = delete;
    ColumnBlobWriter &operator=(const ColumnBlobWriter &) = delete;

    void write(int64_t row, const void *data, size_t size)
    {
        if (size == 0)
            return;
        const int rc = m_blob ? sqlite3_blob_reopen(m_blob, row)
                              : sqlite3_blob_open(m_db.handle(), "main", "table_columns",
                                  m_column, row, 1, &m_blob);
        if (rc != SQLITE_OK || size > size_t(INT_MAX)
            || sqlite3_blob_write(m_blob, data, int(size), 0) != SQLITE_OK)
            m_db.fail(QStringLiteral("writing column %1").arg(row));
    }

    /// Releases the blob handle, so that the transaction can commit.
    void close()
    {
        const int rc = m_blob ? sqlite3_blob_close(m_blob) : SQLITE_OK;
        m_blob = nullptr;
        if (rc != SQLITE_OK)
            m_db.fail(QStringLiteral("writing the columns"));
    }

private:
    SqliteDatabase &m_db;
    const char *m_column;
    sqlite3_blob *m_blob = nullptr;
};

// Page cache for a save: the overflow pages of the largest fixed-width column (the text
// columns of a session are smaller) and a few pages of room, so that a column's zero blob is
// still cached when it is filled in. No more: every cached page is first-touched memory.
// Bounded, as a larger column is only slower to fill, not wrong.
int64_t saveCacheKiB(const TableData &data)
{
    constexpr int64_t kRoomKiB = 512;
    constexpr int64_t kMaxKiB = 64 * 1024;
    size_t largest = 0;
    for (const ColumnStore &column : data.columns)
        largest = std::max(largest, column.fixedData() ? column.fixedDataSize() : 0);
    return std::min(kMaxKiB, kRoomKiB + int64_t(largest / 1024));
}

// Writes the table as a new database at \a file's temporary. Each column stored is counted
// on \a file, which starts the disk on it every few megabytes, so that the disk writes while
// the later columns are being stored rather than all at once in the final sync.
void writeDatabase(AtomicFile &file, const QString &context, const TableData &data)
{
    const QString &fileName = file.temporaryPath();
    SqliteDatabase db(fileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, context);
    // The file is private until renamed, so neither a journal nor ordered writes are needed;
    // large pages keep whole-column blobs in few overflow pages.
    db.exec("PRAGMA page_size=65536; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
    db.exec(QByteArray("PRAGMA cache_size=-" + QByteArray::number(saveCacheKiB(data)))
                .constData());
    db.exec("PRAGMA user_version=1");
    db.exec("BEGIN");
    db.exec(kSchema);
    {
        SqliteStatement info(db, "INSERT INTO table_info(key, value) VALUES(?, ?)");
        info.bindText(1, QStringLiteral("format"));
        info.bindText(2, kFormatName);
        info.step();
        info.reset();
        info.bindText(1, QStringLiteral("row_count"));
        info.bindInt(2, int64_t(data.rowCount));
        info.step();

        SqliteStatement columns(db,
            "INSERT INTO table_columns(position, name, type, size, data, empties) "
            "VALUES(?, ?, ?, ?, ?, ?)");
        ColumnBlobWriter values(db, "data");
        ColumnBlobWriter empties(db, "empties");
        // One buffer serves every variable-width column, so that it is allocated once.
        QByteArray variable;
        for (size_t i = 0; i < data.columns.size(); ++i) {
            const ColumnStore &column = data.columns[i];
            const void *bytes = column.fixedData();
            size_t size = column.fixedDataSize();
            if (!bytes) {
                column.encodeVariableData(variable);
                bytes = variable.constData();
                size = size_t(variable.size());
            }
            const bool hasEmpties = column.empties().any();
            columns.bindInt(1, int64_t(i));
            columns.bindText(2, column.name());
            columns.bindText(3, columnTypeName(column.type()));
            columns.bindInt(4, column.def().size);
            columns.bindZeroBlob(5, size);
            if (hasEmpties)
                columns.bindZeroBlob(6, column.empties().byteCount());
            else
                columns.bindNull(6);
            columns.step();
            columns.reset();
            values.write(int64_t(i), bytes, size);
            if (hasEmpties)
                empties.write(int64_t(i), column.empties().bytes(), column.empties().byteCount());
            file.countWrittenElsewhere(qint64(size));
        }
        values.close();
        empties.close();

        SqliteStatement indexes(
            db, "INSERT INTO table_indexes(position, name, fields) VALUES(?, ?, ?)");
        for (size_t i = 0; i < data.indexes.size(); ++i) {
            indexes.bindInt(1, int64_t(i));
            indexes.bindText(2, data.indexes[i].name);
            indexes.bindText(3, data.indexes[i].fields);
            indexes.step();
            indexes.reset();
        }
    }
    db.exec("COMMIT");
    db.close();
}

int64_t readRowCount(SqliteDatabase &db, const QString &path)
{
    SqliteStatement info(db, "SELECT key, value FROM table_info");
    bool formatSeen = false;
    std::optional<int64_t> rowCount;
    while (info.step()) {
        if (info.columnType(0) != SQLITE_TEXT)
            continue;
        const QString key = info.columnText(0);
        if (key == QLatin1String("format"))
            formatSeen = info.columnType(1) == SQLITE_TEXT && info.columnText(1) == kFormatName;
        else if (key == QLatin1String("row_count") && info.columnType(1) == SQLITE_INTEGER)
            rowCount = info.columnInt(1);
    }
    if (!formatSeen)
        fail(path, QStringLiteral("not a ZEL table file"));
    if (!rowCount || *rowCount < 0 || *rowCount > INT_MAX)
        fail(path, QStringLiteral("row count missing or out of range"));
    return *rowCount;
}

// What the first pass learns of a saved column, before any value is read.
struct SavedColumn
{
    ColumnDef def;
    size_t dataSize = 0;
    std::optional<QByteArray> empties;
};

std::vector<SavedColumn> readColumnHeads(SqliteDatabase &db, const QString &path)
{
    // length() and typeof() of a blob are answered from the record header, without reading
    // the values.
    SqliteStatement columns(db,
        "SELECT position, name, type, size, typeof(data), length(data), empties "
        "FROM table_columns ORDER BY position");
    std::vector<SavedColumn> heads;
    QHash<QString, int> names;
    while (columns.step()) {
        const int position = int(heads.size());
        if (columns.columnType(0) != SQLITE_INTEGER || columns.columnInt(0) != position)
            fail(path, QStringLiteral("column positions are not 0, 1, 2, ..."));
        if (columns.columnType(1) != SQLITE_TEXT || columns.columnType(2) != SQLITE_TEXT
            || columns.columnType(3) != SQLITE_INTEGER || columns.columnText(4) != "blob"
            || (columns.columnType(6) != SQLITE_BLOB && columns.columnType(6) != SQLITE_NULL))
            fail(path, QStringLiteral("column %1 has fields of the wrong type").arg(position));
        SavedColumn head;
        ColumnDef &def = head.def;
        def.name = columns.columnText(1);
        if (def.name.trimmed().isEmpty())
            fail(path, QStringLiteral("column %1 has no name").arg(position));
        if (names.contains(def.name.toCaseFolded()))
            fail(path, QStringLiteral("column name '%1' appears twice").arg(def.name));
        names.insert(def.name.toCaseFolded(), position);
        const QString typeName = columns.columnText(2);
        const auto type = columnTypeFromName(typeName);
        if (!type)
            fail(path,
                QStringLiteral("column '%1' has the unknown type '%2'").arg(def.name, typeName));
        def.type = *type;
        const int64_t size = columns.columnInt(3);
        const bool sizeValid
            = isSizedType(def.type) ? size > 0 && size <= kMaxColumnSize : size == 0;
        if (!sizeValid)
            fail(path,
                QStringLiteral("column '%1' has the invalid size %2")
                    .arg(def.name, QString::number(size)));
        def.size = int(size);
        head.dataSize = size_t(columns.columnInt(5));
        if (columns.columnType(6) == SQLITE_BLOB) {
            head.empties = QByteArray(reinterpret_cast<const char *>(columns.columnBlob(6)),
                qsizetype(columns.columnBytes(6)));
        }
        heads.push_back(std::move(head));
    }
    if (heads.empty())
        fail(path, QStringLiteral("the table has no columns"));
    return heads;
}

// One area for every column's values, sized from what the columns claim; a claim that
// the data cannot back (fewer bytes than rows) is refused when its column is read, so it
// reserves nothing here.
std::shared_ptr<ColumnArena> arenaFor(const std::vector<SavedColumn> &heads, size_t rows)
{
    size_t bytes = 0;
    for (const SavedColumn &head : heads) {
        if (head.dataSize >= rows)
            bytes += ColumnStore::arenaBytes(head.def, rows);
    }
    return bytes >= ColumnArena::kMinimumBytes ? ColumnArena::create(bytes) : nullptr;
}

// Reads the values of a column with incremental blob I/O, so that large
// blobs go from the file straight into their column.
class ColumnBlobReader
{
public:
    explicit ColumnBlobReader(SqliteDatabase &db)
        : m_db(db)
    { }
    ~ColumnBlobReader()
    {
        if (m_blob)
            sqlite3_blob_close(m_blob);
    }
    ColumnBlobReader(const ColumnBlobReader &) = delete;
    ColumnBlobReader &operator=(const ColumnBlobReader &) = delete;

    void open(int position, size_t expectedSize)
    {
        const int rc = m_blob ? sqlite3_blob_reopen(m_blob, position)
                              : sqlite3_blob_open(m_db.handle(), "main", "table_columns", "data",
                                  position, 0, &m_blob);
        if (rc != SQLITE_OK)
            failRead(position);
        if (size_t(sqlite3_blob_bytes(m_blob)) != expectedSize)
            throw RecordTableError(
                QStringLiteral("column %1 changed while it was read").arg(position));
        m_position = position;
    }

    void read(void *target, size_t size)
    {
        if (size > size_t(INT_MAX) || sqlite3_blob_read(m_blob, target, int(size), 0) != SQLITE_OK)
            failRead(m_position);
    }

private:
    [[noreturn]] void failRead(int position) const
    {
        throw RecordTableError(
            QStringLiteral("column %1 cannot be read: %2")
                .arg(QString::number(position), QString::fromUtf8(sqlite3_errmsg(m_db.handle()))));
    }

    SqliteDatabase &m_db;
    sqlite3_blob *m_blob = nullptr;
    int m_position = -1;
};

void readColumns(SqliteDatabase &db, const QString &path, TableData &data)
{
    const std::vector<SavedColumn> heads = readColumnHeads(db, path);
    const std::shared_ptr<ColumnArena> arena = arenaFor(heads, data.rowCount);
    ColumnBlobReader blob(db);
    std::vector<unsigned char> variable;
    static const unsigned char kNone = 0;
    data.columns.reserve(heads.size());
    for (size_t position = 0; position < heads.size(); ++position) {
        const SavedColumn &head = heads[position];
        const unsigned char *empties = head.empties
            ? (head.empties->isEmpty()
                    ? &kNone
                    : reinterpret_cast<const unsigned char *>(head.empties->constData()))
            : nullptr;
        const size_t emptiesSize = head.empties ? size_t(head.empties->size()) : 0;
        ColumnStore store(head.def);
        try {
            if (head.dataSize > 0)
                blob.open(int(position), head.dataSize);
            if (isNumericType(head.def.type)) {
                store.loadFixedData([&blob](void *target, size_t size) { blob.read(target, size); },
                    head.dataSize, empties, emptiesSize, data.rowCount, arena);
            } else {
                variable.resize(head.dataSize);
                if (head.dataSize > 0)
                    blob.read(variable.data(), head.dataSize);
                store.loadData(head.dataSize > 0 ? variable.data() : &kNone, head.dataSize, empties,
                    emptiesSize, data.rowCount, arena);
            }
        } catch (const RecordTableError &error) {
            fail(path, error.message());
        }
        data.columns.push_back(std::move(store));
    }
}

void readIndexes(SqliteDatabase &db, const QString &path, TableData &data)
{
    QHash<QString, int> columnNames;
    for (const ColumnStore &column : data.columns)
        columnNames.insert(column.name().toCaseFolded(), 0);
    QHash<QString, int> indexNames;
    SqliteStatement indexes(
        db, "SELECT position, name, fields FROM table_indexes ORDER BY position");
    while (indexes.step()) {
        const int position = int(data.indexes.size());
        if (indexes.columnType(0) != SQLITE_INTEGER || indexes.columnInt(0) != position)
            fail(path, QStringLiteral("index positions are not 0, 1, 2, ..."));
        if (indexes.columnType(1) != SQLITE_TEXT || indexes.columnType(2) != SQLITE_TEXT)
            fail(path, QStringLiteral("index %1 has fields of the wrong type").arg(position));
        IndexDef index { indexes.columnText(1), indexes.columnText(2) };
        if (index.name.trimmed().isEmpty() || indexNames.contains(index.name.toCaseFolded()))
            fail(path, QStringLiteral("index %1 has a missing or repeated name").arg(position));
        indexNames.insert(index.name.toCaseFolded(), position);
        const QStringList fields = splitFieldNames(index.fields);
        if (fields.isEmpty())
            fail(path, QStringLiteral("index '%1' has no columns").arg(index.name));
        for (const QString &field : fields) {
            if (!columnNames.contains(field.toCaseFolded()))
                fail(path,
                    QStringLiteral("index '%1' names the unknown column '%2'")
                        .arg(index.name, field));
        }
        data.indexes.push_back(std::move(index));
    }
}

} // namespace

void TableFile::save(const QString &path, const TableData &data, AtomicFile::Placement placement)
{
    try {
        AtomicFile file(path, placement);
        writeDatabase(file, QStringLiteral("%1: cannot save").arg(path), data);
        file.commit();
    } catch (const FileExistsError &) {
        throw;
    } catch (const FileError &error) {
        throw RecordTableError(error.message());
    }
}

QString TableFile::saveUnderFreeName(
    const TableData &data, const std::function<QString()> &nextName)
{
    QString path = nextName();
    try {
        AtomicFile file(path, AtomicFile::Placement::NoReplace);
        writeDatabase(file, QStringLiteral("%1: cannot save").arg(path), data);
        // Another writer may take the name between the choice and the rename: the file
        // written stays and goes under the next free name.
        for (int attempt = 0;; ++attempt) {
            try {
                file.commit();
                return path;
            } catch (const FileExistsError &) {
                if (attempt == kMaxNameAttempts)
                    throw;
                path = nextName();
                file.retarget(path);
            }
        }
    } catch (const FileError &error) {
        throw RecordTableError(error.message());
    }
}

TableData TableFile::load(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists())
        fail(path, QStringLiteral("file not found"));
    if (!file.isFile())
        fail(path, QStringLiteral("not a file"));
    if (!file.isReadable())
        fail(path, QStringLiteral("cannot read the file"));

    // immutable=1: no locks, no journal or WAL files looked for or rolled back.
    const QString uri = QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?immutable=1");
    SqliteDatabase db(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
        QStringLiteral("%1: not a ZEL table file").arg(path));
    db.makeDefensive();

    TableData data;
    data.rowCount = size_t(readRowCount(db, path));
    {
        SqliteStatement version(db, "PRAGMA user_version");
        const int64_t found = version.step() ? version.columnInt(0) : 0;
        if (found != kFormatVersion)
            fail(path, QStringLiteral("unsupported table file version %1").arg(found));
    }
    readColumns(db, path, data);
    readIndexes(db, path, data);
    return data;
}

} // namespace zel
