#include "formula/TextFootprint.h"

#include <algorithm>

namespace zel {

void TextFootprint::add(const TCalcArray &values)
{
    for (const TCalcItem &v : values)
        add(v.str);
}

void TextFootprint::add(const QStringList &names)
{
    for (const QString &name : names)
        add(name);
}

qsizetype TextFootprint::characters()
{
    std::sort(m_buffers.begin(), m_buffers.end());
    qsizetype total = 0;
    for (size_t i = 0; i < m_buffers.size(); ++i) {
        if (i == 0 || m_buffers[i].first != m_buffers[i - 1].first)
            total += m_buffers[i].second;
    }
    return total;
}

} // namespace zel
