#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>
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
    /// Which of the first \a num variables \a vars any definition may read or write; the
    /// store hook copies only those from the row. All of them unless the evaluator knows.
    virtual std::vector<bool> variablesRead(int num, const QStringList &vars)
    {
        Q_UNUSED(vars);
        return std::vector<bool>(size_t(std::max(num, 0)), true);
    }
    /// Computes definition \a index over the variables \a vars with values \a vals (both
    /// \a num long); numbers the formula assigns to variables are written back to \a vals.
    /// Nothing when it fails: failures are the evaluator's to count and report.
    virtual std::optional<double> evaluate(
        int index, int num, const QStringList &vars, std::vector<double> &vals)
        = 0;
    /// True when definition \a index may be computed for many rows at once by
    /// evaluateColumns: it changes no variable and no definition changes variables by name,
    /// so each row's result depends on that row's values alone.
    virtual bool computesColumns(int index, int num, const QStringList &vars)
    {
        Q_UNUSED(index);
        Q_UNUSED(num);
        Q_UNUSED(vars);
        return false;
    }
    /// Computes definition \a index for \a count rows, in order, as evaluate would one row
    /// after the other: variable i of row r is columns[i][r] where columns[i] is set, else
    /// vals[i]. results[r] gets the row's result, or 0 where it failed (counted as evaluate
    /// counts failures).
    virtual void evaluateColumns(int index, int num, const QStringList &vars,
        const std::vector<const double *> &columns, const std::vector<double> &vals, int count,
        double *results)
    {
        std::vector<double> row = vals;
        for (int r = 0; r < count; ++r) {
            for (size_t i = 0; i < columns.size() && i < row.size(); ++i) {
                if (columns[i])
                    row[i] = columns[i][r];
            }
            results[r] = evaluate(index, num, vars, row).value_or(0.0);
        }
    }
};

} // namespace zel
