#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace orvane::test {

QString ScratchRoot()
{
    const QString root = qEnvironmentVariable("ORVANE_TEST_DIR");
    return root.isEmpty() ? QDir::tempPath() : root;
}

QString MakeScratchDir(const QString& name)
{
    static int counter = 0;
    const QString path = ScratchRoot() + "/" + name + "-" + QString::number(++counter);
    QDir().mkpath(path);
    return path;
}

QString StageDir()
{
    return qEnvironmentVariable("ORVANE_STAGE_DIR");
}

QString SourceDir()
{
    return qEnvironmentVariable("ORVANE_SOURCE_DIR");
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

ProcessRun RunProcess(const QString& program, const QStringList& args, const QProcessEnvironment& environment,
                      int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    ProcessRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.standardOutput = process.readAllStandardOutput();
    run.standardError = process.readAllStandardError();
    return run;
}

void StopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(3000);
}

SessionBus::SessionBus()
{
    m_process.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (m_process.waitForStarted(5000) && WaitFor([&] { return m_process.canReadLine(); }, 10000))
        m_address = QString::fromUtf8(m_process.readLine()).trimmed();
}

Xvfb::Xvfb(int width, int height)
{
    for (int number = 90; number < 140 && !m_started; ++number) {
        if (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(number)) ||
            QFileInfo::exists(QString("/tmp/.X%1-lock").arg(number)))
            continue;
        m_display = QString(":%1").arg(number);
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->start("Xvfb", {m_display, "-screen", "0", QString("%1x%2x24").arg(width).arg(height),
                                  "-nolisten", "tcp", "+extension", "RANDR"});
        if (!m_process->waitForStarted(5000))
            continue;
        m_started = WaitFor([&] { return QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(number)) ||
                                         m_process->state() != QProcess::Running; }, 10000) &&
                    m_process->state() == QProcess::Running;
        if (!m_started) {
            m_process->kill();
            m_process->waitForFinished(2000);
        }
    }
}

Xvfb::~Xvfb()
{
    if (m_process)
        StopProcess(*m_process);
}

}  // namespace orvane::test
