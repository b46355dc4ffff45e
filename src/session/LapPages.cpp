#include "session/LapPages.h"

#include "session/LapCheckList.h"

namespace zel {

LapPages::LapPages(QObject *parent)
    : QObject(parent)
{ }

LapCheckList *LapPages::addPage(const QString &title, int tag)
{
    auto *list = new LapCheckList(this);
    m_pages.push_back(Page { title, tag, list });
    Q_EMIT pagesChanged();
    return list;
}

void LapPages::removePage(int index)
{
    const Page page = m_pages.at(size_t(index));
    m_pages.erase(m_pages.begin() + index);
    delete page.list;
    Q_EMIT pagesChanged();
}

} // namespace zel
