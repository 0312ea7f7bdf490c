// Run at log-on through Kestrun, the single-instance lock across real
// processes, and Orvane itself on this machine's real platform.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>
#include <unistd.h>

#include "platform/linux/session/Autostart.h"
#include "platform/linux/LinuxSystem.h"
#include "support/TestSupport.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::ReadFile;
using orvane::test::StageDir;

namespace {

QString EntryPath()
{
    return QString::fromStdString(AutostartEntryPath());
}

int RunKestrun(const QString& kestrun, const QStringList& args)
{
    const orvane::test::ProcessRun run =
        orvane::test::RunProcess(kestrun, args, QProcessEnvironment::systemEnvironment(), 10000);
    return run.finished ? run.exitCode : -1;
}

QString ExecLine(const QByteArray& entry)
{
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    }
    return {};
}

}  // namespace

TEST(Kestrun, OneWritesTheEntryZeroDeletesItOtherArgumentsChangeNothing)
{
    const QString kestrun = StageDir() + "/Kestrun";
    ASSERT_TRUE(QFileInfo::exists(kestrun)) << kestrun.toStdString();
    LinuxSystem system;
    EXPECT_FALSE(system.IsRunAtStartup());

    ASSERT_EQ(RunKestrun(kestrun, {"1"}), 0);
    const QByteArray entry = ReadFile(EntryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_EQ(ExecLine(entry), "\"" + QFileInfo(kestrun).canonicalPath() + "/Orvane\"");
    EXPECT_TRUE(system.IsRunAtStartup());
    // Nothing but the entry is left in the folder (the temporary was renamed).
    EXPECT_EQ(QDir(QFileInfo(EntryPath()).path()).entryList(QDir::Files), QStringList{"Orvane.desktop"});

    EXPECT_NE(RunKestrun(kestrun, {"2"}), 0);
    EXPECT_NE(RunKestrun(kestrun, {}), 0);
    EXPECT_NE(RunKestrun(kestrun, {"1", "0"}), 0);
    EXPECT_EQ(ReadFile(EntryPath()), entry);

    ASSERT_EQ(RunKestrun(kestrun, {"0"}), 0);
    EXPECT_FALSE(QFileInfo::exists(EntryPath()));
    EXPECT_FALSE(system.IsRunAtStartup());
    EXPECT_EQ(RunKestrun(kestrun, {"0"}), 0) << "an absent entry is fine";
}

TEST(Kestrun, PathWithReservedCharactersIsQuotedForTheDesktopEntry)
{
    const QString kestrun = StageDir() + "/Kestrun";
    ASSERT_TRUE(QFileInfo::exists(kestrun));
    const QString folder = orvane::test::MakeScratchDir("install dir $HOME 100%");
    ASSERT_TRUE(QFile::copy(kestrun, folder + "/Kestrun"));
    QFile::setPermissions(folder + "/Kestrun", QFile::permissions(kestrun));
    ASSERT_EQ(RunKestrun(folder + "/Kestrun", {"1"}), 0);
    QString expected = QFileInfo(folder).canonicalFilePath() + "/Orvane";
    expected.replace("$", "\\\\$").replace("%", "%%");
    EXPECT_EQ(ExecLine(ReadFile(EntryPath())), "\"" + expected + "\"");
}

TEST(RunAtStartup, EmptyExecIsOff)
{
    LinuxSystem system;
    orvane::test::WriteFile(EntryPath(), "[Desktop Entry]\nType=Application\nExec=  \n");
    EXPECT_FALSE(system.IsRunAtStartup());
    orvane::test::WriteFile(EntryPath(), "[Desktop Entry]\nExec=/anything at all\n");
    EXPECT_TRUE(system.IsRunAtStartup());
}

TEST(RunAtStartup, AnEntrySwitchedOffByTheDesktopIsOff)
{
    LinuxSystem system;
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        orvane::test::WriteFile(EntryPath(), QByteArray("[Desktop Entry]\r\nExec=/o\r\n") + off + "\r\n");
        EXPECT_FALSE(system.IsRunAtStartup()) << off;
    }
    // Only the main group counts.
    orvane::test::WriteFile(EntryPath(), "[Desktop Entry]\nExec=/o\nHidden=false\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(system.IsRunAtStartup());
}

TEST(SingleInstance, SecondIsRefusedAndAKilledFirstDoesNotBlock)
{
    const QString holder = QCoreApplication::applicationDirPath() + "/linux_instance_holder";
    ASSERT_TRUE(QFileInfo::exists(holder)) << holder.toStdString();

    const auto answer = [](QProcess& p) {
        if (!p.waitForReadyRead(10000) && !p.canReadLine())
            return QString("none");
        return QString::fromUtf8(p.readLine()).trimmed();
    };

    QProcess first;
    first.start(holder, {"OrvaneTest"});
    ASSERT_EQ(answer(first), "acquired");

    QProcess second;
    second.start(holder, {"OrvaneTest"});
    EXPECT_EQ(answer(second), "running");
    EXPECT_TRUE(second.waitForFinished(10000));

    // Another name is another lock.
    QProcess unrelated;
    unrelated.start(holder, {"Other"});
    EXPECT_EQ(answer(unrelated), "acquired");
    unrelated.closeWriteChannel();
    unrelated.waitForFinished(10000);

    ::kill(pid_t(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(10000));

    QProcess third;
    third.start(holder, {"OrvaneTest"});
    EXPECT_EQ(answer(third), "acquired");
    third.closeWriteChannel();
    EXPECT_TRUE(third.waitForFinished(10000));

    // A runtime folder the lock cannot be made in: the next folder decides,
    // so a second start is still refused. (Root writes anywhere.)
    if (::geteuid() != 0) {
        const QString readOnly = orvane::test::MakeScratchDir("read-only-runtime");
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", readOnly);
        QProcess holding, refused;
        holding.setProcessEnvironment(env);
        refused.setProcessEnvironment(env);
        holding.start(holder, {"OrvaneTest"});
        EXPECT_EQ(answer(holding), "acquired");
        refused.start(holder, {"OrvaneTest"});
        EXPECT_EQ(answer(refused), "running");
        holding.closeWriteChannel();
        EXPECT_TRUE(holding.waitForFinished(10000));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

namespace {

struct OrvaneRun : orvane::test::ProcessRun {
    QByteArray log;
};

// Runs Orvane on the real platform with its message boxes answered on
// standard error (ORVANE_AUTO_CONFIRM) until it ends; Qt draws off-screen
// unless `onDisplay`.
OrvaneRun RunOrvane(const QString& orvane, const QString& display, bool onDisplay = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("XDG_SESSION_TYPE");
    if (!display.isEmpty())
        environment.insert("DISPLAY", display);
    environment.remove("QT_QPA_PLATFORM");
    if (!onDisplay)
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ORVANE_AUTO_CONFIRM", "1");
    OrvaneRun run{orvane::test::RunProcess(orvane, QStringList(), environment), {}};
    run.log = ReadFile(QDir::tempPath() + "/Orvane_log.txt");
    return run;
}

}  // namespace

class OrvaneOnThisMachine : public ::testing::Test {
protected:
    QString orvane = StageDir() + "/Orvane";

    void SetUp() override
    {
        if (!QFileInfo::exists(orvane))
            GTEST_SKIP() << "Orvane is not built in this tree";
    }

    static void ExpectUnsupportedPath(const OrvaneRun& run)
    {
        const QByteArray everything = run.log + run.standardError;
        EXPECT_TRUE(run.finished) << everything.toStdString();
        EXPECT_EQ(run.exitCode, 0) << everything.toStdString();
        EXPECT_TRUE(run.standardError.contains("box: warning")) << everything.toStdString();
        EXPECT_TRUE(everything.contains("DDC/CI unavailable")) << everything.toStdString();
        // The cause reaches the log and the box, after the box's own text.
        EXPECT_TRUE(run.log.contains("No usable monitor: ")) << run.log.toStdString();
        EXPECT_TRUE(run.standardError.contains("</a><br / >")) << run.standardError.toStdString();
        EXPECT_EQ(run.standardOutput, QByteArray()) << "nothing may reach standard output";
    }
};

TEST_F(OrvaneOnThisMachine, WithoutAnyDisplayServerSaysWhyAndEnds)
{
    const OrvaneRun run = RunOrvane(orvane, QString());
    ExpectUnsupportedPath(run);
    EXPECT_TRUE((run.log + run.standardError).contains("Display backend: none"));
}

TEST_F(OrvaneOnThisMachine, OnAnX11DisplayWithoutDdcSaysWhyAndEnds)
{
    orvane::test::Xvfb xvfb;
    ASSERT_TRUE(xvfb.Started());
    const OrvaneRun run = RunOrvane(orvane, xvfb.Display());
    ExpectUnsupportedPath(run);
    EXPECT_FALSE((run.log + run.standardError).contains("Display backend: none"));
}

TEST_F(OrvaneOnThisMachine, WithoutADisplayToOpenEndsWithAReasonInsteadOfAnAbort)
{
    for (const QString& display : {QString(), QStringLiteral(":65000")}) {
        const OrvaneRun run = RunOrvane(orvane, display, true);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1) << run.standardError.toStdString();
        EXPECT_TRUE(run.standardError.startsWith("Orvane: ")) << run.standardError.toStdString();
        EXPECT_FALSE(run.standardError.contains("qt.qpa")) << run.standardError.toStdString();
        EXPECT_EQ(run.standardOutput, QByteArray());
    }
}

TEST_F(OrvaneOnThisMachine, AStopSignalWhileTheBoxWaitsEndsInOrder)
{
    // No display server: the box with the cause waits for its answer (no
    // ORVANE_AUTO_CONFIRM) until the stop signal comes.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "ORVANE_AUTO_CONFIRM"})
        environment.remove(name);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    // The earlier tests' runs left their log with the same line: waiting on
    // it would send the signal before this run has even set up its handler.
    const QString log = QDir::tempPath() + "/Orvane_log.txt";
    QFile::remove(log);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(orvane, QStringList());
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(orvane::test::WaitFor([&] { return ReadFile(log).contains("No usable monitor: "); }, 30000));
    EXPECT_FALSE(process.waitForFinished(1000)) << "the box did not wait";
    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}
