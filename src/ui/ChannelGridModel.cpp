#include "ui/ChannelGridModel.h"

#include "session/ChannelGrid.h"

#include <algorithm>

namespace zel {

ChannelGridModel::ChannelGridModel(ChannelGrid &grid, QObject *parent)
    : QAbstractTableModel(parent)
    , m_grid(&grid)
{
    connect(&grid, &ChannelGrid::cellsChanged, this,
        [this](int firstC, int firstR, int lastC, int lastR) {
            // Cells a resize dropped meanwhile are gone; the reset has shown the rest.
            const QModelIndex first = index(firstR, firstC);
            const QModelIndex last = index(std::min(lastR, rowCount() - 1),
                std::min(lastC, columnCount() - 1));
            if (first.isValid() && last.isValid())
                Q_EMIT dataChanged(first, last, { Qt::DisplayRole });
        });
    connect(&grid, &ChannelGrid::sizeChanged, this, &ChannelGridModel::resetFromGrid);
    connect(&grid, &QObject::destroyed, this, &ChannelGridModel::resetFromGrid);
}

int ChannelGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_grid ? 0 : m_grid->rowCount();
}

int ChannelGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_grid ? 0 : m_grid->colCount();
}

QVariant ChannelGridModel::data(const QModelIndex &index, int role) const
{
    if (!m_grid || !index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_grid->cell(index.column(), index.row());
}

void ChannelGridModel::resetFromGrid()
{
    // A size change can drop any cells, so views start again from the grid.
    beginResetModel();
    endResetModel();
}

} // namespace zel
