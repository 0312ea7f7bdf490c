// Helpers shared by the tests: scratch folders, waiting with a deadline,
// running and stopping other programs, and an X server and a message bus of
// the test's own.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orvane::test {

// The test's scratch root (ORVANE_TEST_DIR, set by run-isolated.sh), or the
// temporary folder.
QString ScratchRoot();

// A new empty folder below the scratch root.
QString MakeScratchDir(const QString& name);

// Folder of the staged executables (ORVANE_STAGE_DIR).
QString StageDir();

// Source tree root (ORVANE_SOURCE_DIR).
QString SourceDir();

QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);

// Polls condition every 20 ms, processing events, until it holds or the
// deadline passes.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

// What a program run to its end did.
struct ProcessRun {
    bool finished = false;  // false: killed at the deadline
    int exitCode = -1;      // -1 also when it crashed
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs program to its end (killed after timeoutMs).
ProcessRun RunProcess(const QString& program, const QStringList& args,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 60000);

// Asks a running program to end, and kills it when it has not within 5 s.
void StopProcess(QProcess& process);

// A message bus of the test's own (dbus-daemon --session), stopped by the
// destructor.
class SessionBus {
public:
    SessionBus();
    ~SessionBus() { StopProcess(m_process); }
    bool Started() const { return !m_address.isEmpty(); }
    QString Address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
};

// An Xvfb server on a free display number, stopped by the destructor.
class Xvfb {
public:
    Xvfb(int width = 1920, int height = 1080);
    ~Xvfb();
    bool Started() const { return m_started; }
    QString Display() const { return m_display; }  // ":N"

private:
    std::unique_ptr<QProcess> m_process;
    QString m_display;
    bool m_started = false;
};

}  // namespace orvane::test
