#include "session/LapCheckList.h"

namespace zel {

LapCheckList::LapCheckList(QObject *parent)
    : QObject(parent)
{ }

void LapCheckList::setItems(const QStringList &items)
{
    m_items = items;
    m_checked.assign(size_t(items.size()), false);
    Q_EMIT changed();
}

bool LapCheckList::checked(int index) const
{
    return index >= 0 && index < int(m_checked.size()) && m_checked[size_t(index)];
}

void LapCheckList::setChecked(int index, bool on)
{
    if (index < 0 || index >= int(m_checked.size()) || m_checked[size_t(index)] == on)
        return;
    m_checked[size_t(index)] = on;
    Q_EMIT changed();
}

void LapCheckList::clickCheck(int index)
{
    if (index < 0 || index >= int(m_checked.size()))
        return;
    setChecked(index, !m_checked[size_t(index)]);
    Q_EMIT OnClickCheck(index);
}

} // namespace zel
