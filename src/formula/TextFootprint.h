#pragma once

#include "formula/TCalcItem.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace zel {

/// The characters held by a set of texts, counting each buffer once: copies of a text
/// share its buffer, so a variable pushed many times costs its characters only once.
class TextFootprint
{
public:
    /// Adds a text.
    void add(const QString &text)
    {
        ++m_examined;
        const qsizetype held = std::max(text.capacity(), text.size());
        if (held > 0)
            m_buffers.emplace_back(quintptr(text.constData()), held);
    }
    /// Adds the texts of values.
    void add(const TCalcArray &values);
    /// Adds names.
    void add(const QStringList &names);

    /// Number of texts looked at, empty ones included.
    qsizetype examined() const { return m_examined; }
    /// Characters of the distinct buffers added.
    qsizetype characters();

private:
    std::vector<std::pair<quintptr, qsizetype>> m_buffers; // buffer address, characters
    qsizetype m_examined = 0;
};

} // namespace zel
