#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
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

Q_SIGNALS:
    /// The text or object of a cell changed.
    void cellChanged(int c, int r);
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

    int m_cols = 0;
    int m_rows = 0;
    std::vector<Cell> m_cells; // column by column
    mutable QHash<QString, int> m_rowOfName;
    mutable bool m_namesDirty = true;
};

} // namespace zel
