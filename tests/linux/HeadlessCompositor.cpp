#include "tests/linux/HeadlessCompositor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace {

constexpr int kNobody = 65534;

QProcessEnvironment BaseEnvironment(const QString& runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(name);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("HOME", runtime);
    return environment;
}

}  // namespace

HeadlessCompositor::HeadlessCompositor(Kind kind, int outputs) : m_kind(kind)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_started = kind == Kind::KWin ? StartKWin(outputs) : StartSway(outputs);
    if (!m_started && m_why.isEmpty())
        m_why = "the compositor did not come up: " + QString::fromUtf8(m_process.readAll()).right(2000);
}

HeadlessCompositor::~HeadlessCompositor()
{
    // The compositor first, then its bus.
    orvane::test::StopProcess(m_process);
    m_bus.reset();
}

bool HeadlessCompositor::WaitForSocket(const QString& runtime, int timeoutMs)
{
    return orvane::test::WaitFor(
        [&] {
            if (m_process.state() != QProcess::Running)
                return true;
            for (const QString& name : QDir(runtime).entryList({"wayland-*", "kwin-*"}, QDir::System)) {
                if (!name.endsWith(".lock")) {
                    m_socket = runtime + "/" + name;
                    return true;
                }
            }
            return false;
        },
        timeoutMs) &&
           !m_socket.isEmpty();
}

bool HeadlessCompositor::StartKWin(int outputs)
{
    const QString installed = QStandardPaths::findExecutable("kwin_wayland");
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (installed.isEmpty() || daemon.isEmpty()) {
        m_why = "kwin_wayland or dbus-daemon is not installed";
        return false;
    }
    // A plain copy carries no file capability; KWin's platform plugin wants
    // the binary to keep its name.
    const QString bin = orvane::test::MakeScratchDir("kwin-bin") + "/kwin_wayland";
    if (!QFile::copy(installed, bin)) {
        m_why = "cannot copy " + installed;
        return false;
    }
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_runtime = orvane::test::MakeScratchDir("kwin-runtime");
    ::chmod(QFile::encodeName(m_runtime).constData(), 0700);
    // A session bus of its own, started here rather than through
    // dbus-run-session, so that stopping the test's child stops KWin itself.
    m_bus = std::make_unique<orvane::test::SessionBus>();
    if (!m_bus->Started()) {
        m_why = "no session bus for KWin";
        return false;
    }
    QProcessEnvironment environment = BaseEnvironment(m_runtime);
    environment.insert("DBUS_SESSION_BUS_ADDRESS", m_bus->Address());
    m_process.setProcessEnvironment(environment);
    return Launch(bin, {"--virtual", "--width", "1920", "--height", "1080", "--output-count", QString::number(outputs),
                        "--socket", "kwin-test", "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"});
}

bool HeadlessCompositor::Launch(const QString& program, const QStringList& arguments)
{
    m_program = program;
    m_arguments = arguments;
    m_socket.clear();
    m_process.start(program, arguments);
    return m_process.waitForStarted(10000) && WaitForSocket(m_runtime, 30000);
}

bool HeadlessCompositor::Restart()
{
    orvane::test::StopProcess(m_process);
    // The socket goes with the compositor; the new one takes its name.
    orvane::test::WaitFor([&] { return !QFile::exists(m_socket); }, 5000);
    return Launch(m_program, m_arguments);
}

bool HeadlessCompositor::StartSway(int outputs)
{
    const QString sway = QStandardPaths::findExecutable("sway");
    if (sway.isEmpty()) {
        m_why = "sway is not installed";
        return false;
    }
    // sway refuses root: as root it runs as nobody, in a runtime folder of
    // nobody's below the scratch folder, which nobody may pass through.
    const bool root = ::geteuid() == 0;
    m_runtime = orvane::test::MakeScratchDir("sway-runtime");
    const QByteArray runtime = QFile::encodeName(m_runtime);
    // Headless outputs are 1280x720 unless told otherwise.
    QByteArray config = "xwayland disable\n";
    for (int i = 0; i < outputs; ++i)
        config += "output HEADLESS-" + QByteArray::number(i + 1) + " mode 1920x1080@60Hz position " +
                  QByteArray::number(1920 * i) + " 0\n";
    orvane::test::WriteFile(m_runtime + "/config", config);
    ::chmod((runtime + "/config").constData(), 0644);
    ::chmod(runtime.constData(), 0700);
    QStringList command{sway, "-c", m_runtime + "/config"};
    if (root) {
        for (QString folder = QFileInfo(m_runtime).path(); folder.startsWith(orvane::test::ScratchRoot());
             folder = QFileInfo(folder).path())
            ::chmod(QFile::encodeName(folder).constData(), 0711);
        if (::chown(runtime.constData(), kNobody, kNobody) != 0) {
            m_why = "cannot hand the runtime folder to nobody";
            return false;
        }
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) {
            m_why = "setpriv is not installed (needed to run sway as nobody)";
            return false;
        }
        command = QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--"} + command;
    }
    QProcessEnvironment environment = BaseEnvironment(m_runtime);
    environment.insert("WLR_BACKENDS", "headless");
    environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    environment.insert("WLR_HEADLESS_OUTPUTS", QString::number(outputs));
    environment.insert("WLR_RENDERER", "pixman");
    m_process.setProcessEnvironment(environment);
    const QString program = command.takeFirst();
    return Launch(program, command);
}

QProcessEnvironment HeadlessCompositor::SessionEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("WAYLAND_DISPLAY", m_socket);
    environment.insert("XDG_CURRENT_DESKTOP", m_kind == Kind::KWin ? "KDE" : "");
    return environment;
}

bool HeadlessCompositor::Swaymsg(const QStringList& command)
{
    const QStringList sockets = QDir(m_runtime).entryList({"sway-ipc.*.sock"}, QDir::System);
    if (sockets.isEmpty())
        return false;
    QProcess swaymsg;
    swaymsg.start("swaymsg", QStringList{"-s", m_runtime + "/" + sockets.first()} + command);
    return swaymsg.waitForFinished(10000) && swaymsg.exitCode() == 0;
}
