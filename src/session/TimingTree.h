#pragma once

#include "session/TimingNode.h"

#include <QObject>

namespace zel {

/// The timing tree as the session objects build it: one top-level node per log, laps under
/// it, sectors and differences below. A window binds a tree widget to it.
class TimingTree : public QObject
{
    Q_OBJECT
public:
    /// An empty tree.
    explicit TimingTree(QObject *parent = nullptr);

    /// Top-level nodes, in the order added.
    const std::vector<std::unique_ptr<TimingNode>> &topLevel() const { return m_top; }
    /// Adds a top-level node.
    TimingNode *addTopLevel(const QString &text);
    /// Adds a child under \a parent.
    TimingNode *addChild(TimingNode *parent, const QString &text);
    /// Replaces a node's text.
    void setText(TimingNode *node, const QString &text);
    /// The first top-level node with exactly this text, or null.
    TimingNode *findTopLevel(const QString &text) const;
    /// Removes every node.
    void clear();

    /// Holds `changed` back while it lives; one `changed` follows when anything changed, so
    /// a view rebuilds once for a whole log rather than once per node.
    class UpdateBatch
    {
    public:
        explicit UpdateBatch(TimingTree &tree);
        ~UpdateBatch();
        UpdateBatch(const UpdateBatch &) = delete;
        UpdateBatch &operator=(const UpdateBatch &) = delete;

    private:
        TimingTree &m_tree;
    };

Q_SIGNALS:
    /// Nodes were added, renamed or removed.
    void changed();

private:
    void notify();

    std::vector<std::unique_ptr<TimingNode>> m_top;
    int m_batchDepth = 0;
    bool m_changedInBatch = false;
};

} // namespace zel
