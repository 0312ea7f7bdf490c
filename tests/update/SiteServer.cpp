#include "SiteServer.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTcpServer>

#include "support/TestSupport.h"

namespace orvane::test {

SiteServer::SiteServer(const QString& folder) : m_process(std::make_unique<QProcess>())
{
    const QString python = QStandardPaths::findExecutable("python3");
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(python, {SourceDir() + "/tests/harness/site.py", folder});
    if (!m_process->waitForStarted(10000))
        return;
    QElapsedTimer clock;
    clock.start();
    while (!m_process->canReadLine() && clock.elapsed() < 15000)
        m_process->waitForReadyRead(200);
    m_port = m_process->readLine().trimmed().toInt();
}

SiteServer::~SiteServer()
{
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(3000)) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
}

QString SiteServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port) + path;
}

int UnusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

}  // namespace orvane::test
