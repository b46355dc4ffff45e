#include "session/TextCells.h"

namespace zel {

void TextCells::set(size_t row, QString text)
{
    if (row >= m_slots.size()) {
        if (text.isEmpty())
            return;
        m_slots.resize(row + 1, 0);
    }
    uint32_t &slot = m_slots[row];
    if (text.isEmpty()) {
        if (slot != 0) {
            release(slot);
            slot = 0;
            dropReleasedWhenUnused();
        }
    } else if (slot != 0) {
        m_texts[slot - 1] = std::move(text);
    } else {
        slot = store(std::move(text));
    }
}

void TextCells::resize(size_t rows)
{
    m_size = rows;
    if (rows >= m_slots.size())
        return;
    for (size_t row = rows; row < m_slots.size(); ++row) {
        if (m_slots[row] != 0)
            release(m_slots[row]);
    }
    m_slots.resize(rows);
    dropReleasedWhenUnused();
}

void TextCells::erase(size_t row)
{
    --m_size;
    if (row >= m_slots.size())
        return;
    if (m_slots[row] != 0)
        release(m_slots[row]);
    m_slots.erase(m_slots.begin() + ptrdiff_t(row));
    dropReleasedWhenUnused();
}

void TextCells::clear()
{
    m_size = 0;
    m_slots.clear();
    m_slots.shrink_to_fit();
    std::vector<QString>().swap(m_texts);
    std::vector<uint32_t>().swap(m_free);
}

void TextCells::appendRows(const TextCells &source, const std::vector<uint32_t> &rows)
{
    for (uint32_t row : rows) {
        // Texts go in by value: set() may move the entries a text of this column sits in.
        if (const uint32_t from = source.slotOf(row); from != 0)
            set(m_size, QString(source.m_texts[from - 1]));
        ++m_size;
    }
}

// The text arrives by value: it may be a copy of an entry that the append below moves.
uint32_t TextCells::store(QString text)
{
    if (!m_free.empty()) {
        const uint32_t slot = m_free.back();
        m_free.pop_back();
        m_texts[slot - 1] = std::move(text);
        return slot;
    }
    m_texts.push_back(std::move(text));
    return uint32_t(m_texts.size());
}

void TextCells::release(uint32_t slot)
{
    m_texts[slot - 1] = QString();
    m_free.push_back(slot);
}

// Released entries are kept for reuse; once no row uses any entry, they all go, so a column
// that is emptied or cut back to empty cells costs its row numbers only.
void TextCells::dropReleasedWhenUnused()
{
    if (!m_free.empty() && m_free.size() == m_texts.size()) {
        m_texts.clear();
        m_free.clear();
    }
}

} // namespace zel
