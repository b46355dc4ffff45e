#include "ui/ChannelGridModel.h"

#include "session/ChannelGrid.h"

namespace zel {

ChannelGridModel::ChannelGridModel(ChannelGrid &grid, QObject *parent)
    : QAbstractTableModel(parent)
    , m_grid(&grid)
{
    connect(&grid, &ChannelGrid::cellChanged, this, [this](int c, int r) {
        const QModelIndex changed = index(r, c);
        Q_EMIT dataChanged(changed, changed, { Qt::DisplayRole });
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
