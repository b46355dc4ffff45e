#include "session/TimingTree.h"

#include <utility>

namespace zel {

TimingTree::TimingTree(QObject *parent)
    : QObject(parent)
{ }

TimingNode *TimingTree::addTopLevel(const QString &text)
{
    m_top.push_back(std::make_unique<TimingNode>(TimingNode { text, {} }));
    notify();
    return m_top.back().get();
}

TimingNode *TimingTree::addChild(TimingNode *parent, const QString &text)
{
    parent->children.push_back(std::make_unique<TimingNode>(TimingNode { text, {} }));
    notify();
    return parent->children.back().get();
}

void TimingTree::setText(TimingNode *node, const QString &text)
{
    node->text = text;
    notify();
}

TimingNode *TimingTree::findTopLevel(const QString &text) const
{
    for (const auto &node : m_top) {
        if (node->text == text)
            return node.get();
    }
    return nullptr;
}

void TimingTree::clear()
{
    m_top.clear();
    notify();
}

void TimingTree::notify()
{
    if (m_batchDepth > 0)
        m_changedInBatch = true;
    else
        Q_EMIT changed();
}

TimingTree::UpdateBatch::UpdateBatch(TimingTree &tree)
    : m_tree(tree)
{
    ++m_tree.m_batchDepth;
}

TimingTree::UpdateBatch::~UpdateBatch()
{
    if (--m_tree.m_batchDepth == 0 && std::exchange(m_tree.m_changedInBatch, false))
        Q_EMIT m_tree.changed();
}

} // namespace zel
