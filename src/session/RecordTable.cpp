#include "session/RecordTable.h"

#include "session/TableFile.h"

#include <algorithm>
#include <exception>

namespace zel {

namespace {

QString folded(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

QHash<QString, int> nameIndex(const std::vector<ColumnStore> &columns)
{
    QHash<QString, int> names;
    names.reserve(qsizetype(columns.size()));
    for (size_t i = 0; i < columns.size(); ++i)
        names.insert(folded(columns[i].name()), int(i));
    return names;
}

} // namespace

RecordTable::RecordTable(QObject *parent)
    : QObject(parent)
{ }

// Structure

void RecordTable::requireOpen() const
{
    if (!m_open)
        throw RecordTableError(QStringLiteral("The table is not open"));
}

void RecordTable::requireClosed(const char *operation) const
{
    if (m_open) {
        throw RecordTableError(
            QStringLiteral("Cannot %1 while the table is open").arg(QLatin1String(operation)));
    }
}

void RecordTable::addColumn(const QString &name, ColumnType type, int size)
{
    requireClosed("define columns");
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        throw RecordTableError(QStringLiteral("A column needs a name"));
    if (m_columnByName.contains(folded(trimmed)))
        throw RecordTableError(QStringLiteral("Column '%1' already exists").arg(trimmed));
    if (isSizedType(type) && (size <= 0 || size > kMaxColumnSize)) {
        throw RecordTableError(QStringLiteral("Column '%1' needs a size from 1 to %2")
                                   .arg(trimmed, QString::number(kMaxColumnSize)));
    }
    m_data.columns.emplace_back(ColumnDef { trimmed, type, isSizedType(type) ? size : 0 });
    m_columnByName.insert(folded(trimmed), columnCount() - 1);
}

void RecordTable::clearColumns()
{
    requireClosed("remove columns");
    m_data = TableData();
    m_columnByName.clear();
    m_indexName.clear();
    m_indexFields.clear();
    m_orderColumns.clear();
    m_tests.clear();
}

void RecordTable::open()
{
    if (m_open)
        return;
    if (m_data.columns.empty())
        throw RecordTableError(QStringLiteral("Cannot open a table without columns"));
    // Columns may have changed since the filter and order were set.
    std::vector<ResolvedTest> tests = m_filtered ? resolveFilter() : std::vector<ResolvedTest>();
    QString fields = m_indexFields;
    if (!m_indexName.isEmpty()) {
        const auto index = std::find_if(m_data.indexes.begin(), m_data.indexes.end(),
            [this](const IndexDef &d) { return folded(d.name) == folded(m_indexName); });
        if (index == m_data.indexes.end())
            throw RecordTableError(QStringLiteral("Index '%1' not found").arg(m_indexName));
        fields = index->fields;
    }
    std::vector<int> order = resolveFields(fields);
    m_tests = std::move(tests);
    m_orderColumns = std::move(order);
    resetRows();
    m_open = true;
    changed();
}

void RecordTable::close()
{
    resetRows();
    m_open = false;
    changed();
}

void RecordTable::emptyTable()
{
    requireOpen();
    resetRows();
    changed();
}

void RecordTable::reserveRows(int rows)
{
    const size_t count = size_t(std::max(rows, 0));
    size_t bytes = 0;
    for (const ColumnStore &column : m_data.columns)
        bytes += ColumnStore::arenaBytes(column.def(), count);
    const std::shared_ptr<ColumnArena> arena
        = bytes >= ColumnArena::kMinimumBytes ? ColumnArena::create(bytes) : nullptr;
    for (ColumnStore &column : m_data.columns) {
        if (arena)
            column.reserveIn(arena, count);
        else
            column.reserve(count);
    }
    m_view.reserve(count);
}

void RecordTable::resetRows()
{
    for (ColumnStore &column : m_data.columns)
        column.clearRows();
    m_data.rowCount = 0;
    m_state = State::Browse;
    m_editRow = -1;
    m_editSnapshot.clear();
    m_view.clear();
    m_view.shrink_to_fit();
    m_viewDirty = false;
    m_position = -1;
    m_current = -1;
    m_eof = m_bof = true;
}

const ColumnDef &RecordTable::column(int index) const
{
    return columnStore(index).def();
}

const ColumnStore &RecordTable::columnStore(int column) const
{
    if (column < 0 || column >= columnCount())
        throw RecordTableError(QStringLiteral("Column number %1 does not exist").arg(column));
    return m_data.columns[size_t(column)];
}

int RecordTable::columnIndex(const QString &name) const
{
    const int index = findColumn(name);
    if (index < 0)
        throw RecordTableError(QStringLiteral("Column '%1' not found").arg(name));
    return index;
}

int RecordTable::findColumn(const QString &name) const
{
    return m_columnByName.value(folded(name), -1);
}

void RecordTable::rebuildNameIndex()
{
    m_columnByName = nameIndex(m_data.columns);
}

// Indexes and order

std::vector<int> RecordTable::resolveFields(const QString &fields) const
{
    std::vector<int> columns;
    for (const QString &name : splitFieldNames(fields))
        columns.push_back(columnIndex(name));
    return columns;
}

void RecordTable::addIndex(const QString &name, const QString &fields)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        throw RecordTableError(QStringLiteral("An index needs a name"));
    for (const IndexDef &index : m_data.indexes) {
        if (folded(index.name) == folded(trimmed))
            throw RecordTableError(QStringLiteral("Index '%1' already exists").arg(trimmed));
    }
    if (resolveFields(fields).empty())
        throw RecordTableError(QStringLiteral("Index '%1' names no column").arg(trimmed));
    m_data.indexes.push_back({ trimmed, fields });
}

void RecordTable::setIndexName(const QString &name)
{
    std::vector<int> order;
    if (!name.trimmed().isEmpty()) {
        const auto index = std::find_if(m_data.indexes.begin(), m_data.indexes.end(),
            [&](const IndexDef &d) { return folded(d.name) == folded(name); });
        if (index == m_data.indexes.end())
            throw RecordTableError(QStringLiteral("Index '%1' not found").arg(name));
        order = resolveFields(index->fields);
    }
    if (m_open)
        checkBrowseMode();
    m_indexName = name.trimmed();
    m_indexFields.clear();
    m_orderColumns = std::move(order);
    m_viewDirty = true;
    changed();
}

void RecordTable::setIndexFieldNames(const QString &fields)
{
    std::vector<int> order = resolveFields(fields);
    if (m_open)
        checkBrowseMode();
    m_indexFields = fields;
    m_indexName.clear();
    m_orderColumns = std::move(order);
    m_viewDirty = true;
    changed();
}

void RecordTable::SortOn(const QString &fields)
{
    setIndexFieldNames(fields);
}

int RecordTable::compareRowKeys(uint32_t a, uint32_t b) const
{
    for (int column : m_orderColumns) {
        if (const int c = m_data.columns[size_t(column)].compareRows(a, b))
            return c;
    }
    return 0;
}

int RecordTable::compareToKeys(uint32_t row, const std::vector<ColumnStore::Key> &keys) const
{
    for (size_t i = 0; i < keys.size(); ++i) {
        if (const int c = m_data.columns[size_t(m_orderColumns[i])].compareToKey(row, keys[i]))
            return c;
    }
    return 0;
}

// Filter

std::vector<RecordTable::ResolvedTest> RecordTable::resolveFilter() const
{
    std::vector<ResolvedTest> tests;
    const TableFilter filter = TableFilter::parse(m_filterText);
    for (const TableFilter::Test &test : filter.tests()) {
        const int column = findColumn(test.column);
        if (column < 0) {
            throw RecordTableError(QStringLiteral("Filter \"%1\": column '%2' not found")
                                       .arg(m_filterText, test.column));
        }
        const auto key = m_data.columns[size_t(column)].keyFor(test.value);
        if (!key) {
            throw RecordTableError(
                QStringLiteral("Filter \"%1\": '%2' cannot be compared with column '%3'")
                    .arg(m_filterText, test.value.toString(), test.column));
        }
        tests.push_back({ column, *key });
    }
    return tests;
}

bool RecordTable::passesFilter(size_t row) const
{
    for (const ResolvedTest &test : m_tests) {
        if (m_data.columns[size_t(test.column)].compareToKey(row, test.key) != 0)
            return false;
    }
    return true;
}

void RecordTable::setFilter(const QString &expression)
{
    if (m_open)
        checkBrowseMode();
    const QString previous = m_filterText;
    m_filterText = expression;
    if (!m_filtered)
        return;
    try {
        m_tests = resolveFilter();
    } catch (...) {
        m_filterText = previous;
        throw;
    }
    viewChanged();
}

void RecordTable::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    if (m_open)
        checkBrowseMode();
    m_tests = on ? resolveFilter() : std::vector<ResolvedTest>();
    m_filtered = on;
    viewChanged();
}

// View and cursor

void RecordTable::ensureView() const
{
    if (m_viewDirty)
        rebuildView();
}

void RecordTable::rebuildView() const
{
    // A row being inserted is stored last but joins the view only when posted.
    const size_t rows = m_data.rowCount - (m_state == State::Insert ? 1 : 0);
    m_view.clear();
    m_view.reserve(rows);
    const bool filtering = m_filtered && !m_tests.empty();
    for (size_t row = 0; row < rows; ++row) {
        if (!filtering || passesFilter(row))
            m_view.push_back(uint32_t(row));
    }
    // Session logs are stored in their key order, which a linear check confirms far faster
    // than a sort would.
    const auto outOfOrder = [this](uint32_t a, uint32_t b) { return compareRowKeys(a, b) > 0; };
    if (!m_orderColumns.empty()
        && std::adjacent_find(m_view.begin(), m_view.end(), outOfOrder) != m_view.end()) {
        std::stable_sort(m_view.begin(), m_view.end(),
            [this](uint32_t a, uint32_t b) { return compareRowKeys(a, b) < 0; });
    }
    m_viewDirty = false;

    const auto found = m_current < 0 ? m_view.end()
                                     : std::find(m_view.begin(), m_view.end(), uint32_t(m_current));
    if (found != m_view.end()) {
        m_position = int(found - m_view.begin());
    } else {
        // The current row left the view: the row now at its place becomes current.
        m_position = std::min(std::max(m_position, 0), int(m_view.size()) - 1);
        m_current = m_position < 0 ? -1 : int(m_view[size_t(m_position)]);
    }
}

void RecordTable::viewChanged()
{
    m_viewDirty = true;
    if (m_open) {
        m_current = -1;
        m_position = -1;
        First();
    }
    changed();
}

void RecordTable::scrolled()
{
    if (m_disableCount == 0)
        Q_EMIT AfterScroll();
}

void RecordTable::changed()
{
    if (m_disableCount == 0)
        Q_EMIT ViewChanged();
    else
        m_changedWhileDisabled = true;
}

void RecordTable::moveTo(int position)
{
    m_position = position;
    m_current = int(m_view[size_t(position)]);
    m_eof = m_bof = false;
    scrolled();
}

void RecordTable::checkBrowseMode()
{
    if (m_state != State::Browse)
        Post();
}

void RecordTable::First()
{
    requireOpen();
    checkBrowseMode();
    ensureView();
    if (m_view.empty()) {
        m_position = m_current = -1;
        m_eof = m_bof = true;
        return;
    }
    moveTo(0);
    m_bof = true;
}

void RecordTable::Next()
{
    requireOpen();
    checkBrowseMode();
    ensureView();
    if (m_position + 1 < int(m_view.size()))
        moveTo(m_position + 1);
    else
        m_eof = true;
}

void RecordTable::Prior()
{
    requireOpen();
    checkBrowseMode();
    ensureView();
    if (m_position > 0)
        moveTo(m_position - 1);
    else
        m_bof = true;
}

void RecordTable::Last()
{
    requireOpen();
    checkBrowseMode();
    ensureView();
    if (m_view.empty()) {
        m_position = m_current = -1;
        m_eof = m_bof = true;
        return;
    }
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
}

bool RecordTable::eof() const
{
    return m_eof || recordCount() == 0;
}

bool RecordTable::bof() const
{
    return m_bof || recordCount() == 0;
}

int RecordTable::recordCount() const
{
    ensureView();
    return int(m_view.size());
}

int RecordTable::recNo() const
{
    ensureView();
    return m_position;
}

void RecordTable::setRecNo(int position)
{
    requireOpen();
    checkBrowseMode();
    ensureView();
    if (position < 0 || position >= int(m_view.size())) {
        throw RecordTableError(QStringLiteral("Record number %1 is outside the %2 rows shown")
                                   .arg(position)
                                   .arg(m_view.size()));
    }
    moveTo(position);
}

// Rows

void RecordTable::Append()
{
    requireOpen();
    checkBrowseMode();
    if (m_data.rowCount >= size_t(std::numeric_limits<int>::max()))
        throw RecordTableError(QStringLiteral("The table cannot hold more rows"));
    for (ColumnStore &column : m_data.columns)
        column.appendEmpty();
    m_rowBeforeInsert = m_current;
    m_editRow = int(m_data.rowCount++);
    m_state = State::Insert;
}

void RecordTable::AppendNumbers(const double *numbers, const unsigned char *present)
{
    requireOpen();
    checkBrowseMode();
    if (m_data.rowCount >= size_t(std::numeric_limits<int>::max()))
        throw RecordTableError(QStringLiteral("The table cannot hold more rows"));
    const size_t row = m_data.rowCount;
    try {
        for (size_t i = 0; i < m_data.columns.size(); ++i) {
            if (present[i])
                m_data.columns[i].appendNumberFast(numbers[i]);
            else
                m_data.columns[i].appendEmpty();
        }
    } catch (...) {
        for (ColumnStore &column : m_data.columns)
            column.truncate(row);
        throw;
    }
    m_rowBeforeInsert = m_current;
    m_editRow = int(m_data.rowCount++);
    m_state = State::Insert;
    Post();
}

void RecordTable::appendNumberColumns(int rows, const double *const *columns)
{
    requireOpen();
    checkBrowseMode();
    if (rows <= 0)
        return;
    if (m_data.rowCount + size_t(rows) > size_t(std::numeric_limits<int>::max()))
        throw RecordTableError(QStringLiteral("The table cannot hold more rows"));
    const size_t first = m_data.rowCount;
    const auto keepRows = [this](size_t count) {
        for (ColumnStore &column : m_data.columns)
            column.truncate(count);
        m_data.rowCount = count;
    };
    try {
        for (size_t i = 0; i < m_data.columns.size(); ++i) {
            if (columns[i])
                m_data.columns[i].appendNumbers(columns[i], size_t(rows));
            else
                m_data.columns[i].appendEmpty(size_t(rows));
        }
    } catch (...) {
        keepRows(first);
        throw;
    }
    m_data.rowCount = first + size_t(rows);

    std::exception_ptr refused;
    if (BeforePost) {
        for (size_t row = first; row < m_data.rowCount; ++row) {
            m_editRow = int(row);
            m_state = State::Insert;
            try {
                BeforePost();
            } catch (...) {
                refused = std::current_exception();
                keepRows(row);
            }
            m_state = State::Browse;
            if (refused)
                break;
        }
        m_editRow = -1;
    }
    bool shown = false;
    for (size_t row = first; row < m_data.rowCount; ++row)
        shown = showInsertedRow(uint32_t(row)) || shown;
    if (shown) {
        scrolled();
        changed();
    }
    if (refused)
        std::rethrow_exception(refused);
}

void RecordTable::Edit()
{
    requireOpen();
    if (m_state != State::Browse)
        return;
    if (m_current < 0)
        throw RecordTableError(QStringLiteral("There is no current row to edit"));
    m_editSnapshot.clear();
    m_editSnapshot.reserve(m_data.columns.size());
    const std::vector<uint32_t> row { uint32_t(m_current) };
    for (const ColumnStore &column : m_data.columns) {
        m_editSnapshot.emplace_back(column.def());
        m_editSnapshot.back().appendRows(column, row);
    }
    m_editRow = m_current;
    m_state = State::Edit;
}

void RecordTable::Post()
{
    if (m_state == State::Browse)
        throw RecordTableError(QStringLiteral("There is no inserted or edited row to post"));
    if (BeforePost)
        BeforePost();
    const uint32_t row = uint32_t(m_editRow);
    if (m_state == State::Edit) {
        m_state = State::Browse;
        m_editSnapshot.clear();
        if ((m_filtered && !m_tests.empty()) || !m_orderColumns.empty()) {
            m_viewDirty = true;
            ensureView();
            if (m_current != int(row) && m_current >= 0)
                scrolled();
        }
        changed();
        return;
    }
    m_state = State::Browse;
    if (!showInsertedRow(row)) {
        // Stored, but hidden by the filter: the cursor stays where it was.
        m_current = m_rowBeforeInsert;
        return;
    }
    scrolled();
    changed();
}

// Puts a newly stored row into the view and the cursor on it, unless the filter hides it.
bool RecordTable::showInsertedRow(uint32_t row)
{
    if (m_filtered && !m_tests.empty() && !passesFilter(row))
        return false;
    if (!m_viewDirty) {
        // Keys arriving in order (the usual import) extend the view; anything else is sorted
        // once, on the next look at the view.
        if (m_orderColumns.empty() || m_view.empty() || compareRowKeys(m_view.back(), row) <= 0) {
            m_view.push_back(row);
            m_position = int(m_view.size()) - 1;
        } else {
            m_viewDirty = true;
        }
    }
    m_current = int(row);
    m_eof = m_bof = false;
    return true;
}

void RecordTable::Cancel()
{
    if (m_state == State::Insert) {
        for (ColumnStore &column : m_data.columns)
            column.truncate(size_t(m_editRow));
        m_data.rowCount = size_t(m_editRow);
        m_current = m_rowBeforeInsert;
    } else if (m_state == State::Edit) {
        for (size_t i = 0; i < m_data.columns.size(); ++i)
            m_data.columns[i].copyCell(size_t(m_editRow), m_editSnapshot[i], 0);
        m_editSnapshot.clear();
    }
    m_state = State::Browse;
    m_editRow = -1;
}

void RecordTable::Delete()
{
    requireOpen();
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    Cancel();
    ensureView();
    if (m_current < 0)
        throw RecordTableError(QStringLiteral("There is no current row to delete"));
    const uint32_t row = uint32_t(m_current);
    for (ColumnStore &column : m_data.columns)
        column.eraseRow(row);
    --m_data.rowCount;
    m_view.erase(m_view.begin() + m_position);
    for (uint32_t &viewRow : m_view) {
        if (viewRow > row)
            --viewRow;
    }
    if (m_view.empty()) {
        m_position = m_current = -1;
        m_eof = m_bof = true;
    } else {
        moveTo(std::min(m_position, int(m_view.size()) - 1));
    }
    changed();
}

Field RecordTable::field(int column)
{
    columnStore(column);
    return Field(this, column);
}

Field RecordTable::fieldByName(const QString &name)
{
    return Field(this, columnIndex(name));
}

const ColumnStore &RecordTable::readColumn(int column, int &row) const
{
    row = m_state == State::Browse ? m_current : m_editRow;
    return m_data.columns[size_t(column)];
}

ColumnStore &RecordTable::writeColumn(int column, int &row)
{
    if (m_state == State::Browse)
        notEditing(column);
    row = m_editRow;
    return m_data.columns[size_t(column)];
}

void RecordTable::notEditing(int column) const
{
    throw RecordTableError(
        QStringLiteral("Column '%1': the table is not inserting or editing a row")
            .arg(m_data.columns[size_t(column)].name()));
}

// Fast access

int RecordTable::viewRow(int position) const
{
    ensureView();
    if (position < 0 || position >= int(m_view.size()))
        throw RecordTableError(QStringLiteral("View position %1 does not exist").arg(position));
    return int(m_view[size_t(position)]);
}

double RecordTable::numberAt(int column, int row) const
{
    const ColumnStore &store = columnStore(column);
    if (row < 0 || size_t(row) >= store.rowCount())
        throw RecordTableError(QStringLiteral("Row %1 does not exist").arg(row));
    return store.number(size_t(row));
}

QString RecordTable::textAt(int column, int row) const
{
    const ColumnStore &store = columnStore(column);
    if (row < 0 || size_t(row) >= store.rowCount())
        throw RecordTableError(QStringLiteral("Row %1 does not exist").arg(row));
    return store.asText(size_t(row));
}

bool RecordTable::isNullAt(int column, int row) const
{
    const ColumnStore &store = columnStore(column);
    if (row < 0 || size_t(row) >= store.rowCount())
        throw RecordTableError(QStringLiteral("Row %1 does not exist").arg(row));
    return store.isNull(size_t(row));
}

std::span<const double> RecordTable::reals(int column) const
{
    const ColumnStore &store = columnStore(column);
    const ColumnType type = store.type();
    if (type != ColumnType::Real && type != ColumnType::DateTime && type != ColumnType::Date)
        throw RecordTableError(QStringLiteral("Column '%1' does not hold reals").arg(store.name()));
    return store.reals();
}

// Searching

std::optional<std::vector<ColumnStore::Key>> RecordTable::keysFor(
    const std::vector<int> &columns, const QVariantList &values) const
{
    std::vector<ColumnStore::Key> keys;
    for (size_t i = 0; i < columns.size(); ++i) {
        auto key = m_data.columns[size_t(columns[i])].keyFor(values[qsizetype(i)]);
        if (!key)
            return std::nullopt;
        keys.push_back(std::move(*key));
    }
    return keys;
}

bool RecordTable::Locate(const QString &fields, const QVariantList &values)
{
    requireOpen();
    const std::vector<int> columns = resolveFields(fields);
    if (columns.empty() || size_t(values.size()) != columns.size()) {
        throw RecordTableError(
            QStringLiteral("Locate on \"%1\" needs %2 values, got %3")
                .arg(fields, QString::number(columns.size()), QString::number(values.size())));
    }
    checkBrowseMode();
    const auto keys = keysFor(columns, values);
    if (!keys)
        return false;
    ensureView();
    for (size_t position = 0; position < m_view.size(); ++position) {
        const uint32_t row = m_view[position];
        bool match = true;
        for (size_t i = 0; i < columns.size() && match; ++i)
            match = m_data.columns[size_t(columns[i])].compareToKey(row, (*keys)[i]) == 0;
        if (match) {
            moveTo(int(position));
            return true;
        }
    }
    return false;
}

size_t RecordTable::lowerBound(const std::vector<ColumnStore::Key> &keys) const
{
    const auto found = std::lower_bound(m_view.begin(), m_view.end(), keys,
        [this](uint32_t row, const std::vector<ColumnStore::Key> &k) {
            return compareToKeys(row, k) < 0;
        });
    return size_t(found - m_view.begin());
}

std::optional<std::vector<ColumnStore::Key>> RecordTable::activeIndexKeys(
    const char *operation, const QVariantList &values)
{
    requireOpen();
    if (m_orderColumns.empty())
        throw RecordTableError(
            QStringLiteral("%1 needs an active index").arg(QLatin1String(operation)));
    if (values.isEmpty() || size_t(values.size()) > m_orderColumns.size()) {
        throw RecordTableError(QStringLiteral("%1 needs 1 to %2 values, got %3")
                                   .arg(QLatin1String(operation))
                                   .arg(m_orderColumns.size())
                                   .arg(values.size()));
    }
    checkBrowseMode();
    const std::vector<int> columns(m_orderColumns.begin(), m_orderColumns.begin() + values.size());
    auto keys = keysFor(columns, values);
    if (keys)
        ensureView();
    return keys;
}

bool RecordTable::FindKey(const QVariantList &values)
{
    const auto keys = activeIndexKeys("FindKey", values);
    if (!keys)
        return false;
    const size_t position = lowerBound(*keys);
    if (position >= m_view.size() || compareToKeys(m_view[position], *keys) != 0)
        return false;
    moveTo(int(position));
    return true;
}

bool RecordTable::FindNearest(const QVariantList &values)
{
    const auto keys = activeIndexKeys("FindNearest", values);
    if (!keys || m_view.empty())
        return false;
    moveTo(int(std::min(lowerBound(*keys), m_view.size() - 1)));
    return true;
}

// Display links

void RecordTable::DisableControls()
{
    ++m_disableCount;
}

void RecordTable::EnableControls()
{
    if (m_disableCount > 0)
        --m_disableCount;
    if (m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        Q_EMIT ViewChanged();
    }
}

// Copies and files

void RecordTable::copyRowsFrom(const RecordTable &other)
{
    requireOpen();
    checkBrowseMode();
    other.ensureView();
    // A copy of the row list: the other table may be this one.
    const std::vector<uint32_t> rows = other.m_view;
    const size_t oldRows = m_data.rowCount;
    if (oldRows + rows.size() > size_t(std::numeric_limits<int>::max()))
        throw RecordTableError(QStringLiteral("The table cannot hold more rows"));
    if (oldRows == 0)
        reserveRows(int(rows.size()));
    try {
        for (ColumnStore &target : m_data.columns) {
            const int sourceIndex = other.findColumn(target.name());
            if (sourceIndex < 0) {
                target.appendEmpty(rows.size());
                continue;
            }
            const ColumnStore &source = other.m_data.columns[size_t(sourceIndex)];
            if (source.def().type == target.def().type && source.def().size == target.def().size) {
                target.appendRows(source, rows);
                continue;
            }
            target.appendEmpty(rows.size());
            for (size_t i = 0; i < rows.size(); ++i)
                target.setValue(oldRows + i, source.value(rows[i]));
        }
    } catch (...) {
        for (ColumnStore &column : m_data.columns)
            column.truncate(oldRows);
        throw;
    }
    m_data.rowCount = oldRows + rows.size();
    viewChanged();
}

void RecordTable::takeRowsFrom(RecordTable &other)
{
    requireOpen();
    other.requireOpen();
    checkBrowseMode();
    other.checkBrowseMode();
    if (&other == this)
        return;
    const bool sameColumns = std::equal(m_data.columns.begin(), m_data.columns.end(),
        other.m_data.columns.begin(), other.m_data.columns.end(),
        [](const ColumnStore &a, const ColumnStore &b) { return a.def() == b.def(); });
    if (m_data.rowCount == 0 && sameColumns) {
        std::swap(m_data.columns, other.m_data.columns);
        std::swap(m_data.rowCount, other.m_data.rowCount);
    } else {
        const bool filtered = other.m_filtered;
        other.setFiltered(false);
        copyRowsFrom(other);
        other.setFiltered(filtered);
    }
    other.resetRows();
    other.changed();
    viewChanged();
}

void RecordTable::prepareSave(const QString &path)
{
    if (m_open)
        checkBrowseMode();
    if (m_data.columns.empty()) {
        const QString reason = QStringLiteral("cannot save a table without columns");
        throw RecordTableError(path.isEmpty() ? reason : path + QStringLiteral(": ") + reason);
    }
}

void RecordTable::saveToFile(const QString &path)
{
    prepareSave(path);
    TableFile::save(path, m_data);
}

void RecordTable::saveToNewFile(const QString &path)
{
    prepareSave(path);
    TableFile::save(path, m_data, AtomicFile::Placement::NoReplace);
}

QString RecordTable::saveToFreeFile(const std::function<QString()> &nextName)
{
    prepareSave(QString());
    return TableFile::saveUnderFreeName(m_data, nextName);
}

void RecordTable::loadFromFile(const QString &path)
{
    TableData data = TableFile::load(path);

    // Check the filter and order against the new columns before anything is replaced.
    RecordTable probe;
    probe.m_data.columns.reserve(data.columns.size());
    for (const ColumnStore &column : data.columns)
        probe.m_data.columns.emplace_back(column.def());
    probe.m_data.indexes = data.indexes;
    probe.rebuildNameIndex();
    probe.m_filterText = m_filterText;
    std::vector<ResolvedTest> tests;
    if (m_filtered) {
        try {
            tests = probe.resolveFilter();
        } catch (const RecordTableError &error) {
            throw RecordTableError(QStringLiteral("%1: %2").arg(path, error.message()));
        }
    }
    // An order the file cannot give falls back to insertion order.
    QString indexName = m_indexName;
    QString indexFields = m_indexFields;
    std::vector<int> order;
    try {
        if (!indexName.isEmpty())
            probe.setIndexName(indexName);
        else
            probe.setIndexFieldNames(indexFields);
        order = probe.m_orderColumns;
    } catch (const RecordTableError &) {
        indexName.clear();
        indexFields.clear();
    }

    resetRows();
    m_data = std::move(data);
    m_columnByName = std::move(probe.m_columnByName);
    m_tests = std::move(tests);
    m_indexName = indexName;
    m_indexFields = indexFields;
    m_orderColumns = std::move(order);
    m_open = true;
    m_viewDirty = true;
    First();
    changed();
}

} // namespace zel
