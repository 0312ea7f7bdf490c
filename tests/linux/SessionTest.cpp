// Session notices, the choice of display backend, and what keeps the DDC/CI
// library's chatter away from standard output.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdio>

#include "platform/linux/ddc/I2cSetup.h"
#include "platform/linux/ddc/LibDdcutil.h"
#include "platform/linux/session/NoticeMapping.h"
#include "platform/linux/displays/BackendChoice.h"
#include "platform/linux/session/SleepWatcher.h"
#include "platform/linux/ddc/StdoutCapture.h"
#include "support/TestSupport.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;

namespace {
bool Is(const SystemNotice& n, std::uint32_t message, std::uintptr_t wParam)
{
    return n.message == message && n.wParam == wParam;
}
}  // namespace

TEST(NoticeMapping, EachSourceMapsToItsSystemNotice)
{
    EXPECT_TRUE(Is(SleepNotice(true), WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_TRUE(Is(SleepNotice(false), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND));
    EXPECT_TRUE(Is(DisplayChangeNotice(), WM_DISPLAYCHANGE, 0));
    EXPECT_TRUE(Is(WorkAreaNotice(), WM_SETTINGCHANGE, SPI_SETWORKAREA));
}

TEST(NoticeMapping, DrmEventsTellArrivalFromRemoval)
{
    const std::set<std::string> one{"card0-DP-1"};
    const std::set<std::string> two{"card0-DP-1", "card0-HDMI-A-1"};
    const std::set<std::string> other{"card0-HDMI-A-1"};

    auto notices = DrmDeviceNotices("change", one, two);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(Is(notices[0], WM_DEVICECHANGE, DBT_DEVICEARRIVAL));

    notices = DrmDeviceNotices("change", two, one);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(Is(notices[0], WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE));

    notices = DrmDeviceNotices("change", one, other);  // swapped in one go
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(Is(notices[0], WM_DEVICECHANGE, DBT_DEVICEARRIVAL));
    EXPECT_TRUE(Is(notices[1], WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE));

    EXPECT_TRUE(DrmDeviceNotices("change", one, one).empty());
    EXPECT_EQ(DrmDeviceNotices("add", {}, {}).size(), 1u);
    EXPECT_TRUE(Is(DrmDeviceNotices("remove", one, one).at(0), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE));
}

TEST(SleepWatcher, PrepareForSleepOnTheBusBecomesSuspendAndResume)
{
    // A private bus stands in for the system bus; the test owns logind's name on it.
    orvane::test::SessionBus daemon;
    ASSERT_TRUE(daemon.Started());
    const QString address = daemon.Address();

    QDBusConnection watcherBus = QDBusConnection::connectToBus(address, "watcher");
    QDBusConnection logindBus = QDBusConnection::connectToBus(address, "logind");
    ASSERT_TRUE(watcherBus.isConnected());
    ASSERT_TRUE(logindBus.registerService("org.freedesktop.login1"));

    std::vector<SystemNotice> notices;
    {
        SleepWatcher watcher(watcherBus, [&](const SystemNotice& n) { notices.push_back(n); });
        for (bool starting : {true, false}) {
            auto signal = QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                     "PrepareForSleep");
            signal << starting;
            ASSERT_TRUE(logindBus.send(signal));
        }
        ASSERT_TRUE(orvane::test::WaitFor([&] { return notices.size() >= 2; }, 5000));
    }
    EXPECT_TRUE(Is(notices[0], WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_TRUE(Is(notices[1], WM_POWERBROADCAST, PBT_APMRESUMESUSPEND));

    QDBusConnection::disconnectFromBus("watcher");
    QDBusConnection::disconnectFromBus("logind");
}

TEST(SleepWatcher, NoBusIsSkippedQuietly)
{
    std::vector<SystemNotice> notices;
    SleepWatcher watcher(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "nobus"),
                         [&](const SystemNotice& n) { notices.push_back(n); });
    EXPECT_TRUE(notices.empty());
    QDBusConnection::disconnectFromBus("nobus");
}

TEST(BackendChoice, X11WhenThereIsAnXSessionOnly)
{
    EXPECT_TRUE(ChooseBackends({"x11", "", ":0", "XFCE"}).tryX11);
    EXPECT_TRUE(ChooseBackends({"", "", ":0", ""}).tryX11);

    const auto gnome = ChooseBackends({"wayland", "wayland-0", ":0", "ubuntu:GNOME"});
    EXPECT_FALSE(gnome.tryX11) << "the X11 compatibility server cannot turn a Wayland desktop";
    EXPECT_TRUE(gnome.tryGnome);
    EXPECT_TRUE(gnome.tryWayland);
    // Any Wayland desktop is asked by its compositor's globals, whatever it
    // calls itself (sway sets no desktop name at all).
    const auto kde = ChooseBackends({"", "wayland-0", ":1", "KDE"});
    EXPECT_FALSE(kde.tryX11);
    EXPECT_TRUE(kde.tryWayland);
    EXPECT_NE(kde.why.find("KDE"), std::string::npos);
    EXPECT_NE(kde.why.find("X11 session"), std::string::npos);
    EXPECT_TRUE(ChooseBackends({"wayland", "wayland-1", "", ""}).tryWayland);
    EXPECT_FALSE(ChooseBackends({"x11", "", ":0", "KDE"}).tryWayland);
    EXPECT_TRUE(ChooseBackends({"x11", "", ":0", "GNOME"}).tryX11);

    const auto none = ChooseBackends({"tty", "", "", ""});
    EXPECT_FALSE(none.tryX11);
    EXPECT_NE(none.why.find("DISPLAY"), std::string::npos);
}

TEST(StdoutCapture, LibraryOutputIsTakenAwayFromStandardOutput)
{
    StdoutCapture capture;
    std::printf("chatter from a library\n");
    const std::string text = capture.Finish();
    EXPECT_EQ(text, "chatter from a library\n");
}

TEST(DdcAccess, MissingI2cNodesAreExplained)
{
    const QString dev = orvane::test::MakeScratchDir("dev");
    EXPECT_NE(I2cAccessProblem(dev.toStdString()).find("i2c-dev"), std::string::npos);
    EXPECT_EQ(I2cAccessCheck(dev.toStdString()).fault, DdcAccessFault::NoI2cDevices);
    orvane::test::WriteFile(dev + "/i2c-3", "");
    EXPECT_EQ(I2cAccessProblem(dev.toStdString()), "");
    EXPECT_EQ(I2cAccessCheck(dev.toStdString()).fault, DdcAccessFault::None);
    // A node the user may not open (root may open anything).
    QFile::setPermissions(dev + "/i2c-3", QFileDevice::ReadOwner);
    if (::geteuid() != 0) {
        EXPECT_EQ(I2cAccessCheck(dev.toStdString()).fault, DdcAccessFault::NoI2cPermission);
    }
}

TEST(DdcAccess, TheLastingSetUpIsFoundWhereSystemdAndUdevLookForIt)
{
    // The package's own files, where it installs them.
    const QString root = orvane::test::MakeScratchDir("root");
    EXPECT_FALSE(ModuleLoadsAtBoot("i2c-dev", root.toStdString()));
    EXPECT_FALSE(I2cAccessRuleInstalled(root.toStdString()));
    const QString packaging = orvane::test::SourceDir() + "/packaging/linux/";
    orvane::test::WriteFile(root + "/usr/lib/modules-load.d/orvane-i2c.conf",
                            orvane::test::ReadFile(packaging + "orvane-i2c.conf"));
    orvane::test::WriteFile(root + "/usr/lib/udev/rules.d/60-orvane-i2c.rules",
                            orvane::test::ReadFile(packaging + "60-orvane-i2c.rules"));
    EXPECT_TRUE(ModuleLoadsAtBoot("i2c-dev", root.toStdString()));
    EXPECT_TRUE(I2cAccessRuleInstalled(root.toStdString()));
    // The classic list, the other spelling; comments count for nothing.
    const QString other = orvane::test::MakeScratchDir("other");
    orvane::test::WriteFile(other + "/etc/modules", "# i2c-dev\nloop\n");
    orvane::test::WriteFile(other + "/etc/udev/rules.d/70-mine.rules", "# KERNEL==\"i2c-*\", TAG+=\"uaccess\"\n");
    EXPECT_FALSE(ModuleLoadsAtBoot("i2c-dev", other.toStdString()));
    EXPECT_FALSE(I2cAccessRuleInstalled(other.toStdString()));
    orvane::test::WriteFile(other + "/etc/modules", "loop\ni2c_dev  # DDC/CI\n");
    EXPECT_TRUE(ModuleLoadsAtBoot("i2c-dev", other.toStdString()));
}

TEST(DdcAccess, LoadingAndDetectingKeepStandardOutputClean)
{
    // A device node makes the library load and detect for real; this machine
    // has no monitor on an I2C bus, and whatever the library says on loading
    // must not reach standard output.
    const QString dev = orvane::test::MakeScratchDir("devnode");
    orvane::test::WriteFile(dev + "/i2c-9", "");
    auto library = CreateLibDdcutil(dev.toStdString());
    StdoutCapture outer;
    const std::string problem = library->Unavailable();
    std::vector<DdcDisplayRecord> displays;
    if (problem.empty())
        displays = library->Detect();
    const std::string leaked = outer.Finish();
    EXPECT_EQ(leaked, "");
    if (problem.empty())
        EXPECT_TRUE(displays.empty());
    else
        EXPECT_NE(problem.find("libddcutil"), std::string::npos) << problem;
}
