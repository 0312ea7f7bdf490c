#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Display.h"
#include "platform/win32/WinApi.h"

using namespace orvane::platform;

namespace {

std::vector<DisplayHandle> Displays(win32::Win32Display& display)
{
    std::vector<DisplayHandle> handles;
    EXPECT_TRUE(display.EnumDisplayMonitors([&](DisplayHandle h) {
        handles.push_back(h);
        return true;
    }));
    return handles;
}

}  // namespace

TEST(Win32Display, MonitorsEnumerateWithInfoAndAreFoundAgainByTheirCentre)
{
    win32::Win32Display display;
    const auto handles = Displays(display);
    ASSERT_FALSE(handles.empty());
    bool primarySeen = false;
    for (DisplayHandle h : handles) {
        DisplayInfo info;
        ASSERT_TRUE(display.GetMonitorInfo(h, info));
        EXPECT_EQ(info.deviceName.rfind("\\\\.\\DISPLAY", 0), 0u) << info.deviceName;
        EXPECT_GT(info.monitor.right - info.monitor.left, 0);
        EXPECT_GT(info.monitor.bottom - info.monitor.top, 0);
        EXPECT_GE(info.work.left, info.monitor.left);
        EXPECT_LE(info.work.right, info.monitor.right);
        primarySeen = primarySeen || (info.flags & MONITORINFOF_PRIMARY);
        const std::int32_t x = (info.monitor.left + info.monitor.right) / 2;
        const std::int32_t y = (info.monitor.top + info.monitor.bottom) / 2;
        EXPECT_EQ(display.MonitorFromPoint(x, y), h);
    }
    EXPECT_TRUE(primarySeen);
}

TEST(Win32Display, CallbackStopsTheEnumerationAndExceptionsCrossItSafely)
{
    win32::Win32Display display;
    int calls = 0;
    display.EnumDisplayMonitors([&](DisplayHandle) {
        ++calls;
        return false;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(display.EnumDisplayMonitors([](DisplayHandle) -> bool { throw std::runtime_error("stop"); }),
                 std::runtime_error);
}

TEST(Win32Display, UnknownMonitorHandleHasNoInfo)
{
    win32::Win32Display display;
    DisplayInfo info;
    EXPECT_FALSE(display.GetMonitorInfo(0x12345678, info));
}

TEST(Win32Display, AdaptersListTheirActiveMonitorDevicesWithHardwareIds)
{
    win32::Win32Display display;
    int activeMonitors = 0;
    DisplayDevice adapter;
    for (std::uint32_t a = 0; display.EnumDisplayDevices(nullptr, a, adapter); ++a) {
        if (!(adapter.stateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP))
            continue;
        EXPECT_EQ(adapter.deviceName.rfind("\\\\.\\DISPLAY", 0), 0u);
        DisplayDevice monitor;
        for (std::uint32_t m = 0; display.EnumDisplayDevices(&adapter.deviceName, m, monitor); ++m) {
            if (!(monitor.stateFlags & DISPLAY_DEVICE_ACTIVE))
                continue;
            ++activeMonitors;
            // MONITOR\<model>\{class GUID}\<instance>: what the EDID lookup splits.
            EXPECT_EQ(monitor.deviceId.rfind("MONITOR\\", 0), 0u) << monitor.deviceId;
            EXPECT_NE(monitor.deviceId.find("\\{"), std::string::npos) << monitor.deviceId;
            EXPECT_EQ(monitor.deviceName.rfind(adapter.deviceName + "\\Monitor", 0), 0u) << monitor.deviceName;
        }
    }
    EXPECT_GE(activeMonitors, 1);
    const std::string missing = "\\\\.\\DISPLAY99";
    DisplayDevice none;
    EXPECT_FALSE(display.EnumDisplayDevices(&missing, 0, none));
}

TEST(Win32Display, StoredCurrentAndListedSettingsAgree)
{
    win32::Win32Display display;
    DisplayInfo info;
    ASSERT_TRUE(display.GetMonitorInfo(display.MonitorFromPoint(0, 0), info));

    DisplaySettings stored;
    ASSERT_TRUE(display.EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    EXPECT_GT(stored.pelsWidth, 0u);
    EXPECT_LE(stored.orientation, 3u);
    DisplaySettings current;
    ASSERT_TRUE(display.EnumDisplaySettings(info.deviceName, ENUM_CURRENT_SETTINGS, current));
    EXPECT_EQ(current.pelsWidth, static_cast<std::uint32_t>(info.monitor.right - info.monitor.left));
    EXPECT_EQ(current.pelsHeight, static_cast<std::uint32_t>(info.monitor.bottom - info.monitor.top));

    int modes = 0;
    bool currentListed = false;
    DisplaySettings mode;
    for (std::int32_t i = 0; i < 10000 && display.EnumDisplaySettings(info.deviceName, i, mode); ++i) {
        ++modes;
        EXPECT_GT(mode.pelsWidth, 0u);
        EXPECT_GT(mode.bitsPerPel, 0u);
        currentListed = currentListed || (mode.pelsWidth == current.pelsWidth && mode.pelsHeight == current.pelsHeight);
    }
    EXPECT_GT(modes, 0);
    EXPECT_TRUE(currentListed);
    EXPECT_FALSE(display.EnumDisplaySettings("\\\\.\\DISPLAY99", ENUM_REGISTRY_SETTINGS, mode));
}

TEST(Win32Display, ChangingAMissingDisplayIsRefused)
{
    win32::Win32Display display;
    DisplaySettings settings;
    settings.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    settings.orientation = DMDO_90;
    settings.pelsWidth = 1080;
    settings.pelsHeight = 1920;
    EXPECT_NE(display.ChangeDisplaySettingsEx("\\\\.\\DISPLAY99", settings, CDS_UPDATEREGISTRY),
              DISP_CHANGE_SUCCESSFUL);
}

// The seam call builds the same DEVMODEW a direct call with the stored
// settings would pass, so both get the same answer. Wine's 64-bit display
// driver accepts it; its 32-bit side refuses CDS_UPDATEREGISTRY for any mode
// (DISP_CHANGE_BADMODE), which the agreement check still covers.
TEST(Win32Display, StoredSettingsWrittenBackAreTreatedLikeADirectCall)
{
    win32::Win32Display display;
    DisplayInfo info;
    ASSERT_TRUE(display.GetMonitorInfo(display.MonitorFromPoint(0, 0), info));
    DisplaySettings stored;
    ASSERT_TRUE(display.EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, stored));
    stored.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;

    const std::wstring name = win32::Widen(info.deviceName);
    DEVMODEW direct{};
    direct.dmSize = sizeof(direct);
    ASSERT_TRUE(::EnumDisplaySettingsW(name.c_str(), ENUM_REGISTRY_SETTINGS, &direct));
    direct.dmFields = stored.fields;
    const LONG expected = ::ChangeDisplaySettingsExW(name.c_str(), &direct, nullptr, CDS_UPDATEREGISTRY, nullptr);
    EXPECT_EQ(display.ChangeDisplaySettingsEx(info.deviceName, stored, CDS_UPDATEREGISTRY), expected);
#ifdef _WIN64
    EXPECT_EQ(expected, DISP_CHANGE_SUCCESSFUL);
#endif
    DisplaySettings after;
    ASSERT_TRUE(display.EnumDisplaySettings(info.deviceName, ENUM_REGISTRY_SETTINGS, after));
    EXPECT_EQ(after.pelsWidth, stored.pelsWidth);
    EXPECT_EQ(after.pelsHeight, stored.pelsHeight);
    EXPECT_EQ(after.orientation, stored.orientation);
}
