#pragma once

#include <QString>
#include <QStringList>
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
    virtual double evaluate(int index, int num, const QStringList &vars, std::vector<double> &vals)
        = 0;
};

} // namespace zel
