#pragma once

#include <QTreeWidget>

namespace zel {

class TimingTree;

/// The "Timing Data" tree: shows a TimingTree and is rebuilt whenever it changes.
class TimingTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    TimingTreeView(TimingTree &tree, QWidget *parent = nullptr);

private:
    void rebuild();

    TimingTree &m_tree;
};

} // namespace zel
