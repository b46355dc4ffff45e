#pragma once

#include <QAbstractTableModel>
#include <QPointer>

namespace zel {

class ChannelGrid;

/// Shows a ChannelGrid in a table view: grid cell (c, r) is model index (r, c), its text the
/// display value. Read-only; follows every cell and size change of the grid.
class ChannelGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Binds to \a grid, which must outlive the model's use (a destroyed grid shows empty).
    explicit ChannelGridModel(ChannelGrid &grid, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void resetFromGrid();

    QPointer<ChannelGrid> m_grid;
};

} // namespace zel
