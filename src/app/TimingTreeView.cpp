#include "app/TimingTreeView.h"

#include "session/TimingTree.h"

namespace zel {

namespace {

void addChildren(QTreeWidgetItem *item, const TimingNode &node)
{
    for (const auto &child : node.children)
        addChildren(new QTreeWidgetItem(item, { child->text }), *child);
}

} // namespace

TimingTreeView::TimingTreeView(TimingTree &tree, QWidget *parent)
    : QTreeWidget(parent)
    , m_tree(tree)
{
    setHeaderHidden(true);
    connect(&tree, &TimingTree::changed, this, &TimingTreeView::rebuild);
    rebuild();
}

void TimingTreeView::rebuild()
{
    clear();
    for (const auto &node : m_tree.topLevel())
        addChildren(new QTreeWidgetItem(this, { node->text }), *node);
}

} // namespace zel
