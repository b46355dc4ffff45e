#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace zel {

/// Paints the channel grid's cells through the window's drawing rule; cells the rule leaves
/// alone (it returns false) get the view's own drawing.
class ChannelGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using DrawCell = std::function<bool(QPainter &, const QRect &, int column, int row)>;

    explicit ChannelGridDelegate(DrawCell drawCell, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

private:
    DrawCell m_drawCell;
};

} // namespace zel
