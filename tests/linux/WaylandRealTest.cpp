// The KDE and wlroots display backends against real headless compositors
// (KWin and sway), with what the compositor shows read back through plain
// wl_output on a connection of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/wayland/CompositorLink.h"
#include "platform/linux/wayland/OutputChangeWatcher.h"
#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/wayland/WaylandDisplays.h"
#include "support/DisplayRequest.h"
#include "tests/linux/Samples.h"
#include "support/TestSupport.h"
#include "tests/linux/HeadlessCompositor.h"
#include "tests/linux/WlOutputReader.h"
#include "tests/ddc-emu/EmuSetup.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::Turn;

namespace {

class WaylandReal : public ::testing::TestWithParam<HeadlessCompositor::Kind> {
protected:
    std::unique_ptr<HeadlessCompositor> compositor;
    std::unique_ptr<CompositorLink> link;
    OutputManagement* outputs = nullptr;  // the link's connection
    std::unique_ptr<WaylandDisplays> displays;
    std::string first, second;  // the output names, left to right

    void SetUp() override
    {
        compositor = std::make_unique<HeadlessCompositor>(GetParam(), 2);
        if (!compositor->Started())
            GTEST_SKIP() << "the compositor cannot start here: " << compositor->Why().toStdString();
        ASSERT_TRUE(orvane::test::WaitFor(
            [&] {
                link = std::make_unique<CompositorLink>(nullptr, compositor->Socket().toStdString(), "Test");
                outputs = link->Current();
                const auto layout = outputs ? outputs->Read() : std::nullopt;
                return layout && layout->AsMutterState().logicalMonitors.size() == 2;
            },
            20000));
        displays = std::make_unique<WaylandDisplays>(*link, orvane::test::MakeScratchDir("nodrm").toStdString());
        auto state = outputs->Read()->AsMutterState();
        std::sort(state.logicalMonitors.begin(), state.logicalMonitors.end(),
                  [](const auto& a, const auto& b) { return a.x < b.x; });
        first = state.logicalMonitors[0].connectors[0];
        second = state.logicalMonitors[1].connectors[0];
    }

    WlOutputState Shown(const std::string& output)
    {
        const auto states = ReadWlOutputs(compositor->Socket().toStdString());
        const WlOutputState* state = FindWlOutput(states, output);
        return state ? *state : WlOutputState{};
    }

    std::int32_t Change(const std::string& output, const DisplaySettings& settings)
    {
        return displays->ChangeDisplaySettingsEx(output, settings, CDS_UPDATEREGISTRY);
    }

    // Starts the staged Orvane in the compositor's session (no tray, boxes
    // answered) with extra on top of the session's environment; its
    // standard error goes to work/err.txt.
    bool StartOrvane(QProcess& orvane, const QString& work, const std::vector<std::pair<QString, QString>>& extra)
    {
        QProcessEnvironment environment = compositor->SessionEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ORVANE_AUTO_CONFIRM", "1");
        for (const auto& [name, value] : extra)
            environment.insert(name, value);
        orvane.setProcessEnvironment(environment);
        orvane.setStandardErrorFile(work + "/err.txt");
        orvane.start(orvane::test::StageDir() + "/Orvane", QStringList());
        return orvane.waitForStarted(10000);
    }
};

// The platform of a session on the compositor, as the program makes it.
std::unique_ptr<Platform> SessionPlatform(const HeadlessCompositor& compositor, std::vector<SystemNotice>& notices)
{
    const QProcessEnvironment session = compositor.SessionEnvironment();
    for (const char* name : {"XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        qputenv(name, session.value(name).toUtf8());
    auto platform = CreateLinuxPlatform();
    platform->Notices().Subscribe([&](const SystemNotice& n) { notices.push_back(n); });
    for (const char* name : {"XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        qunsetenv(name);
    return platform;
}

bool DisplayChanged(const std::vector<SystemNotice>& notices)
{
    return std::any_of(notices.begin(), notices.end(), [](const SystemNotice& n) { return n.message == WM_DISPLAYCHANGE; });
}

}  // namespace

TEST_P(WaylandReal, EnumeratesTurnsBothWaysAndBackKeepingTheLayoutGapFree)
{
    EXPECT_EQ(std::string(outputs->Name()),
              GetParam() == HeadlessCompositor::Kind::KWin ? "KDE output management" : "wlroots output management");
    std::vector<DisplayHandle> handles;
    displays->EnumDisplayMonitors([&](DisplayHandle h) { return handles.push_back(h), true; });
    ASSERT_EQ(handles.size(), 2u);
    DisplayInfo info;
    ASSERT_TRUE(displays->GetMonitorInfo(handles[0], info));
    EXPECT_EQ(info.deviceName, first) << "the output at the origin comes first";
    EXPECT_TRUE(info.flags & MONITORINFOF_PRIMARY);
    EXPECT_EQ(info.monitor.right - info.monitor.left, 1920);
    EXPECT_EQ(info.monitor.bottom - info.monitor.top, 1080);
    DisplaySettings stored;
    ASSERT_TRUE(displays->EnumDisplaySettings(first, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_DEFAULT));
    EXPECT_EQ(stored.pelsWidth, 1920u);
    EXPECT_EQ(stored.displayFrequency, 60u);
    DisplaySettings mode;
    ASSERT_TRUE(displays->EnumDisplaySettings(first, 0, mode));
    EXPECT_GT(mode.displayFrequency, 0u);

    struct Step {
        std::uint32_t orientation, width, height;
        std::int32_t transform;
    };
    for (const Step step : {Step{DMDO_90, 1080, 1920, 1}, Step{DMDO_270, 1080, 1920, 3},
                            Step{DMDO_DEFAULT, 1920, 1080, 0}}) {
        SCOPED_TRACE(step.orientation);
        ASSERT_EQ(Change(first, Turn(step.orientation, step.width, step.height)), DISP_CHANGE_SUCCESSFUL);
        const WlOutputState turned = Shown(first);
        EXPECT_EQ(turned.transform, step.transform);
        EXPECT_EQ(turned.ShownWidth(), std::int32_t(step.width));
        EXPECT_EQ(turned.ShownHeight(), std::int32_t(step.height));
        EXPECT_EQ(turned.x, 0);
        const WlOutputState neighbour = Shown(second);
        EXPECT_EQ(neighbour.x, std::int32_t(step.width)) << "the neighbour moves along, no gap, no overlap";
        EXPECT_EQ(neighbour.transform, 0);
        ASSERT_TRUE(displays->EnumDisplaySettings(first, ENUM_REGISTRY_SETTINGS, stored));
        EXPECT_EQ(stored.orientation, step.orientation);
        EXPECT_EQ(stored.pelsWidth, step.width);
    }

    // Already so: nothing is sent, the compositor announces nothing.
    outputs->Read();
    const auto updates = outputs->Updates();
    EXPECT_EQ(Change(first, Turn(DMDO_DEFAULT, 1920, 1080)), DISP_CHANGE_SUCCESSFUL);
    outputs->Read();
    EXPECT_EQ(outputs->Updates(), updates);
    // Sizes or rates the output does not have are refused before anything is sent.
    EXPECT_EQ(Change(first, Turn(DMDO_90, 777, 555)), DISP_CHANGE_BADMODE);
    EXPECT_EQ(Change(first, Turn(DMDO_90, 1080, 1920, 144)), DISP_CHANGE_BADMODE);
    EXPECT_EQ(Change("NO-SUCH-1", Turn(DMDO_90, 1080, 1920)), DISP_CHANGE_FAILED);
    outputs->Read();
    EXPECT_EQ(outputs->Updates(), updates);
    EXPECT_EQ(Shown(first).transform, 0);
}

TEST_P(WaylandReal, WholePlatformChoosesTheBackendByTheCompositorsGlobalsAndNoticesChanges)
{
    std::vector<SystemNotice> notices;
    auto platform = SessionPlatform(*compositor, notices);

    DisplayInfo info;
    std::vector<DisplayHandle> handles;
    platform->Display().EnumDisplayMonitors([&](DisplayHandle h) { return handles.push_back(h), true; });
    ASSERT_EQ(handles.size(), 2u);
    ASSERT_TRUE(platform->Display().GetMonitorInfo(handles[0], info));
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_90, 1080, 1920),
                                                          CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    const auto displayChanged = [&] { return DisplayChanged(notices); };
    EXPECT_TRUE(orvane::test::WaitFor(displayChanged, 10000));
    EXPECT_EQ(Shown(info.deviceName).transform, 1);

    if (GetParam() != HeadlessCompositor::Kind::Sway)
        return;
    // A reload puts sway's own configuration back: the change is noticed and
    // read as it now is, so the next request turns the output again.
    notices.clear();
    ASSERT_TRUE(compositor->Swaymsg({"reload"}));
    EXPECT_TRUE(orvane::test::WaitFor(displayChanged, 10000));
    EXPECT_EQ(Shown(info.deviceName).transform, 0);
    DisplaySettings stored;
    ASSERT_TRUE(platform->Display().EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_DEFAULT));
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx(info.deviceName, Turn(DMDO_90, 1080, 1920),
                                                          CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Shown(info.deviceName).transform, 1);
    EXPECT_EQ(Shown(second).x, 1080);
}

TEST_P(WaylandReal, DemonstrationModeTurnsTheCompositorsOutputOnASimulatedPivot)
{
    const QString stage = orvane::test::StageDir();
    if (!QFile::exists(stage + "/Orvane") || !QFile::exists(stage + "/orvane-sim"))
        GTEST_SKIP() << "Orvane and orvane-sim are not built";
    const QString work = orvane::test::MakeScratchDir("demo");
    QFile::copy(orvane::test::SourceDir() + "/examples/sim/one-4k.json", work + "/sim.json");
    QProcess orvane;
    ASSERT_TRUE(StartOrvane(orvane, work,
                            {{"ORVANE_PLATFORM", "sim:" + work + "/sim.json"}, {"ORVANE_SESSION_ROTATION", "primary"}}));
    const auto log = [&] { return QString::fromUtf8(orvane::test::ReadFile(work + "/err.txt")); };
    EXPECT_TRUE(orvane::test::WaitFor([&] { return log().contains("handed on to the session display"); }, 30000))
        << log().toStdString();

    const auto pivot = [&](const char* value) {
        return QProcess::execute(stage + "/orvane-sim", {work + "/sim.json", "pivot", "0", value});
    };
    ASSERT_EQ(pivot("2"), 0);
    EXPECT_TRUE(orvane::test::WaitFor([&] { return Shown(first).transform == 1; }, 30000)) << log().toStdString();
    const WlOutputState turned = Shown(first);
    std::cout << "read back: " << first << " transform " << turned.transform << " " << turned.ShownWidth() << "x"
              << turned.ShownHeight() << ", " << second << " at x " << Shown(second).x << std::endl;
    ASSERT_EQ(pivot("1"), 0);
    EXPECT_TRUE(orvane::test::WaitFor([&] { return Shown(first).transform == 0; }, 30000)) << log().toStdString();
    orvane::test::StopProcess(orvane);
}

TEST_P(WaylandReal, AfterTheCompositorRestartsTheTurnedOutputIsTurnedAgainAndNoticesGoOn)
{
    std::vector<SystemNotice> notices;
    auto platform = SessionPlatform(*compositor, notices);
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx(first, Turn(DMDO_90, 1080, 1920), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(Shown(first).transform, 1);

    ASSERT_TRUE(compositor->Restart()) << compositor->Why().toStdString();
    notices.clear();
    // The program looks at its displays every 2.5 s; the first look that
    // reaches the new compositor gives it the stored orientation again.
    EXPECT_TRUE(orvane::test::WaitFor(
        [&] {
            int displays = 0;
            platform->Display().EnumDisplayMonitors([&](DisplayHandle) { return ++displays, true; });
            return displays == 2 && Shown(first).transform == 1;
        },
        30000));
    EXPECT_EQ(Shown(second).x, 1080) << "the neighbour moves along again";
    DisplaySettings stored;
    ASSERT_TRUE(platform->Display().EnumDisplaySettings(first, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_EQ(stored.orientation, std::uint32_t(DMDO_90));
    EXPECT_TRUE(orvane::test::WaitFor([&] { return DisplayChanged(notices); }, 10000))
        << "the notices' connection came back";
    // Changes go on reaching the new compositor.
    ASSERT_EQ(platform->Display().ChangeDisplaySettingsEx(first, Turn(DMDO_DEFAULT, 1920, 1080), CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(Shown(first).transform, 0);
}

// Orvane itself over emulated monitors on the I2C bus: a monitor plugged in
// while it runs (sway adds an output, the monitor answers on the bus) is
// found by the next count check and followed.
TEST_P(WaylandReal, AMonitorPluggedInWhileOrvaneRunsIsFollowed)
{
    if (GetParam() != HeadlessCompositor::Kind::Sway)
        GTEST_SKIP() << "only sway adds outputs while it runs";
    const QString stage = orvane::test::StageDir();
    const QString preload = qEnvironmentVariable("ORVANE_DDC_PRELOAD");
    if (!QFile::exists(stage + "/Orvane") || preload.isEmpty())
        GTEST_SKIP() << "Orvane or the DDC/CI emulation is not built";
    std::vector<orvane::ddcemu::EmulatedMonitor> monitors(2);
    monitors[0].connector = first;
    monitors[1].connector = "HEADLESS-3";  // the output sway adds next
    monitors[1].bus = 4;
    monitors[1].serial = "SN0002";
    for (auto& monitor : monitors) {
        monitor.width = 1920;
        monitor.height = 1080;
    }
    orvane::ddcemu::Emulation emulation(orvane::test::MakeScratchDir("emu").toStdString(), monitors);
    ASSERT_TRUE(emulation.Ok());
    emulation.Monitor(1).present = 0;

    const QString work = orvane::test::MakeScratchDir("plug");
    // Debug lines for the count check's own line.
    orvane::test::WriteFile(work + "/orvane/RunInfo.ini", "[TraceSet]\nTraceLevel=4\n");
    QProcess orvane;
    ASSERT_TRUE(StartOrvane(orvane, work,
                            {{"XDG_CONFIG_HOME", work},
                             {"LD_PRELOAD", preload},
                             {"ORVANE_DDC_EMU", QString::fromStdString(emulation.StateFile())}}));
    const auto log = [&] { return QString::fromUtf8(orvane::test::ReadFile(work + "/err.txt")); };
    const auto written = [&](std::size_t monitor) { return !emulation.Writes(monitor).empty(); };
    ASSERT_TRUE(orvane::test::WaitFor([&] { return written(0); }, 30000)) << log().toStdString();

    emulation.Monitor(1).present = 1;
    ASSERT_TRUE(compositor->Swaymsg({"create_output"}));
    emulation.SetValue(1, 0xAA, 2);
    EXPECT_TRUE(orvane::test::WaitFor([&] { return Shown("HEADLESS-3").transform == 1; }, 30000))
        << log().toStdString();
    const QString programLog = QString::fromUtf8(orvane::test::ReadFile(QDir::tempPath() + "/Orvane_log.txt"));
    EXPECT_TRUE(programLog.contains("not equal m_TotalMonitor 1")) << "not the count check: " << programLog.toStdString();
    EXPECT_EQ(Shown(first).transform, 0) << "the first monitor stands as it stood";
    orvane::test::StopProcess(orvane);
    const auto writes = emulation.Writes(1);
    ASSERT_FALSE(writes.empty()) << "the plugged monitor was never written to";
    EXPECT_EQ(writes.back(), std::make_pair(std::uint8_t(0xCA), std::uint16_t(5)))
        << "the plugged monitor is one of the program's now: told at the end";
}

INSTANTIATE_TEST_SUITE_P(Compositors, WaylandReal,
                         ::testing::Values(HeadlessCompositor::Kind::KWin, HeadlessCompositor::Kind::Sway),
                         [](const auto& info) {
                             return info.param == HeadlessCompositor::Kind::KWin ? "KWin" : "Sway";
                         });
