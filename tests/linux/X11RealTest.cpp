// The RandR display backend and the X11 notices against a real X server of
// the test's own (Xvfb: one output, no rotation).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/X11EventWatcher.h"
#include "platform/linux/x11/XlibRandrServer.h"
#include "support/TestSupport.h"
#include "tests/linux/FakeDdcLibrary.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;

namespace {

void SetWorkArea(const std::string& display, long x, long y, long w, long h)
{
    Display* connection = XOpenDisplay(display.c_str());
    ASSERT_NE(connection, nullptr);
    const long values[4] = {x, y, w, h};
    XChangeProperty(connection, DefaultRootWindow(connection), XInternAtom(connection, "_NET_WORKAREA", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(values), 4);
    XSync(connection, False);
    XCloseDisplay(connection);
}

class X11Real : public ::testing::Test {
protected:
    orvane::test::Xvfb xvfb{1920, 1080};
    std::string display;
    std::unique_ptr<XlibRandrServer> server;
    FakeDdcLibrary library;
    DdcMonitors ddc{library};
    LinuxRegistry directory;
    std::unique_ptr<X11Displays> displays;
    std::unique_ptr<MonitorDevices> devices;

    void SetUp() override
    {
        ASSERT_TRUE(xvfb.Started());
        display = xvfb.Display().toStdString();
        std::string why;
        server = XlibRandrServer::Connect(display.c_str(), &why);
        ASSERT_TRUE(server) << why;
        displays = std::make_unique<X11Displays>(server.get(), orvane::test::MakeScratchDir("nodrm").toStdString());
        devices = std::make_unique<MonitorDevices>(*displays, ddc, directory);
        displays->SetMonitorDevices(devices.get());
    }

    std::vector<DisplayHandle> Handles()
    {
        std::vector<DisplayHandle> handles;
        EXPECT_TRUE(displays->EnumDisplayMonitors([&](DisplayHandle h) {
            handles.push_back(h);
            return true;
        }));
        return handles;
    }
};

}  // namespace

TEST_F(X11Real, EnumeratesTheOutputWithItsRectangleAndWorkArea)
{
    const auto handles = Handles();
    ASSERT_EQ(handles.size(), 1u);
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(handles[0], info));
    EXPECT_FALSE(info.deviceName.empty());
    EXPECT_EQ(info.monitor.left, 0);
    EXPECT_EQ(info.monitor.top, 0);
    EXPECT_EQ(info.monitor.right, 1920);
    EXPECT_EQ(info.monitor.bottom, 1080);
    EXPECT_EQ(info.work.bottom, 1080);  // no _NET_WORKAREA: the whole display

    SetWorkArea(display, 0, 32, 1920, 1048);
    ASSERT_TRUE(displays->GetMonitorInfo(handles[0], info));
    EXPECT_EQ(info.work.top, 32);
    EXPECT_EQ(info.work.bottom, 1080);

    EXPECT_EQ(displays->MonitorFromPoint(960, 540), handles[0]);
    EXPECT_EQ(displays->MonitorFromPoint(-4000, 9000), handles[0]);  // nearest
    EXPECT_FALSE(displays->GetMonitorInfo(handles[0] + 100, info));
}

TEST_F(X11Real, ReportsStoredOrientationAndModes)
{
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(Handles().at(0), info));
    DisplaySettings stored;
    ASSERT_TRUE(displays->EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_DEFAULT));
    EXPECT_EQ(stored.pelsWidth, 1920u);
    EXPECT_EQ(stored.pelsHeight, 1080u);

    std::vector<DisplaySettings> modes;
    DisplaySettings mode;
    for (std::int32_t i = 0; displays->EnumDisplaySettings(info.deviceName, i, mode); ++i)
        modes.push_back(mode);
    ASSERT_FALSE(modes.empty());
    EXPECT_TRUE(std::any_of(modes.begin(), modes.end(), [](const DisplaySettings& m) {
        return m.pelsWidth == 1920 && m.pelsHeight == 1080;
    }));
    EXPECT_FALSE(displays->EnumDisplaySettings("no-such-output", ENUM_REGISTRY_SETTINGS, mode));
}

TEST_F(X11Real, RefusedRotationLeavesTheScreenAsItWas)
{
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(Handles().at(0), info));
    DisplaySettings before;
    ASSERT_TRUE(displays->EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, before));

    DisplaySettings turn = before;
    turn.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    turn.orientation = DMDO_90;
    turn.pelsWidth = before.pelsHeight;
    turn.pelsHeight = before.pelsWidth;
    EXPECT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, turn, CDS_UPDATEREGISTRY), DISP_CHANGE_BADMODE);
    // What the server offers, for the log.
    EXPECT_EQ(displays->LastChangeRefusal(), "the output's CRTC offers only the rotations: normal");

    DisplaySettings after;
    ASSERT_TRUE(displays->EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, after));
    EXPECT_EQ(after.orientation, before.orientation);
    EXPECT_EQ(after.pelsWidth, before.pelsWidth);
    EXPECT_EQ(after.pelsHeight, before.pelsHeight);
    const auto screen = server->Read();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->width, 1920);
    EXPECT_EQ(screen->height, 1080);

    // The settings in force are no change at all.
    EXPECT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, before, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(displays->LastChangeRefusal(), "");
    EXPECT_EQ(displays->ChangeDisplaySettingsEx("no-such-output", turn, CDS_UPDATEREGISTRY), DISP_CHANGE_FAILED);
    EXPECT_EQ(displays->LastChangeRefusal(), "no output no-such-output shows a picture");
}

TEST_F(X11Real, MonitorWithoutDdcIsListedButNotActive)
{
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(Handles().at(0), info));
    DisplayDevice adapter;
    ASSERT_TRUE(displays->EnumDisplayDevices(nullptr, 0, adapter));
    EXPECT_EQ(adapter.deviceName, info.deviceName);
    EXPECT_TRUE(adapter.stateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP);
    EXPECT_FALSE(displays->EnumDisplayDevices(nullptr, 1, adapter));

    DisplayDevice monitor;
    ASSERT_TRUE(displays->EnumDisplayDevices(&info.deviceName, 0, monitor));
    EXPECT_FALSE(monitor.stateFlags & DISPLAY_DEVICE_ACTIVE);
    EXPECT_NE(monitor.deviceId.find("MONITOR\\"), std::string::npos);
    EXPECT_FALSE(displays->EnumDisplayDevices(&info.deviceName, 1, monitor));
}

TEST_F(X11Real, WorkAreaAndScreenChangesBecomeNotices)
{
    std::vector<SystemNotice> notices;
    X11EventWatcher watcher(display.c_str(), [&](const SystemNotice& n) { notices.push_back(n); });
    ASSERT_TRUE(watcher.Listening());
    const auto seen = [&](std::uint32_t message, std::uintptr_t wParam) {
        return std::any_of(notices.begin(), notices.end(),
                           [&](const SystemNotice& n) { return n.message == message && n.wParam == wParam; });
    };

    SetWorkArea(display, 0, 0, 1920, 1040);
    ASSERT_TRUE(orvane::test::WaitFor([&] { return seen(WM_SETTINGCHANGE, SPI_SETWORKAREA); }, 5000));

    const auto screen = server->Read();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(server->SetScreenSize(screen->width, screen->height, screen->widthMm + 10, screen->heightMm + 10));
    EXPECT_TRUE(orvane::test::WaitFor([&] { return seen(WM_DISPLAYCHANGE, 0); }, 5000));
}

TEST(X11Connect, NoDisplayIsAClearRefusal)
{
    std::string why;
    EXPECT_FALSE(XlibRandrServer::Connect("", &why));
    EXPECT_NE(why.find("DISPLAY"), std::string::npos);
    EXPECT_FALSE(XlibRandrServer::Connect(":199", &why));
    EXPECT_NE(why.find(":199"), std::string::npos);
}

TEST(LinuxPlatformOnX11, WholePlatformEnumeratesAndDeliversNoticesOnTheSubscribingThread)
{
    orvane::test::Xvfb xvfb;
    ASSERT_TRUE(xvfb.Started());
    qputenv("DISPLAY", xvfb.Display().toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
    auto platform = CreateLinuxPlatform();
    int displays = 0;
    EXPECT_TRUE(platform->Display().EnumDisplayMonitors([&](DisplayHandle) { return ++displays, true; }));
    EXPECT_EQ(displays, 1);
    std::uint32_t count = 9;
    platform->MonitorConfig().GetNumberOfPhysicalMonitorsFromHMONITOR(platform->Display().MonitorFromPoint(0, 0),
                                                                      &count);
    EXPECT_EQ(count, 0u);  // no DDC/CI here

    std::vector<SystemNotice> notices;
    platform->Notices().Subscribe([&](const SystemNotice& n) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        notices.push_back(n);
    });
    SetWorkArea(xvfb.Display().toStdString(), 0, 0, 1920, 1000);
    EXPECT_TRUE(orvane::test::WaitFor(
        [&] {
            return std::any_of(notices.begin(), notices.end(),
                               [](const SystemNotice& n) { return n.message == WM_SETTINGCHANGE; });
        },
        5000));
    qunsetenv("DISPLAY");
}
