#pragma once

#include "session/ColumnDef.h"
#include "session/ColumnStore.h"
#include "session/Field.h"
#include "session/IndexDef.h"
#include "session/RecordTableError.h"
#include "session/TableData.h"
#include "session/TableFilter.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

namespace zel {

/// In-memory table of typed, named columns with a cursor, indexes, a filter and file
/// save/load. Values are held column by column; the filtered, ordered view is a list of row
/// numbers, so filtering, ordering and navigation never copy row data.
///
/// Rules worth knowing:
/// - Column names are compared without regard to case.
/// - Rows with equal keys keep their insertion order; empty cells sort first, then NaN.
///   Text sorts without regard to case first, then by case.
/// - Filters compare numbers numerically against number columns (a quoted text is parsed
///   as a number there) and texts exactly, case and all, against text columns (a number is
///   compared as its shortest C-locale text there). Empty cells never equal a number.
/// - Moving the cursor, appending, filtering or ordering while a row is being inserted or
///   edited posts that row first.
/// - Saving writes every stored row whatever the filter, in storage order; NaN reals are
///   saved and loaded bit for bit.
/// - AfterScroll is a signal, so several views (a grid column, a chart cursor, a track map)
///   can follow one table's cursor; a listener that is destroyed simply stops receiving.
class RecordTable : public QObject
{
    Q_OBJECT
public:
    /// What the current row is doing.
    enum class State { Browse, Insert, Edit };

    /// Creates a closed table without columns.
    explicit RecordTable(QObject *parent = nullptr);

    /// Called before a row is stored; the handler may read and write the row's fields. One
    /// handler, not a signal: it is part of storing the row, and it may throw to refuse it.
    std::function<void()> BeforePost;

    // Structure

    /// Adds a column (closed table only); size is the text length or bytes block size.
    void addColumn(const QString &name, ColumnType type, int size = 0);
    /// Removes every column and index definition and the active order (closed table only).
    void clearColumns();
    /// Opens the table, empty.
    void open();
    /// Closes the table, dropping its rows; columns, indexes, filter and order stay.
    void close();
    /// True when open.
    bool isOpen() const { return m_open; }
    /// Drops every row, keeping the table open.
    void emptyTable();
    /// Makes room for \a rows stored rows, so that a large import does not regrow its columns.
    /// The room of a large table is one memory area backed by huge pages (ColumnArena).
    void reserveRows(int rows);
    /// Number of columns.
    int columnCount() const { return int(m_data.columns.size()); }
    /// Definition of column \a index.
    const ColumnDef &column(int index) const;
    /// Position of the column named \a name; throws when there is none.
    int columnIndex(const QString &name) const;
    /// Position of the column named \a name, or -1.
    int findColumn(const QString &name) const;

    // Indexes and order

    /// Adds an index over a ";"-separated column list such as "Lap_Number; LapID".
    void addIndex(const QString &name, const QString &fields);
    /// Index definitions, in the order added.
    const std::vector<IndexDef> &indexes() const { return m_data.indexes; }
    /// Orders the view by the named index; an empty name gives insertion order.
    void setIndexName(const QString &name);
    /// Name of the active index, or empty.
    QString indexName() const { return m_indexName; }
    /// Orders the view by a column list; an empty list gives insertion order.
    void setIndexFieldNames(const QString &fields);
    /// The column list set by setIndexFieldNames or SortOn, or empty.
    QString indexFieldNames() const { return m_indexFields; }
    /// Re-sorts the view on a column list (as setIndexFieldNames).
    void SortOn(const QString &fields);

    // Filter

    /// Sets the filter expression; applied at once when filtering is on.
    void setFilter(const QString &expression);
    /// The filter expression.
    QString filter() const { return m_filterText; }
    /// Switches the filter on or off; switching on checks the expression against the columns.
    void setFiltered(bool on);
    /// True when the filter is on.
    bool filtered() const { return m_filtered; }

    // Cursor over the view

    /// Moves to the first row of the view.
    void First();
    /// Moves to the next row, or sets eof() at the last.
    void Next();
    /// Moves to the previous row, or sets bof() at the first.
    void Prior();
    /// Moves to the last row of the view.
    void Last();
    /// True after Next() at the last row, after Last(), or when the view is empty.
    bool eof() const;
    /// True after Prior() at the first row, after First(), or when the view is empty.
    bool bof() const;
    /// Number of rows in the view.
    int recordCount() const;
    /// View position of the current row, or -1.
    int recNo() const;
    /// Moves to view position \a position.
    void setRecNo(int position);
    /// True when the view has no row.
    bool isEmpty() const { return recordCount() == 0; }

    // Rows

    /// Starts a new, empty row (insert state).
    void Append();
    /// Appends and posts a row in one step, as Append, field writes and Post would: column i
    /// gets numbers[i] where present[i] is non-zero and stays empty elsewhere. BeforePost
    /// runs on the filled row. For bulk imports, where it saves a pass over the columns.
    void AppendNumbers(const double *numbers, const unsigned char *present);
    /// Appends and posts \a rows rows in one step, column by column: column i takes \a rows
    /// values from columns[i], or stays empty where columns[i] is null; values convert as
    /// AppendNumbers converts them. BeforePost runs on each row in turn, as Post would; a row
    /// it refuses is dropped with every row after it, and the rows before it stay posted.
    /// ViewChanged and AfterScroll come once, for the last row shown. For bulk imports,
    /// where each column fills in one tight loop.
    void appendNumberColumns(int rows, const double *const *columns);
    /// Starts editing the current row.
    void Edit();
    /// Stores the inserted or edited row, running BeforePost first.
    void Post();
    /// Drops the inserted row or undoes the edit.
    void Cancel();
    /// Deletes the current row.
    void Delete();
    /// Browse, insert or edit.
    State state() const { return m_state; }
    /// Handle on column \a column of the current row.
    Field field(int column);
    /// Handle on the named column of the current row; throws when there is none.
    Field fieldByName(const QString &name);

    // Fast access for charts and imports (storage rows, no name lookups)

    /// Number of stored rows, whatever the filter.
    int rowCount() const { return int(m_data.rowCount); }
    /// Storage row shown at view position \a position.
    int viewRow(int position) const;
    /// Value of a numeric cell as a double (0 when empty).
    double numberAt(int column, int row) const;
    /// True when the cell is empty.
    bool isNullAt(int column, int row) const;
    /// Value of a cell as text (as Field::asText reads it).
    QString textAt(int column, int row) const;
    /// Values of a real, date-time or date column, in storage order.
    std::span<const double> reals(int column) const;
    /// Storage of column \a column, for readers that walk a whole column (exports, charts).
    const ColumnStore &columnStore(int column) const;
    /// The cell of real or date-time column \a column in the current row (or the row being
    /// inserted or edited), as Field::asReal reads it, for a caller that reads many cells a
    /// row, such as a store hook: no lookups or conversions. Other types must use Field.
    double realCell(int column) const
    {
        const int row = m_state == State::Browse ? m_current : m_editRow;
        return row < 0 ? 0.0 : m_data.columns[size_t(column)].realAt(size_t(row));
    }
    /// Stores \a value in real or date-time column \a column of the row being inserted or
    /// edited, as Field::setReal does; throws RecordTableError as it does when no row is.
    void setRealCell(int column, double value)
    {
        if (m_state == State::Browse)
            notEditing(column);
        m_data.columns[size_t(column)].setRealAt(size_t(m_editRow), value);
    }

    /// Stores \a value in real or date-time column \a column of stored row \a row, as
    /// setRealCell does in the row being edited, for a caller that fills a column after its
    /// rows were stored. No index may order by the column: its order is not updated.
    void setRealAt(int column, int row, double value)
    {
        m_data.columns[size_t(column)].setRealAt(size_t(row), value);
    }

    // Searching

    /// Moves to the first row of the view whose columns equal \a values; false when none.
    bool Locate(const QString &fields, const QVariantList &values);
    /// Moves to the row whose key on the active order equals \a values (a prefix of the key
    /// may be given); false when none.
    bool FindKey(const QVariantList &values);
    /// Moves to the row whose key equals \a values or, failing that, to the first row whose
    /// key is greater (the last row when none is); false only when the view is empty.
    bool FindNearest(const QVariantList &values);

    // Display links

    /// Suspends AfterScroll notifications (counted).
    void DisableControls();
    /// Resumes them once every DisableControls is matched; then emits ViewChanged once if
    /// the view changed meanwhile.
    void EnableControls();
    /// True while suspended.
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Copies and files

    /// Appends every row of \a other's view, column by column by name; columns missing on
    /// either side are skipped. Moves to the first row.
    void copyRowsFrom(const RecordTable &other);
    /// Moves every stored row of \a other (whatever its filter) to the end of this table and
    /// leaves \a other open and empty. When both have the same columns and this table is
    /// empty the values change hands without being copied; otherwise they are copied as by
    /// copyRowsFrom. Moves to the first row.
    void takeRowsFrom(RecordTable &other);
    /// Saves columns, index definitions and all stored rows to \a path, atomically.
    void saveToFile(const QString &path);
    /// Saves as saveToFile does, but fails with FileExistsError when \a path exists at the
    /// moment the file is put in place.
    void saveToNewFile(const QString &path);
    /// Saves as saveToFile does, but never over an existing file: under the first name
    /// \a nextName gives that is free when the file is put in place. Returns that name.
    QString saveToFreeFile(const std::function<QString()> &nextName);
    /// Replaces columns, indexes and rows with those saved in \a path and opens the table;
    /// on failure the table is left exactly as it was.
    void loadFromFile(const QString &path);

Q_SIGNALS:
    /// The cursor moved to another row (not emitted while the controls are disabled).
    void AfterScroll();
    /// The rows of the view, their order or their values changed: a filter or an order was
    /// set, rows were posted, deleted, copied or loaded, or the table was opened, emptied or
    /// closed. Not emitted while the controls are disabled; emitted once when they are
    /// enabled again if anything changed meanwhile. Bound displays (chart series) rebuild
    /// on it; appending rows one by one with the controls enabled emits it for every row.
    void ViewChanged();

private:
    friend class Field;
    struct ResolvedTest
    {
        int column;
        ColumnStore::Key key;
    };

    void requireOpen() const;
    [[noreturn]] void notEditing(int column) const;
    void prepareSave(const QString &path);
    void requireClosed(const char *operation) const;
    void checkBrowseMode();
    bool showInsertedRow(uint32_t row);
    void resetRows();
    void rebuildNameIndex();
    std::vector<int> resolveFields(const QString &fields) const;
    std::vector<ResolvedTest> resolveFilter() const;
    bool passesFilter(size_t row) const;
    int compareRowKeys(uint32_t a, uint32_t b) const;
    int compareToKeys(uint32_t row, const std::vector<ColumnStore::Key> &keys) const;
    std::optional<std::vector<ColumnStore::Key>> keysFor(
        const std::vector<int> &columns, const QVariantList &values) const;
    size_t lowerBound(const std::vector<ColumnStore::Key> &keys) const;
    /// Checks a FindKey/FindNearest call and converts its values to keys of the active
    /// index; nothing when a value cannot be converted.
    std::optional<std::vector<ColumnStore::Key>> activeIndexKeys(
        const char *operation, const QVariantList &values);
    void ensureView() const;
    void rebuildView() const;
    void viewChanged();
    void moveTo(int position);
    void scrolled();
    void changed();
    const ColumnStore &readColumn(int column, int &row) const;
    ColumnStore &writeColumn(int column, int &row);

    TableData m_data;
    QHash<QString, int> m_columnByName;
    bool m_open = false;
    State m_state = State::Browse;
    int m_editRow = -1;
    int m_rowBeforeInsert = -1;
    std::vector<ColumnStore> m_editSnapshot;

    QString m_indexName;
    QString m_indexFields;
    std::vector<int> m_orderColumns;

    QString m_filterText;
    bool m_filtered = false;
    std::vector<ResolvedTest> m_tests;

    // The view is rebuilt lazily; the current storage row m_current is what the cursor
    // holds on to, m_position follows it once the view is up to date.
    mutable std::vector<uint32_t> m_view;
    mutable bool m_viewDirty = false;
    mutable int m_position = -1;
    mutable int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;
};

} // namespace zel
