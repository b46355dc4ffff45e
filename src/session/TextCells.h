#pragma once

#include "session/ColumnValues.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

/// The cells of a text or memo column. Each row holds only the number of its text, so an
/// empty cell costs 4 bytes, and the empty rows after the last text cost nothing: session
/// logs fill their text columns in the header row alone.
class TextCells
{
public:
    /// Number of rows.
    size_t size() const { return m_size; }
    /// The text of row \a row; an empty string for an empty cell.
    const QString &operator[](size_t row) const
    {
        const uint32_t slot = slotOf(row);
        return slot != 0 ? m_texts[slot - 1] : s_empty;
    }
    /// True when row \a row holds no text.
    bool isEmpty(size_t row) const { return slotOf(row) == 0; }
    /// Stores \a text in row \a row; an empty text empties the cell.
    void set(size_t row, QString text);

    /// Appends one empty row.
    void appendEmpty() { ++m_size; }
    /// Keeps the first \a rows rows, or adds empty rows up to \a rows.
    void resize(size_t rows);
    /// Removes row \a row; later rows move down by one.
    void erase(size_t row);
    /// Removes every row and releases the memory.
    void clear();
    /// Appends copies of the cells \a rows of \a source, which may be this column.
    void appendRows(const TextCells &source, const std::vector<uint32_t> &rows);

private:
    uint32_t slotOf(size_t row) const { return row < m_slots.size() ? m_slots[row] : 0; }
    uint32_t store(QString text);
    void release(uint32_t slot);
    void dropReleasedWhenUnused();

    static inline const QString s_empty;

    size_t m_size = 0;
    /// Per row up to the last text at most: 1 + the index of its text, or 0 when empty.
    ColumnValues<uint32_t> m_slots;
    std::vector<QString> m_texts; ///< the texts of non-empty cells; released entries are empty
    std::vector<uint32_t> m_free; ///< slot numbers of released entries, reused first
};

} // namespace zel
