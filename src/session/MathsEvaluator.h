#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace zel {

/// The maths channel definitions in use and the engine that computes them, as the data
/// module's per-row hook sees them.
class MathsEvaluator
{
public:
    virtual ~MathsEvaluator() = default;
    /// Names of the definitions, in the order they are computed; each names its column.
    virtual QStringList channelNames() const = 0;
    /// Computes definition \a index over the variables \a vars with values \a vals (both
    /// \a num long); numbers the formula assigns to variables are written back to \a vals.
    /// Throws on any failure.
    /// Which of the first \a num variables \a vars any definition may read or write; the
    /// store hook copies only those from the row. All of them unless the evaluator knows.
    virtual std::vector<bool> variablesRead(int num, const QStringList &vars)
    {
        Q_UNUSED(vars);
        return std::vector<bool>(size_t(std::max(num, 0)), true);
    }
    virtual double evaluate(int index, int num, const QStringList &vars, std::vector<double> &vals)
        = 0;
};

} // namespace zel
