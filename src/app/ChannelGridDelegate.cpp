#include "app/ChannelGridDelegate.h"

#include <QPainter>

namespace zel {

ChannelGridDelegate::ChannelGridDelegate(DrawCell drawCell, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_drawCell(std::move(drawCell))
{ }

void ChannelGridDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const bool drawn = m_drawCell(*painter, option.rect, index.column(), index.row());
    painter->restore();
    if (!drawn)
        QStyledItemDelegate::paint(painter, option, index);
}

} // namespace zel
