#pragma once

#include "logger/TKROTrack.h"
#include "session/RecordTable.h"

#include <QColor>
#include <QMainWindow>

class QCustomPlot;

namespace zel {

class ChannelGrid;
class TrackMapView;
class UserDialogs;

/// The "Track Lap" window: a viewer of a circuit map (".map"), the lines of a sector file,
/// the race lines of laps the main window sends, and the position dots the main window's
/// cursor draws on it. It edits nothing.
class TTrackLapForm : public QMainWindow
{
    Q_OBJECT
public:
    /// \a dataFolder is where its file dialogs start (made when missing).
    TTrackLapForm(UserDialogs &dialogs, const QString &dataFolder, QWidget *parent = nullptr);
    ~TTrackLapForm() override;

    RecordTable MapTable;
    TKROTrack KROTrack1;

    TrackMapView &TrackMap() { return *m_view; }

    /// Shows the race line of the log in \a grid's column \a column (its data table) in
    /// \a colour, once per table; a column without a log does nothing. The view scales
    /// itself to everything again.
    void AddRaceline(const ChannelGrid &grid, int column, const QColor &colour);
    /// Removes the race line of the log in \a grid's column \a column.
    void RemoveRaceline(const ChannelGrid &grid, int column);
    /// Removes every race line.
    void Removelines();

    /// "Open Track File", "Open Sector File".
    void OpenTrackFile1Click();
    void OpenSectorFile1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void KROTrack1loadTable();
    QString dialogFolder() const;

    UserDialogs &m_dialogs;
    QString m_dataFolder;
    QCustomPlot *m_plot = nullptr;
    TrackMapView *m_view = nullptr;
    bool m_centred = false;
};

} // namespace zel
