#pragma once

#include <QJsonArray>

#include <cstddef>

namespace zel {

/// A fixed array of numbers from a packed record as a JSON array. The elements are copied
/// by value, so packed (unaligned) members are never bound to references.
template<typename T, std::size_t N>
QJsonArray numberArray(const T (&values)[N])
{
    QJsonArray array;
    for (std::size_t i = 0; i < N; ++i)
        array.append(double(values[i]));
    return array;
}

} // namespace zel
