#include "session/TimingTree.h"

namespace zel {

TimingTree::TimingTree(QObject *parent)
    : QObject(parent)
{ }

TimingNode *TimingTree::addTopLevel(const QString &text)
{
    m_top.push_back(std::make_unique<TimingNode>(TimingNode { text, {} }));
    Q_EMIT changed();
    return m_top.back().get();
}

TimingNode *TimingTree::addChild(TimingNode *parent, const QString &text)
{
    parent->children.push_back(std::make_unique<TimingNode>(TimingNode { text, {} }));
    Q_EMIT changed();
    return parent->children.back().get();
}

void TimingTree::setText(TimingNode *node, const QString &text)
{
    node->text = text;
    Q_EMIT changed();
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
    Q_EMIT changed();
}

} // namespace zel
