// Starts the tests' update site (tests/harness/site.py) on 127.0.0.1 for one
// test and stops it afterwards.
#pragma once

#include <QProcess>
#include <QString>

#include <memory>

namespace orvane::test {

class SiteServer {
public:
    explicit SiteServer(const QString& folder);
    ~SiteServer();
    bool Started() const { return m_port > 0; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>/" followed by path.
    QString Url(const QString& path = QString()) const;

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
};

// A TCP port on 127.0.0.1 that nothing listens on.
int UnusedPort();

}  // namespace orvane::test
