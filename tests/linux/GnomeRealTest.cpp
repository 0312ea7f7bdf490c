// The GNOME display backend against a real headless GNOME compositor on a
// private session bus of the test's own.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>

#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/gnome/DisplayConfigWatcher.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/RotationForwarding.h"
#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/LinuxNotices.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"
#include "support/DisplayRequest.h"
#include "tests/linux/Samples.h"
#include "support/TestSupport.h"
#include "tests/linux/FakeDdcLibrary.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::Turn;

namespace {

class GnomeReal : public ::testing::Test {
protected:
    orvane::test::SessionBus bus;
    QProcess mutter;
    QString address;
    std::unique_ptr<MutterDisplayConfig> service;
    FakeDdcLibrary library;
    DdcMonitors ddc{library};
    LinuxRegistry directory;
    std::unique_ptr<GnomeDisplays> displays;
    std::unique_ptr<MonitorDevices> devices;

    void SetUp() override
    {
        if (QStandardPaths::findExecutable("mutter").isEmpty())
            GTEST_SKIP() << "mutter is not installed";
        ASSERT_TRUE(bus.Started());
        address = bus.Address();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address);
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        mutter.setProcessEnvironment(environment);
        mutter.setProcessChannelMode(QProcess::MergedChannels);
        ASSERT_TRUE(StartMutter());
        service = std::make_unique<MutterDisplayConfig>(QDBusConnection::connectToBus(address, "gnometest"));
        ASSERT_TRUE(orvane::test::WaitFor([&] {
            const auto state = service->Read();
            return state && !state->logicalMonitors.empty();
        }, 30000));
        displays = std::make_unique<GnomeDisplays>(*service, orvane::test::MakeScratchDir("nodrm").toStdString());
        devices = std::make_unique<MonitorDevices>(*displays, ddc, directory);
        displays->SetMonitorDevices(devices.get());
    }

    // Starts the compositor and waits for its display configuration service.
    bool StartMutter()
    {
        mutter.start("mutter", {"--wayland", "--headless", "--no-x11", "--virtual-monitor", "1920x1080"});
        if (!mutter.waitForStarted(10000))
            return false;
        QDBusConnection connection = QDBusConnection::connectToBus(address, "gnometest");
        return connection.isConnected() &&
               orvane::test::WaitFor(
                   [&] { return connection.interface()->isServiceRegistered(kMutterService).value(); }, 60000);
    }

    void TearDown() override
    {
        service.reset();
        QDBusConnection::disconnectFromBus("gnometest");
        orvane::test::StopProcess(mutter);
    }
};

}  // namespace

TEST_F(GnomeReal, EnumeratesTurnsToPortraitAndBack)
{
    std::vector<DisplayHandle> handles;
    displays->EnumDisplayMonitors([&](DisplayHandle h) { return handles.push_back(h), true; });
    ASSERT_EQ(handles.size(), 1u);
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(handles[0], info));
    EXPECT_EQ(info.monitor.right - info.monitor.left, 1920);
    EXPECT_EQ(info.monitor.bottom - info.monitor.top, 1080);
    EXPECT_TRUE(info.flags & MONITORINFOF_PRIMARY);

    DisplaySettings stored;
    ASSERT_TRUE(displays->EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_DEFAULT));
    DisplaySettings mode;
    EXPECT_TRUE(displays->EnumDisplaySettings(info.deviceName, 0, mode));

    ASSERT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_90, 1080, 1920), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    ASSERT_TRUE(orvane::test::WaitFor([&] {
        const auto state = service->Read();
        return state && state->logicalMonitors.size() == 1 && state->logicalMonitors[0].transform == 1;
    }, 10000));
    auto state = service->Read();
    const Rect turned = state->Bounds(state->logicalMonitors[0]);
    EXPECT_EQ(turned.right - turned.left, 1080);
    EXPECT_EQ(turned.bottom - turned.top, 1920);
    ASSERT_TRUE(displays->EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_90));
    EXPECT_EQ(stored.pelsWidth, 1080u);

    ASSERT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_DEFAULT, 1920, 1080), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    ASSERT_TRUE(orvane::test::WaitFor([&] {
        const auto now = service->Read();
        return now && now->logicalMonitors.size() == 1 && now->logicalMonitors[0].transform == 0;
    }, 10000));

    // Already so: nothing is applied (the serial stays).
    const std::uint32_t serial = service->Read()->serial;
    EXPECT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_DEFAULT, 1920, 1080), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(service->Read()->serial, serial);

    // A size the monitor does not have is refused without a change.
    EXPECT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_90, 777, 555), CDS_UPDATEREGISTRY),
              DISP_CHANGE_BADMODE);
    EXPECT_EQ(service->Read()->serial, serial);
}

TEST_F(GnomeReal, WholePlatformChoosesTheServiceInAGnomeWaylandSession)
{
    // The process's session bus is the test's private one from here on.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    qputenv("XDG_SESSION_TYPE", "wayland");
    qputenv("WAYLAND_DISPLAY", "wayland-test");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    auto platform = CreateLinuxPlatform();
    std::vector<DisplayHandle> handles;
    platform->Display().EnumDisplayMonitors([&](DisplayHandle h) { return handles.push_back(h), true; });
    ASSERT_EQ(handles.size(), 1u);
    DisplayInfo info;
    ASSERT_TRUE(platform->Display().GetMonitorInfo(handles[0], info));

    std::vector<SystemNotice> notices;
    platform->Notices().Subscribe([&](const SystemNotice& n) { notices.push_back(n); });
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_270, 1080, 1920),
                                                          CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(orvane::test::WaitFor(
        [&] {
            return std::any_of(notices.begin(), notices.end(),
                               [](const SystemNotice& n) { return n.message == WM_DISPLAYCHANGE; });
        },
        10000));
    DisplaySettings stored;
    ASSERT_TRUE(platform->Display().EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_270));
    for (const char* name : {"XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        qunsetenv(name);
}

TEST_F(GnomeReal, AfterTheCompositorRestartsTheTurnedMonitorIsTurnedAgain)
{
    std::vector<SystemNotice> notices;
    DisplayConfigWatcher watcher(QDBusConnection(QStringLiteral("gnometest")),
                                 [&](const SystemNotice& n) { notices.push_back(n); });
    DisplayInfo info;
    displays->EnumDisplayMonitors([&](DisplayHandle h) { return !displays->GetMonitorInfo(h, info); });
    ASSERT_EQ(displays->ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_90, 1080, 1920), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    const auto transform = [&] {
        const auto state = service->Read();
        return state && state->logicalMonitors.size() == 1 ? int(state->logicalMonitors[0].transform) : -1;
    };
    ASSERT_TRUE(orvane::test::WaitFor([&] { return transform() == 1; }, 10000));

    orvane::test::StopProcess(mutter);
    ASSERT_TRUE(StartMutter()) << mutter.readAll().toStdString();
    notices.clear();
    // The program looks at its displays every 2.5 s; the first look at the
    // new compositor gives the monitor its stored orientation again.
    EXPECT_TRUE(orvane::test::WaitFor(
        [&] {
            displays->EnumDisplayMonitors([](DisplayHandle) { return true; });
            return transform() == 1;
        },
        30000));
    EXPECT_TRUE(orvane::test::WaitFor(
        [&] {
            return std::any_of(notices.begin(), notices.end(),
                               [](const SystemNotice& n) { return n.message == WM_DISPLAYCHANGE; });
        },
        10000))
        << "the new owner of the service is a display change";
}

namespace {

// A simulated side that accepts every change and remembers the orientation.
class AcceptingDisplays : public DisplayApi {
public:
    std::uint32_t orientation = 0;
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override { return callback(1), true; }
    bool GetMonitorInfo(DisplayHandle, DisplayInfo& info) override { return info.deviceName = "SIM1", true; }
    DisplayHandle MonitorFromPoint(std::int32_t, std::int32_t) override { return 1; }
    bool EnumDisplayDevices(const std::string*, std::uint32_t, DisplayDevice&) override { return false; }
    bool EnumDisplaySettings(const std::string&, std::int32_t, DisplaySettings&) override { return false; }
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& s, std::uint32_t) override
    {
        if (device != "SIM1")
            return DISP_CHANGE_FAILED;
        orientation = s.orientation;
        return DISP_CHANGE_SUCCESSFUL;
    }
};

class SimulatedPlatform : public Platform {
public:
    SimulatedPlatform() : ddc(library), devices(noOutputs, ddc, registry), monitors(devices, ddc) {}
    AcceptingDisplays display;
    const char* Name() const override { return "sim"; }
    DisplayApi& Display() override { return display; }
    MonitorConfigApi& MonitorConfig() override { return monitors; }
    DeviceRegistry& Registry() override { return registry; }
    SystemApi& System() override { return system; }
    NoticeSource& Notices() override { return notices; }

private:
    struct NoOutputs : OutputSource {
        std::vector<ActiveOutput> ActiveOutputs() override { return {}; }
    } noOutputs;
    FakeDdcLibrary library;
    DdcMonitors ddc;
    LinuxRegistry registry;
    MonitorDevices devices;
    LinuxMonitorConfig monitors;
    LinuxSystem system;
    LinuxNotices notices{DisplayBackendKind::None, "/nonexistent"};
};

}  // namespace

TEST_F(GnomeReal, SimulatedRotationsTurnTheRealCompositorsMonitor)
{
    qputenv("XDG_SESSION_TYPE", "wayland");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    auto session = CreateSessionDisplays(QDBusConnection::connectToBus(address, "sessionrotation"));
    ASSERT_TRUE(session);
    auto simulated = std::make_unique<SimulatedPlatform>();
    AcceptingDisplays& simDisplay = simulated->display;
    auto platform = ForwardRotations(std::move(simulated), std::move(session), "");
    for (const char* name : {"XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"})
        qunsetenv(name);

    DisplaySettings portrait = Turn(DMDO_90, 1080, 1920);
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx("SIM1", portrait, CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(simDisplay.orientation, std::uint32_t(DMDO_90));
    auto state = service->Read();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->logicalMonitors.at(0).transform, 1u);
    const Rect turned = state->Bounds(state->logicalMonitors[0]);
    EXPECT_EQ(turned.bottom - turned.top, 1920);

    // A change the simulation refuses is not handed on.
    EXPECT_EQ(platform->Display().ChangeDisplaySettingsEx("OTHER", Turn(DMDO_DEFAULT, 1920, 1080),
                                                          CDS_UPDATEREGISTRY),
              DISP_CHANGE_FAILED);
    EXPECT_EQ(service->Read()->logicalMonitors.at(0).transform, 1u);
}
