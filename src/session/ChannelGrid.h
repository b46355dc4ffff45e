#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace zel {

/// The channel grid's cells as the session objects write them: column 0 holds channel
/// names, row 0 titles, cell (0, 0) the number of logs shown, and each log's session object
/// is attached to its title cell. A window binds a grid widget to it.
class ChannelGrid : public QObject
{
    Q_OBJECT
public:
    /// A grid of 2 columns and 2 rows with cell (0, 0) "0", as when no log is shown.
    explicit ChannelGrid(QObject *parent = nullptr);

    /// Number of columns.
    int colCount() const { return m_cols; }
    /// Number of rows.
    int rowCount() const { return m_rows; }
    /// Resizes the grid; cells inside both sizes keep their text and object.
    void setColCount(int count) { resize(count, m_rows); }
    /// Resizes the grid; cells inside both sizes keep their text and object.
    void setRowCount(int count) { resize(m_cols, count); }

    /// Text of cell (c, r); empty outside the grid.
    QString cell(int c, int r) const;
    /// Sets the text of cell (c, r); ignored outside the grid.
    void setCell(int c, int r, const QString &text);
    /// Object attached to cell (c, r), or null.
    QObject *object(int c, int r) const;
    /// Attaches an object (not owned) to cell (c, r); ignored outside the grid.
    void setObject(int c, int r, QObject *object);

    /// Row r >= 1 whose column-0 name equals \a name without regard to case, or -1.
    int rowOfName(const QString &name) const;

    /// Back to the state of a new grid.
    void reset();

    /// Holds back cell notifications while it lives; at its end one cellsChanged covers
    /// every cell changed meanwhile, so a bound view repaints once per log, not per cell.
    class UpdateBatch
    {
    public:
        explicit UpdateBatch(ChannelGrid &grid);
        ~UpdateBatch();
        UpdateBatch(const UpdateBatch &) = delete;
        UpdateBatch &operator=(const UpdateBatch &) = delete;

    private:
        ChannelGrid &m_grid;
    };

Q_SIGNALS:
    /// The texts or objects of the cells from (firstC, firstR) to (lastC, lastR) may have
    /// changed.
    void cellsChanged(int firstC, int firstR, int lastC, int lastR);
    /// The number of columns or rows changed.
    void sizeChanged();

private:
    struct Cell
    {
        QString text;
        QPointer<QObject> object;
    };
    void resize(int cols, int rows);
    bool inside(int c, int r) const { return c >= 0 && r >= 0 && c < m_cols && r < m_rows; }
    void notify(int c, int r);

    int m_cols = 0;
    int m_rows = 0;
    std::vector<Cell> m_cells; // column by column
    mutable QHash<QString, int> m_rowOfName;
    mutable bool m_namesDirty = true;
    int m_batchDepth = 0;
    // Cells changed inside the current batch: first column and row, last column and row.
    std::optional<std::array<int, 4>> m_batchChanged;
};

} // namespace zel
