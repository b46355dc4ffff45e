#include "session/ImportColumns.h"

#include "session/SessionColumns.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace zel {

namespace {

// Column names are compared as the record table compares them: trimmed, without regard to
// case.
QString folded(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

QStringList fixedColumns()
{
    QStringList names;
    for (int c = 0; c < SessionColumns::FirstChannel; ++c)
        names << SessionColumns::name(SessionColumns::Column(c));
    return names;
}

} // namespace

ImportColumns::ImportColumns(
    const TDataDictionary &header, int channelCount, const QStringList &mathsNames)
{
    m_columnOfPosition.fill(-1);
    QSet<QString> taken;
    for (const QString &name : fixedColumns())
        taken.insert(folded(name));

    const int logged = std::min(int(header.NumberOfChannels), kMaxLogChannels);
    const int count = std::clamp(channelCount, 0, kMaxLogChannels);
    m_everyPosition = count < logged;
    const int positions = m_everyPosition ? kMaxLogChannels : count;

    // A raw name never reaches a fixed column: only channel columns that kept their raw
    // name are found here.
    QHash<QString, int> columnOfRawName;
    int clash = 1;
    for (int j = 0; j < positions; ++j) {
        const QString raw = header.ChannelNames[j].toString().trimmed();
        if (header.LogChannels[j] == kUnusedPosition || raw.isEmpty())
            continue;
        const auto same = columnOfRawName.constFind(raw);
        if (same != columnOfRawName.constEnd()) {
            m_columnOfPosition[std::size_t(j)] = *same;
            continue;
        }
        QString name = SessionColumns::cleanChannelName(raw).trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Channel_") + QString::number(j);
        if (taken.contains(folded(name))) {
            const auto suffixed = [&name](int u) { return name + u'_' + QString::number(u); };
            while (taken.contains(folded(suffixed(clash))))
                ++clash;
            name = suffixed(clash++);
        }
        taken.insert(folded(name));
        const int column = int(m_channelColumns.size());
        m_columnOfPosition[std::size_t(j)] = column;
        m_channelColumns << name;
        if (name == raw)
            columnOfRawName.insert(raw, column);
    }

    for (qsizetype i = 0; i < mathsNames.size(); ++i) {
        const QString &name = mathsNames[i];
        if (name.trimmed().isEmpty()) {
            m_skippedMaths.append({ int(i), name, MathsProblem::BlankName });
        } else if (taken.contains(folded(name))) {
            m_skippedMaths.append({ int(i), name, MathsProblem::TakenName });
        } else {
            taken.insert(folded(name));
            m_mathsColumns << name;
        }
    }
}

int ImportColumns::columnOfPosition(int position) const
{
    return position >= 0 && position < kMaxLogChannels ? m_columnOfPosition[std::size_t(position)]
                                                       : -1;
}

QStringList ImportColumns::allColumns() const
{
    return fixedColumns() + m_channelColumns + m_mathsColumns;
}

QStringList ImportColumns::logChannels() const
{
    return SessionColumns::logChannelColumns() + m_channelColumns;
}

} // namespace zel
