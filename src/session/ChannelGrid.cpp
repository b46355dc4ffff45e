#include "session/ChannelGrid.h"

#include <algorithm>
#include <utility>

namespace zel {

ChannelGrid::ChannelGrid(QObject *parent)
    : QObject(parent)
{
    reset();
}

void ChannelGrid::reset()
{
    m_cells.clear();
    m_cols = m_rows = 0;
    resize(2, 2);
    setCell(0, 0, QStringLiteral("0"));
}

void ChannelGrid::resize(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == m_cols && rows == m_rows)
        return;
    std::vector<Cell> cells(size_t(cols) * size_t(rows));
    for (int c = 0; c < std::min(cols, m_cols); ++c) {
        for (int r = 0; r < std::min(rows, m_rows); ++r)
            cells[size_t(c) * size_t(rows) + size_t(r)]
                = std::move(m_cells[size_t(c) * size_t(m_rows) + size_t(r)]);
    }
    m_cells = std::move(cells);
    m_cols = cols;
    m_rows = rows;
    m_namesDirty = true;
    Q_EMIT sizeChanged();
}

QString ChannelGrid::cell(int c, int r) const
{
    return inside(c, r) ? m_cells[size_t(c) * size_t(m_rows) + size_t(r)].text : QString();
}

void ChannelGrid::setCell(int c, int r, const QString &text)
{
    if (!inside(c, r))
        return;
    Cell &cell = m_cells[size_t(c) * size_t(m_rows) + size_t(r)];
    if (cell.text == text)
        return;
    cell.text = text;
    if (c == 0)
        m_namesDirty = true;
    notify(c, r);
}

QObject *ChannelGrid::object(int c, int r) const
{
    return inside(c, r) ? m_cells[size_t(c) * size_t(m_rows) + size_t(r)].object.data() : nullptr;
}

void ChannelGrid::setObject(int c, int r, QObject *object)
{
    if (!inside(c, r))
        return;
    m_cells[size_t(c) * size_t(m_rows) + size_t(r)].object = object;
    notify(c, r);
}

void ChannelGrid::notify(int c, int r)
{
    if (m_batchDepth == 0) {
        Q_EMIT cellsChanged(c, r, c, r);
        return;
    }
    if (!m_batchChanged) {
        m_batchChanged = std::array { c, r, c, r };
        return;
    }
    auto &[firstC, firstR, lastC, lastR] = *m_batchChanged;
    firstC = std::min(firstC, c);
    firstR = std::min(firstR, r);
    lastC = std::max(lastC, c);
    lastR = std::max(lastR, r);
}

ChannelGrid::UpdateBatch::UpdateBatch(ChannelGrid &grid)
    : m_grid(grid)
{
    ++m_grid.m_batchDepth;
}

ChannelGrid::UpdateBatch::~UpdateBatch()
{
    if (--m_grid.m_batchDepth > 0)
        return;
    if (const auto changed = std::exchange(m_grid.m_batchChanged, std::nullopt)) {
        const auto [firstC, firstR, lastC, lastR] = *changed;
        Q_EMIT m_grid.cellsChanged(firstC, firstR, lastC, lastR);
    }
}

int ChannelGrid::rowOfName(const QString &name) const
{
    if (m_namesDirty) {
        m_rowOfName.clear();
        // The first row of a name wins, as a search from the top would find it.
        for (int r = m_rows - 1; r >= 1; --r) {
            const QString &text = m_cells[size_t(r)].text;
            if (!text.isEmpty())
                m_rowOfName.insert(text.toCaseFolded(), r);
        }
        m_namesDirty = false;
    }
    return m_rowOfName.value(name.toCaseFolded(), -1);
}

} // namespace zel
