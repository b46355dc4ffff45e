#pragma once

#include "session/ColumnValues.h"

#include <cstddef>
#include <cstdint>

namespace zel {

/// One bit per row. Bit r lives in byte r/8 at bit r%8, so on a little-endian machine the
/// words are byte for byte the layout a saved table file uses.
class RowBitmap
{
public:
    /// Number of rows covered.
    size_t size() const { return m_size; }
    /// Bit of row \a row.
    bool test(size_t row) const { return (m_words[row >> 6] >> (row & 63)) & 1u; }
    /// Sets or clears the bit of row \a row.
    void set(size_t row, bool value)
    {
        const uint64_t mask = uint64_t(1) << (row & 63);
        if (value)
            m_words[row >> 6] |= mask;
        else
            m_words[row >> 6] &= ~mask;
    }
    /// Adds one row at the end.
    void pushBack(bool value)
    {
        if ((m_size & 63) == 0)
            m_words.push_back(0);
        if (value)
            m_words[m_size >> 6] |= uint64_t(1) << (m_size & 63);
        ++m_size;
    }
    /// Adds \a count rows at the end, all with \a value.
    void append(size_t count, bool value);
    /// Adds the bits of rows first .. first+count-1 of \a source at the end.
    void appendRange(const RowBitmap &source, size_t first, size_t count);
    /// Removes row \a row; later rows move down by one.
    void erase(size_t row);
    /// Keeps the first \a rows rows.
    void truncate(size_t rows);
    /// Reserves room for \a rows rows.
    void reserve(size_t rows) { m_words.reserve(wordsFor(rows)); }
    /// Reserves room for \a rows rows in a slice of \a arena.
    void reserveIn(const std::shared_ptr<ColumnArena> &arena, size_t rows)
    {
        m_words.reserveIn(arena, wordsFor(rows));
    }
    /// Bytes that \a rows rows take.
    static size_t bytesFor(size_t rows) { return wordsFor(rows) * sizeof(uint64_t); }
    /// Removes all rows and gives back the memory.
    void clear();
    /// True when any bit is set.
    bool any() const;
    /// The bits as (size()+7)/8 bytes in file order.
    const unsigned char *bytes() const
    {
        return reinterpret_cast<const unsigned char *>(m_words.data());
    }
    /// Byte length of bytes().
    size_t byteCount() const { return (m_size + 7) / 8; }
    /// Replaces the bits with \a rows bits read from \a data ((rows+7)/8 bytes); padding bits are
    /// ignored.
    void assign(const unsigned char *data, size_t rows);

private:
    static size_t wordsFor(size_t rows) { return (rows + 63) / 64; }
    void clearPadding();
    uint64_t bitsAt(size_t first, size_t count) const;
    void appendBits(uint64_t bits, size_t count);

    ColumnValues<uint64_t> m_words;
    size_t m_size = 0;
};

} // namespace zel
