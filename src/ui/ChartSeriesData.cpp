#include "ui/ChartSeriesData.h"

#include "common/Error.h"
#include "session/RecordTable.h"

#include <cmath>
#include <limits>

namespace zel {

namespace {

const ColumnStore &numberColumn(const RecordTable &table, const QString &name)
{
    const int column = table.findColumn(name);
    if (column < 0)
        throw Error(QStringLiteral("The table has no column '%1' to chart").arg(name));
    const ColumnStore &store = table.columnStore(column);
    if (!isNumericType(store.def().type))
        throw Error(QStringLiteral("Column '%1' holds no numbers and cannot be charted").arg(name));
    return store;
}

} // namespace

ChartSeriesData ChartSeriesData::fromView(
    const RecordTable &table, const QString &xColumn, const QString &yColumn)
{
    const ColumnStore &xs = numberColumn(table, xColumn);
    const ColumnStore &ys = numberColumn(table, yColumn);
    ChartSeriesData data;
    if (!table.isOpen())
        return data;
    const int count = table.recordCount();
    data.keys.reserve(count);
    data.values.reserve(count);
    data.positions.reserve(size_t(count));
    constexpr double inf = std::numeric_limits<double>::infinity();
    double keyLow = inf, keyHigh = -inf, valueLow = inf, valueHigh = -inf;
    for (int position = 0; position < count; ++position) {
        const size_t row = size_t(table.viewRow(position));
        if (xs.isNull(row) || ys.isNull(row))
            continue;
        const double key = xs.number(row);
        if (!std::isfinite(key))
            continue;
        const double value = ys.number(row);
        if (key < keyHigh)
            data.sortedByKey = false;
        keyLow = std::min(keyLow, key);
        keyHigh = std::max(keyHigh, key);
        if (std::isfinite(value)) {
            valueLow = std::min(valueLow, value);
            valueHigh = std::max(valueHigh, value);
        }
        data.keys.append(key);
        data.values.append(value);
        data.positions.push_back(position);
    }
    if (keyLow <= keyHigh)
        data.keyRange = QCPRange(keyLow, keyHigh);
    if (valueLow <= valueHigh)
        data.valueRange = QCPRange(valueLow, valueHigh);
    return data;
}

int ChartSeriesData::nearestByKey(double key) const
{
    if (keys.isEmpty() || std::isnan(key))
        return -1;
    if (sortedByKey) {
        const auto after = std::lower_bound(keys.begin(), keys.end(), key);
        if (after == keys.begin())
            return 0;
        if (after == keys.end())
            return size() - 1;
        const auto before = std::lower_bound(keys.begin(), after, *(after - 1));
        return int(
            key - *(after - 1) <= *after - key ? before - keys.begin() : after - keys.begin());
    }
    int best = 0;
    for (int i = 1; i < size(); ++i) {
        if (std::abs(keys[i] - key) < std::abs(keys[best] - key))
            best = i;
    }
    return best;
}

} // namespace zel
