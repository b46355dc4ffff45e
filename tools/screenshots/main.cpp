// Renders the program's windows offscreen into PNG files, for the README and for looking at
// the windows without a display: `zel-screenshots PROGRAM_FOLDER OUT_FOLDER LOG...` opens
// the session logs in the main window as a user would, charts three channels of each, and
// saves one picture per state (separated axes, then overlaid), then the timing page, the track
// lap window with the demo circuit's map, sector lines and the logs' race lines and the track
// map editor with the same map and lines, two laps of the first log laid over each other with
// the cursor's readout and position dots (when PROGRAM_FOLDER/Data holds "Demo Circuit.map"
// and "Demo Circuit.Prc"), the display options dialog, the logger configuration window with a
// demo card selected, and the about box.
#include "app/AboutBox.h"
#include "app/ChannelChart.h"
#include "app/ProgramStart.h"
#include "app/TfrmSetChart.h"
#include "card/CardDrives.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "dashmanager/TfrmInitCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/TKROSettings.h"
#include "session/LapCheckList.h"
#include "track/widgets/TTrackForm.h"
#include "track/widgets/TTrackLapForm.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>

namespace {

bool save(QWidget &window, const QString &file)
{
    QApplication::processEvents();
    if (window.grab().save(file))
        return true;
    std::fprintf(stderr, "zel-screenshots: cannot write %s\n", qPrintable(file));
    return false;
}

const QStringList kChannels { QStringLiteral("ECU_RPM"), QStringLiteral("GPSSpeed"),
    QStringLiteral("ECU_TPS") };

void trigger(zel::TMainForm &window, const char *action)
{
    if (auto *found = window.findChild<QAction *>(QLatin1String(action)))
        found->trigger();
}

// Opens the logs and charts the channels of each, choosing cells as the keyboard would.
void openAndChart(zel::TMainForm &window, const QStringList &logs)
{
    for (const QString &log : logs)
        window.OpenLogFile(log);
    auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
    for (const QString &channel : kChannels) {
        const int row = window.StringGrid1().rowOfName(channel);
        for (int column = 1; grid && row > 0 && column <= logs.size(); ++column) {
            grid->setCurrentIndex(grid->model()->index(row, column));
            trigger(window, "AddtoChart1");
        }
    }
}

// Two laps of one log laid over each other by lap distance, two channels charted, and the
// cursor standing in the second half of the lap: the grid shows both laps' values there and
// the track lap window both cars' positions.
bool lapsUnderTheCursor(zel::TMainForm &window, zel::TTrackLapForm &trackLap,
    zel::ScriptedUserDialogs &dialogs, const QString &log, const QString &out)
{
    trigger(window, "Clearalllogs1");
    dialogs.answerOpenFile(log);
    trigger(window, "OpenLogAsLaps");
    if (window.YLists.empty() || !window.YLists[0])
        return false;
    zel::LapCheckList &laps = *window.YLists[0];
    for (int entry : { 2, 3 })
        laps.setChecked(entry, true);
    if (auto *apply = window.findChild<QPushButton *>(QStringLiteral("Button2")))
        apply->click();
    trigger(window, "SeparateSelect");
    auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
    for (const QString &channel : { QStringLiteral("GPSSpeed"), QStringLiteral("ECU_TPS") }) {
        const int row = window.StringGrid1().rowOfName(channel);
        for (int column = 1; grid && row > 0 && column <= 2; ++column) {
            grid->setCurrentIndex(grid->model()->index(row, column));
            trigger(window, "AddtoChart1");
        }
    }
    trigger(window, "ShowTrackMap1");
    QApplication::processEvents();
    auto &plot = window.chart().view().plot();
    plot.replot();
    const QRect area = plot.axisRect()->rect();
    const QPoint at(area.left() + area.width() * 6 / 10, area.center().y());
    QMouseEvent move(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(&plot, &move);
    bool ok = save(window, out + QStringLiteral("/main-window-laps.png"));
    ok = save(trackLap, out + QStringLiteral("/track-lap-cursor.png")) && ok;
    trackLap.close();
    return ok;
}

// One card, a demo card written to a temporary folder, as the removable drive.
class DemoCardDrive : public zel::CardDrives
{
public:
    explicit DemoCardDrive(QString root)
        : m_root(std::move(root))
    { }
    QStringList roots() const override { return { m_root }; }
    QString identity(const QString &) const override { return QStringLiteral("demo"); }

private:
    QString m_root;
};

// The logger configuration window with the demo card selected, on its "SD Card" page, and
// the card initialisation window over it.
bool loggerConfig(zel::TKRO_Data &data, zel::ScriptedUserDialogs &dialogs,
    const QString &programFolder, QWidget &parent, const QString &out, const QString &log)
{
    QTemporaryDir card;
    if (!card.isValid())
        return false;
    zel::DemoCard().write(card.path());
    zel::TKROSettings settings;
    settings.setSettingsFileName(zel::CardPaths(card.path()).settingsFile());
    settings.LoadSettingsTable();
    settings.settings().DataDict.Vehicle.assign(QStringLiteral("Demo car"));
    settings.CloseSettingsTable();
    DemoCardDrive drive(card.path());
    zel::TfrmLoggerConfig window(data, dialogs, drive, programFolder, {}, &parent);
    // As on a desktop screen; the offscreen one is smaller.
    window.resize(1100, 820);
    window.show();
    auto *cards = window.findChild<QComboBox *>(QStringLiteral("SelectionDriveList"));
    cards->setCurrentIndex(cards->findData(card.path()));
    bool ok = save(window, out + QStringLiteral("/logger-config.png"));
    // The other pages, each as its node in the page tree shows it; the log file editor with
    // a demo log open.
    dialogs.answerOpenFile(log);
    window.findChild<QAction *>(QStringLiteral("OpenImportedLog1"))->trigger();
    const char *const pageFiles[] = { "log-settings", "channel-translations", "log-channels",
        "logs", "log-file-editor" };
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("PageTree"));
    for (int page = 1; tree && page <= int(std::size(pageFiles)); ++page) {
        tree->setCurrentItem(tree->topLevelItem(page));
        ok = save(window,
                 out + QStringLiteral("/logger-config-%1.png").arg(QLatin1String(pageFiles[page - 1])))
            && ok;
    }
    tree->setCurrentItem(tree->topLevelItem(0));

    // The initialisation window as the user has filled it in for a new card.
    zel::TfrmInitCard init(&window);
    init.ecuList().setCurrentIndex(1);
    init.dashList().setCurrentIndex(3);
    init.show();
    ok = save(init, out + QStringLiteral("/init-card.png")) && ok;
    init.close();
    window.close();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: zel-screenshots PROGRAM_FOLDER OUT_FOLDER LOG...\n");
        return 2;
    }
    QDir().mkpath(args[1]);
    zel::ScriptedUserDialogs dialogs;
    zel::Program program
        = zel::startProgram(args[0], dialogs, zel::folderWritable, [](const QString &) {});
    zel::TMainForm &window = *program.window;
    window.resize(1400, 860);
    window.show();
    const QStringList logs = args.mid(2);
    openAndChart(window, logs);
    bool ok = save(window, args[1] + QStringLiteral("/main-window.png"));
    trigger(window, "Clearalllogs1");
    trigger(window, "OverlaySelect");
    openAndChart(window, logs);
    ok = save(window, args[1] + QStringLiteral("/main-window-overlaid.png")) && ok;
    if (auto *pages = window.findChild<QTabWidget *>(QStringLiteral("PageControl2"))) {
        pages->setCurrentIndex(1);
        if (auto *tree = window.findChild<QTreeView *>(QStringLiteral("TreeView1")))
            tree->expandAll();
        ok = save(window, args[1] + QStringLiteral("/main-window-timing.png")) && ok;
    }
    const QDir data(QDir(args.at(0)).filePath(QStringLiteral("Data")));
    const QString map = data.filePath(QStringLiteral("Demo Circuit.map"));
    const QString sectors = data.filePath(QStringLiteral("Demo Circuit.Prc"));
    if (QFile::exists(map) && QFile::exists(sectors)) {
        zel::TTrackLapForm &trackLap = *program.trackLap;
        trigger(window, "ShowTrackMap1");
        dialogs.answerOpenFile(map);
        trackLap.findChild<QAction *>(QStringLiteral("OpenTrackFile1"))->trigger();
        dialogs.answerOpenFile(sectors);
        trackLap.findChild<QAction *>(QStringLiteral("OpenSectorFile1"))->trigger();
        auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
        for (int column = 1; grid && column <= logs.size(); ++column) {
            grid->setCurrentIndex(grid->model()->index(1, column));
            trigger(window, "AddRaceLineData1");
        }
        ok = save(trackLap, args[1] + QStringLiteral("/track-lap.png")) && ok;
        trackLap.close();

        zel::TTrackForm &editor = *program.trackMap;
        trigger(window, "TrackMap1");
        dialogs.answerOpenFile(map);
        editor.findChild<QAction *>(QStringLiteral("OpenTrackFile1"))->trigger();
        dialogs.answerOpenFile(sectors);
        if (auto *open = editor.findChild<QPushButton *>(QStringLiteral("OpenSectorFile")))
            open->click();
        ok = save(editor, args[1] + QStringLiteral("/track-map-editor.png")) && ok;
        editor.close();

        ok = lapsUnderTheCursor(window, trackLap, dialogs, logs.first(), args[1]) && ok;
    }
    zel::TfrmSetChart displayOptions(dialogs, &window);
    zel::ChartDisplayOptions example;
    example.minimum = 0;
    example.maximum = 8000;
    example.divisions = 8;
    example.colour = Qt::red;
    example.axisColour = Qt::white;
    example.gridColour = Qt::gray;
    example.backColour = Qt::black;
    example.axisGrid = true;
    displayOptions.setOptions(example, QStringLiteral("ECU_RPM"));
    displayOptions.show();
    ok = save(displayOptions, args[1] + QStringLiteral("/display-options.png")) && ok;
    displayOptions.close();
    ok = loggerConfig(*program.data, dialogs, args[0], window, args[1], args[2]) && ok;
    zel::AboutBox about(&window);
    about.show();
    ok = save(about, args[1] + QStringLiteral("/about-box.png")) && ok;
    bool quiet = true;
    for (const zel::ShownDialog &shown : dialogs.shown()) {
        if (shown.kind == zel::DialogKind::OpenFile)
            continue;
        quiet = false;
        std::fprintf(stderr, "zel-screenshots: the window said: %s\n", qPrintable(shown.text));
    }
    return ok && quiet ? 0 : 1;
}
