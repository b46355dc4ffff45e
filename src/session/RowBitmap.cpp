#include "session/RowBitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zel {

static_assert(std::endian::native == std::endian::little,
    "row bitmaps are written to files straight from memory");

void RowBitmap::append(size_t count, bool value)
{
    const size_t oldSize = m_size;
    m_size += count;
    m_words.resize((m_size + 63) / 64, 0);
    if (!value)
        return;
    for (size_t row = oldSize; row < m_size;) {
        if ((row & 63) == 0 && row + 64 <= m_size) {
            m_words[row >> 6] = ~uint64_t(0);
            row += 64;
        } else {
            set(row, true);
            ++row;
        }
    }
}

void RowBitmap::appendRange(const RowBitmap &source, size_t first, size_t count)
{
    if (&source == this) {
        const RowBitmap copy = source;
        appendRange(copy, first, count);
        return;
    }
    m_words.reserve((m_size + count + 63) / 64);
    // A word at a time: the bulk copy of a large table stays a few operations per 64 rows.
    for (size_t done = 0; done < count;) {
        const size_t n = std::min<size_t>(64, count - done);
        appendBits(source.bitsAt(first + done, n), n);
        done += n;
    }
}

uint64_t RowBitmap::bitsAt(size_t first, size_t count) const
{
    const size_t word = first >> 6;
    const unsigned shift = first & 63;
    uint64_t bits = m_words[word] >> shift;
    if (shift != 0 && word + 1 < m_words.size())
        bits |= m_words[word + 1] << (64 - shift);
    return count == 64 ? bits : bits & ((uint64_t(1) << count) - 1);
}

void RowBitmap::appendBits(uint64_t bits, size_t count)
{
    const unsigned shift = m_size & 63;
    if (shift == 0) {
        m_words.push_back(bits);
    } else {
        m_words.back() |= bits << shift;
        if (shift + count > 64)
            m_words.push_back(bits >> (64 - shift));
    }
    m_size += count;
}

void RowBitmap::erase(size_t row)
{
    const size_t word = row >> 6;
    const unsigned bit = row & 63;
    const uint64_t low = bit == 0 ? 0 : (m_words[word] & ((uint64_t(1) << bit) - 1));
    const uint64_t high = bit == 63 ? 0 : (m_words[word] >> (bit + 1)) << bit;
    m_words[word] = low | high;
    for (size_t w = word + 1; w < m_words.size(); ++w) {
        m_words[w - 1] |= (m_words[w] & 1u) << 63;
        m_words[w] >>= 1;
    }
    --m_size;
    m_words.resize((m_size + 63) / 64);
}

void RowBitmap::truncate(size_t rows)
{
    if (rows >= m_size)
        return;
    m_size = rows;
    m_words.resize((m_size + 63) / 64);
    clearPadding();
}

void RowBitmap::clear()
{
    m_words.clear();
    m_words.shrink_to_fit();
    m_size = 0;
}

bool RowBitmap::any() const
{
    for (uint64_t word : m_words) {
        if (word)
            return true;
    }
    return false;
}

void RowBitmap::assign(const unsigned char *data, size_t rows)
{
    m_size = rows;
    m_words.assign((rows + 63) / 64, 0);
    std::memcpy(m_words.data(), data, byteCount());
    clearPadding();
}

void RowBitmap::clearPadding()
{
    if (m_size & 63)
        m_words.back() &= (uint64_t(1) << (m_size & 63)) - 1;
}

} // namespace zel
