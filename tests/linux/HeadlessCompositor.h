// Real Wayland compositors started headless for a test, each with its own
// runtime folder inside the test's scratch folder: KWin (from a copy of its
// binary without the file capability containers refuse) and sway (which
// will not run as root: it runs as "nobody" then).
#pragma once

#include <memory>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include "support/TestSupport.h"

class HeadlessCompositor {
public:
    enum class Kind { KWin, Sway };
    // Starts the compositor with outputs virtual 1920x1080 outputs side by
    // side; Started() tells whether it came up, else Why() says what failed.
    HeadlessCompositor(Kind kind, int outputs);
    ~HeadlessCompositor();

    bool Started() const { return m_started; }
    QString Why() const { return m_why; }
    // The socket's full path, for wl_display_connect and WAYLAND_DISPLAY.
    QString Socket() const { return m_socket; }
    // The environment of a session on this compositor.
    QProcessEnvironment SessionEnvironment() const;
    // sway only: a command over its IPC socket ("reload", "create_output").
    bool Swaymsg(const QStringList& command);
    // Ends the compositor and starts it again as it was started, with the
    // same socket: its clients find their connection broken.
    bool Restart();

private:
    bool StartKWin(int outputs);
    bool StartSway(int outputs);
    bool WaitForSocket(const QString& runtime, int timeoutMs);
    bool Launch(const QString& program, const QStringList& arguments);

    Kind m_kind;
    std::unique_ptr<orvane::test::SessionBus> m_bus;
    QProcess m_process;
    QString m_program;
    QStringList m_arguments;
    QString m_runtime;
    QString m_socket;
    QString m_why;
    bool m_started = false;
};
