// Helpers shared by the tests: scratch folders, waiting with a deadline, and
// an X server of the test's own.
#pragma once

#include <QProcess>
#include <QString>

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
