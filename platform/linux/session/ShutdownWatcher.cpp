#include "platform/linux/session/ShutdownWatcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>

namespace orvane::platform::linuxplatform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may do next to nothing: it writes the signal's number
// into a pipe, and the event loop reads it there.
int g_pipe[2] = {-1, -1};

void OnSignalArrived(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

bool OpenPipe()
{
    return g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0;
}

}  // namespace

ShutdownWatcher::ShutdownWatcher(const QDBusConnection& systemBus,
                                     std::function<void(const SystemNotice&)> sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    if (OpenPipe()) {
        m_pNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_pNotifier, SIGNAL(activated(int)), this, SLOT(OnSignal()));
        struct sigaction action {};
        action.sa_handler = OnSignalArrived;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int number : kSignals)
            ::sigaction(number, &action, nullptr);
    } else {
        qWarning() << "Notices: no pipe for the stop signals; they end the program without the stopping notice";
    }
    QDBusConnection bus(systemBus);
    if (bus.isConnected())
        bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                    "PrepareForShutdown", this, SLOT(OnPrepareForShutdown(bool)));
    // The session manager ends the event loop when the user logs off; the
    // loop's end is the last moment to take the ordered way out.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &ShutdownWatcher::OnAboutToQuit);
}

ShutdownWatcher::~ShutdownWatcher()
{
    if (!m_pNotifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

void ShutdownWatcher::OnSignal()
{
    char bytes[16];
    const ssize_t count = ::read(g_pipe[0], bytes, sizeof bytes);
    if (count <= 0)
        return;
    const int number = bytes[0];
    End(number == SIGTERM ? "SIGTERM" : number == SIGINT ? "SIGINT" : "SIGHUP");
}

void ShutdownWatcher::OnPrepareForShutdown(bool starting)
{
    if (starting)
        End("the system is shutting down");
}

void ShutdownWatcher::OnAboutToQuit()
{
    End("the session manager ended the program");
}

void ShutdownWatcher::End(const char* why)
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    qDebug() << "Session end:" << why;
    m_sink(SystemNotice{WM_ENDSESSION, 1});
}

}  // namespace orvane::platform::linuxplatform
