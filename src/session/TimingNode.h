#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace zel {

/// One node of the timing tree: its text and its children, in the order added.
struct TimingNode
{
    QString text;
    std::vector<std::unique_ptr<TimingNode>> children;
};

} // namespace zel
