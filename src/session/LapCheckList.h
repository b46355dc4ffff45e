#pragma once

#include <QObject>
#include <QStringList>
#include <vector>

namespace zel {

/// A single-column check list of laps, as one page of the lap pages shows it.
class LapCheckList : public QObject
{
    Q_OBJECT
public:
    /// An empty list.
    explicit LapCheckList(QObject *parent = nullptr);

    /// The entries.
    const QStringList &items() const { return m_items; }
    /// Replaces the entries, all unticked.
    void setItems(const QStringList &items);
    /// True when entry \a index is ticked.
    bool checked(int index) const;
    /// Ticks or unticks an entry without notifying OnClickCheck.
    void setChecked(int index, bool on);
    /// What the user does: toggles entry \a index, then emits OnClickCheck.
    void clickCheck(int index);

Q_SIGNALS:
    /// The user toggled entry \a index.
    void OnClickCheck(int index);
    /// Entries or ticks changed.
    void changed();

private:
    QStringList m_items;
    std::vector<bool> m_checked;
};

} // namespace zel
