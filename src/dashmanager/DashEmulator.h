#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

class QTimer;

namespace zel {

/// The dash emulator as a child process, started against one card: the program is given
/// the card's root as its last argument, without a shell. The emulator's window is not
/// looked for: a started process counts as one showing it, and the caller waits for the
/// process to end. A close request asks the process to end (SIGTERM) and kills it
/// when it has not ended after a grace period; a process still running when the object goes
/// is killed, so no emulator outlives the window that started it.
class DashEmulator : public QObject
{
    Q_OBJECT
public:
    /// Runs \a program with \a leadingArguments before the card's root (for an emulator
    /// started through a loader, such as "wine KRO.exe"). A close request kills the process
    /// \a closeTimeoutMs after asking it to end.
    explicit DashEmulator(QString program, QStringList leadingArguments = {},
        int closeTimeoutMs = 3000, QObject *parent = nullptr);
    ~DashEmulator() override;

    /// The program started.
    const QString &program() const { return m_program; }
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

    QString m_program;
    QStringList m_leadingArguments;
    QProcess m_process;
    QTimer *m_killTimer;
    bool m_running = false;
};

} // namespace zel
