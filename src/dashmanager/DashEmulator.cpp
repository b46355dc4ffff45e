#include "dashmanager/DashEmulator.h"

#include <QFile>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace zel {

EmulatorLaunch emulatorLaunch(const QString &emulator, const QString &wine)
{
    QFile file(emulator);
    if (!wine.isEmpty() && file.open(QIODevice::ReadOnly) && file.read(2) == "MZ")
        return { emulator, wine, { emulator }, true };
    return { emulator, emulator, {}, false };
}

DashEmulator::DashEmulator(EmulatorLaunch launch, int closeTimeoutMs, QObject *parent)
    : QObject(parent)
    , m_launch(std::move(launch))
    , m_killTimer(new QTimer(this))
{
    m_killTimer->setSingleShot(true);
    m_killTimer->setInterval(closeTimeoutMs);
    connect(m_killTimer, &QTimer::timeout, this, [this] { signalGroup(SIGKILL); });
    // A group of its own, so that closing reaches what the emulator started (a loader's
    // processes) and a terminal's Ctrl+C to this program leaves it alone.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(&m_process, &QProcess::finished, this, [this] { finish(); });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // Other errors (a crash, a failed read) end in finished() as well.
        if (error == QProcess::FailedToStart && m_running) {
            Q_EMIT failedToStart();
            finish();
        }
    });
}

DashEmulator::~DashEmulator()
{
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        signalGroup(SIGKILL);
        m_process.waitForFinished(1000);
    }
}

void DashEmulator::start(const QString &cardRoot)
{
    if (m_running)
        return;
    m_running = true;
    QString root = cardRoot;
    if (m_launch.windowsPath)
        root = QStringLiteral("Z:") + root.replace(u'/', u'\\');
    m_process.setProgram(m_launch.program);
    m_process.setArguments(m_launch.leadingArguments + QStringList { root });
    m_process.start(QIODevice::NotOpen);
}

void DashEmulator::requestClose()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    signalGroup(SIGTERM);
    m_killTimer->start();
}

void DashEmulator::signalGroup(int signal)
{
    // The emulator leads its group until it has been reaped, so the group is still its own.
    // Just after the start the child may not have made its group yet: this makes it (and
    // fails harmlessly once the child has run the program).
    const auto leader = pid_t(m_process.processId());
    if (m_process.state() == QProcess::NotRunning || leader <= 0)
        return;
    ::setpgid(leader, leader);
    if (::kill(-leader, signal) != 0)
        ::kill(leader, signal);
}

void DashEmulator::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_killTimer->stop();
    Q_EMIT ended();
}

} // namespace zel
