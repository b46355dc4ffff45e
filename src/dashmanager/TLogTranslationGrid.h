#pragma once

#include "session/RecordTable.h"

#include <QPointer>
#include <QString>
#include <QTableWidget>
#include <array>

namespace zel {

class UserDialogs;

/// The two-row grid in which the user types a channel's translation table: row 0 holds
/// the raw (A to D) values and row 1 the engineering values, one point per column from
/// column 1 on; column 0 holds the row titles. The grid holds at most 70 points.
///
/// Typing accepts digits, "+", "-" and the user's decimal separator; the first character
/// typed into a cell just selected replaces its text, later ones are appended, a sign only
/// goes into an empty cell. Page Up and Page Down step the selected cells by LOG_CellInc,
/// Enter re-formats them; holding Alt copies the current cell into the next cell selected;
/// Ctrl+Left moves one column left but not onto the titles. Errors of the key handling are
/// shown through the dialog service.
class TLogTranslationGrid : public QTableWidget
{
    Q_OBJECT
public:
    /// Most points (and grid columns after the titles).
    static constexpr int kMaxPoints = 70;

    explicit TLogTranslationGrid(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// The table the grid reads and writes; the grid does not own it.
    RecordTable *LOG_MemTable() const { return m_table; }
    void setLOG_MemTable(RecordTable *table) { m_table = table; }
    /// The `RecordType` of the table's two rows.
    QString LOG_RecordType() const { return m_recordType; }
    void setLOG_RecordType(const QString &recordType) { m_recordType = recordType; }
    /// Highest column whose cells CellNumberValue reads.
    int LOG_MaxColumns() const { return m_maxColumns; }
    void setLOG_MaxColumns(int column) { m_maxColumns = column; }
    /// Step of the "+" and "-" commands, used rounded to a whole number.
    double LOG_CellInc() const { return m_cellInc; }
    void setLOG_CellInc(double step) { m_cellInc = step; }

    /// True once the user has typed into a cell since the last setChanged(false).
    bool isChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    /// Number of points (grid columns after the titles).
    int pointCount() const { return columnCount() - 1; }
    /// Shows \a points columns after the titles, \a points kept to 0..70.
    void setPointCount(int points);
    /// The heading of column \a column (1..70) as ReadFromTable found it, else 0.
    quint16 ColumnRange(int column) const;

    /// The text of a cell (empty when the cell has none).
    QString cellText(int column, int row) const;
    void setCellText(int column, int row, const QString &text);

    /// The cell read as a number in the user's format; 0 outside columns
    /// 1..LOG_MaxColumns and rows 0..1, and for an empty or unreadable cell.
    float CellNumberValue(int ACol, int ARow) const;
    /// Applies "+", "-" or "R" to every selected cell, column by column: an empty cell
    /// first gets 0; the value is stepped (or kept) and shown as "####0.00". A cell that
    /// holds no number throws zel::Error and leaves the cells after it unchanged.
    void SGKeyPress(QChar Key);

    /// Stores the grid as the two rows of LOG_RecordType in LOG_MemTable: raw values cut
    /// to whole numbers in 0..65535 with the point count in row 0, engineering values in
    /// row 1. Nothing without a table or with a blank record type.
    void WriteToTable();
    /// Fills the grid from the two rows of LOG_RecordType in LOG_MemTable.
    void ReadFromTable();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectCell(int row, int column);
    void typeCharacter(QChar character);
    void selectTableRows();
    void writeRow(int rowNumber, int firstPoint, const QList<double> &points);

    UserDialogs &m_dialogs;
    QPointer<RecordTable> m_table;
    QString m_recordType;
    int m_maxColumns = kMaxPoints;
    double m_cellInc = 1.0;
    QString m_accepted;
    bool m_changed = false;
    std::array<quint16, kMaxPoints> m_columnRange {};
    // State of the Alt copy and of the cell just selected.
    bool m_copyCell = false;
    QString m_holdValue;
    bool m_cellSelect = true;
};

} // namespace zel
