#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

class QTimer;

namespace zel {

/// How an emulator file is started.
struct EmulatorLaunch
{
    /// The emulator's file.
    QString emulator;
    /// The program run: the emulator itself, or a loader.
    QString program;
    /// Arguments before the card's root (the emulator, for a loader).
    QStringList leadingArguments;
    /// The card's root is given as a path of wine's "Z:" drive ("Z:\media\CARD"), as a
    /// Windows program expects a drive path.
    bool windowsPath = false;
};

/// A Windows program (a file starting with "MZ") runs through \a wine when that is given
/// (the loader found on the search path); anything else, or without wine, runs itself.
EmulatorLaunch emulatorLaunch(const QString &emulator, const QString &wine);

/// The dash emulator as a child process in a process group of its own, started against one
/// card: the program is given the card's root as its last argument, without a shell. The
/// emulator's window is not looked for: a started process counts as one showing it, and the
/// caller waits for the process to end. A close request asks the group to end (SIGTERM) and
/// kills it when the emulator has not ended after a grace period; an emulator still running
/// when the object goes is killed, so neither it nor a process it started (a loader's)
/// outlives the window that started it.
class DashEmulator : public QObject
{
    Q_OBJECT
public:
    /// Starts the emulator as \a launch says. A close request kills it \a closeTimeoutMs
    /// after asking it to end.
    explicit DashEmulator(
        EmulatorLaunch launch, int closeTimeoutMs = 3000, QObject *parent = nullptr);
    ~DashEmulator() override;

    /// The emulator's file.
    const QString &emulator() const { return m_launch.emulator; }
    /// True from start() until ended().
    bool running() const { return m_running; }

    /// Starts the emulator on the card whose root is \a cardRoot; it ends with ended(), or
    /// with failedToStart() when it cannot be started. Does nothing while it runs.
    void start(const QString &cardRoot);
    /// Asks a running emulator to close.
    void requestClose();

Q_SIGNALS:
    /// The program could not be started; ended() follows.
    void failedToStart();
    /// The emulator has ended (or never started).
    void ended();

private:
    void finish();
    void signalGroup(int signal);

    EmulatorLaunch m_launch;
    QProcess m_process;
    QTimer *m_killTimer;
    bool m_running = false;
};

} // namespace zel
