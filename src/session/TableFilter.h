#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace zel {

/// A parsed filter expression: equality tests joined by "and", such as
/// "RecordType = 1 and [Lap_Number] = 3" or "Name = 'O''Brien'". The expression is never
/// handed to a database; values are compared by the record table itself.
class TableFilter
{
public:
    /// One test "column = value"; the value is a double or a QString.
    struct Test
    {
        QString column;
        QVariant value;
    };

    /// Parses \a expression; throws RecordTableError naming the filter when it is malformed.
    /// A blank expression gives a filter without tests, which every row passes.
    static TableFilter parse(const QString &expression);

    /// The tests, in the order written.
    const std::vector<Test> &tests() const { return m_tests; }

private:
    std::vector<Test> m_tests;
};

} // namespace zel
