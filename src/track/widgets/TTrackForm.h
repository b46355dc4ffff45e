#pragma once

#include "logger/TKROTrack.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "track/LapEdgeImports.h"

#include <QMainWindow>
#include <QPointF>
#include <optional>

class QAction;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QProgressBar;
class QTabWidget;

namespace zel {

class TrackLineList;
class TrackMapView;
class UserDialogs;
struct FileDialogRequest;

/// The "Track Map" window, where a circuit's map and the line files for the logger's card
/// are made: the inside and outside edges come from laps the main window sends or from
/// path files of a mapping application, and are saved and opened as ".map" files; on the
/// map the user places the start/finish, sector and logging lines of a sector file and
/// the message lines of a message file. Closing it discards the map and the lines: they
/// survive only in files.
class TTrackForm : public QMainWindow
{
    Q_OBJECT
public:
    /// \a dataFolder is where the map and sector-file dialogs start (made when missing).
    TTrackForm(UserDialogs &dialogs, const QString &dataFolder, QWidget *parent = nullptr);
    ~TTrackForm() override;

    RecordTable MapTable;
    /// The sector file.
    TKROTrack KROTrack1;
    /// The message file.
    TKROTrack KROMessage;

    TrackMapView &TrackMap() { return *m_view; }

    /// Builds the inside, respectively outside, edge of the map from \a lap. Once both
    /// edges came from laps the map is tidied; until then the status line asks for the
    /// other one. An error is shown in a box.
    void ImportinsidefromSelectedLap(const RecordTable &lap);
    void ImportOutsidefromSelectedLap(const RecordTable &lap);

signals:
    /// The window was closed: the main window stops sending laps.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *createSectorPage();
    QWidget *createMessagePage();
    void createMenus();
    QString dataFolder() const;

    void importLap(const RecordTable &lap, TrackSide side);
    void importPathFile(TrackSide side);
    void setPathImportsEnabled(bool enabled);
    void showMapAfresh();

    void OpenTrackFile1Click();
    void SaveTrackFile1Click();
    void ClearCurrentTrack1Click();
    void AddSectorClick();
    void AddMessageClick();
    void openLineFile(TKROTrack &track, const FileDialogRequest &request);
    void saveLineFile(TKROTrack &track, FileDialogRequest request);
    void showActiveSector();
    void showActiveMessage();
    void discardEverything();

    void TrackMapMouseMove(QMouseEvent *event);
    void TrackMapMousePress(QMouseEvent *event);
    void TrackMapMouseRelease(QMouseEvent *event);
    TrackLineList &pageList();

    UserDialogs &m_dialogs;
    QString m_dataFolder;
    QCustomPlot *m_plot = nullptr;
    TrackMapView *m_view = nullptr;
    QTabWidget *m_pages = nullptr;
    QListWidget *m_sectorList = nullptr;
    QListWidget *m_messageList = nullptr;
    TrackLineList *m_sectors = nullptr;
    TrackLineList *m_messages = nullptr;
    QDoubleSpinBox *m_targetTime = nullptr;
    QLabel *m_sectorName = nullptr;
    QLineEdit *m_messageText = nullptr;
    QLabel *m_messageName = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QAction *m_importInsidePath = nullptr;
    QAction *m_importOutsidePath = nullptr;
    ProgressModel m_progress;
    LapEdgeImports m_lapImports;
    // Where the left button went down, to tell a click from a zoom drag.
    std::optional<QPointF> m_pressPixel;
    bool m_centred = false;
};

} // namespace zel
