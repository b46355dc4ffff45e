#include "app/LapPagesView.h"

#include "session/LapCheckList.h"
#include "session/LapPages.h"

#include <QListWidget>

namespace zel {

namespace {

void showTicks(QListWidget &view, const LapCheckList &list)
{
    const QSignalBlocker quiet(&view);
    if (view.count() != list.items().size()) {
        view.clear();
        for (const QString &text : list.items()) {
            auto *item = new QListWidgetItem(text, &view);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
    }
    for (int i = 0; i < view.count(); ++i) {
        QListWidgetItem *item = view.item(i);
        item->setText(list.items().at(i));
        item->setCheckState(list.checked(i) ? Qt::Checked : Qt::Unchecked);
    }
}

} // namespace

LapPagesView::LapPagesView(LapPages &pages, QWidget *parent)
    : QTabWidget(parent)
    , m_pages(pages)
{
    setTabPosition(QTabWidget::West);
    connect(&pages, &LapPages::pagesChanged, this, &LapPagesView::rebuild);
    rebuild();
}

void LapPagesView::rebuild()
{
    while (count() > 0) {
        QWidget *page = widget(0);
        removeTab(0);
        delete page;
    }
    for (int i = 0; i < m_pages.count(); ++i) {
        LapCheckList *list = m_pages.list(i);
        auto *view = new QListWidget;
        showTicks(*view, *list);
        connect(list, &LapCheckList::changed, view, [view, list] { showTicks(*view, *list); });
        connect(view, &QListWidget::itemChanged, list, [view, list](QListWidgetItem *item) {
            const int row = view->row(item);
            // The list decides: its click handler may tick other entries or none.
            if ((item->checkState() == Qt::Checked) != list->checked(row))
                list->clickCheck(row);
            showTicks(*view, *list);
        });
        addTab(view, m_pages.title(i));
    }
}

} // namespace zel
