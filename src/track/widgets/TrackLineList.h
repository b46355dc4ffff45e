#pragma once

#include "track/TrackLinePlacing.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <vector>

class QCPItemLine;
class QListWidget;
class QListWidgetItem;

namespace zel {

class TrackMapView;
class UserDialogs;

/// One tick list of the track map editor with the lines it draws on the map: the sector
/// list over a sector file, or the message list over a message file. Each entry keeps the
/// number of its record, since a loaded file may use records with gaps and a deleted line
/// frees its record for the next one added. At most one entry is ticked: the active line,
/// whose first and second ends the next two clicks on the map place.
class TrackLineList : public QObject
{
    Q_OBJECT
public:
    /// Sector-file lines are tagged 1 on the map, message lines 2.
    static constexpr int kSectorTag = 1;
    static constexpr int kMessageTag = 2;
    /// The kinds of a message file: its first message line and every further one.
    static constexpr int kFirstMessageLine = 1;
    static constexpr int kMessageLine = 2;

    TrackLineList(UserDialogs &dialogs, QListWidget &list, TKROTrack &track, TrackMapView &view,
        LineFile file, QObject *parent = nullptr);

    /// Adds the entry \a name for a new line of \a kind in the first free record, drawn at
    /// once from the ends that record holds. Throws TrackMapError when every record is in
    /// use. Gives the record's number.
    int add(const QString &name, int kind);
    /// Removes the ticked entry and its line, and clears its record, which a later add
    /// takes again. Nothing ticked: nothing happens.
    void removeTicked();
    /// Lists the records of the file afresh, one entry with its line per record of a kind
    /// this file knows, in record order.
    void rebuild();
    /// Removes every entry and line and clears every record.
    void clear();

    /// Number of entries.
    int count() const { return int(m_entries.size()); }
    /// The record of entry \a entry.
    int recordOf(int entry) const { return m_entries[size_t(entry)].record; }
    /// The map line of entry \a entry.
    QCPItemLine *lineOf(int entry) const { return m_entries[size_t(entry)].item; }
    /// The record of the ticked entry, or none.
    TrackLine *activeLine();
    /// The text of the ticked entry, or empty.
    QString activeName() const;

    /// A click on the map at \a position (map units): places the first end of the active
    /// line, or its second end, which finishes the line and unticks its entry.
    void place(QPointF position);
    /// The mouse over the map at \a position: once the active line's first end is placed,
    /// its second end follows the mouse on the map until the click that places it.
    void follow(QPointF position);

    /// The colour of a line of \a kind in \a file; invalid for a kind the file does not use.
    static QColor lineColour(LineFile file, int kind);

signals:
    /// Another entry was ticked, or the ticked one was unticked or removed.
    void activeChanged();

private:
    struct Entry
    {
        int record;
        QCPItemLine *item;
    };

    void append(const QString &name, int record);
    void onItemChanged(QListWidgetItem *item);
    void activate(int entry);
    int tag() const { return m_file == LineFile::Sectors ? kSectorTag : kMessageTag; }

    UserDialogs &m_dialogs;
    QListWidget &m_list;
    TKROTrack &m_track;
    TrackMapView &m_view;
    LineFile m_file;
    std::vector<Entry> m_entries;
    int m_active = -1;
    // The active line's first end is placed and its second end follows the mouse.
    bool m_placing = false;
    // Set while the list's ticks are changed from here rather than by the user.
    bool m_updatingTicks = false;
};

} // namespace zel
