#include "dashmanager/DashEmulator.h"

#include <QTimer>

namespace zel {

DashEmulator::DashEmulator(
    QString program, QStringList leadingArguments, int closeTimeoutMs, QObject *parent)
    : QObject(parent)
    , m_program(std::move(program))
    , m_leadingArguments(std::move(leadingArguments))
    , m_killTimer(new QTimer(this))
{
    m_killTimer->setSingleShot(true);
    m_killTimer->setInterval(closeTimeoutMs);
    connect(m_killTimer, &QTimer::timeout, &m_process, &QProcess::kill);
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
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void DashEmulator::start(const QString &cardRoot)
{
    if (m_running)
        return;
    m_running = true;
    m_process.setProgram(m_program);
    m_process.setArguments(m_leadingArguments + QStringList { cardRoot });
    m_process.start(QIODevice::NotOpen);
}

void DashEmulator::requestClose()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_killTimer->start();
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
