#include <gtest/gtest.h>

#include "platform/win32/Win32Display.h"
#include "platform/win32/Win32MonitorConfig.h"

using namespace orvane::platform;

// Wine's dxva2 speaks no DDC/CI: every VCP call fails, and that failure
// must come back as 0 with the caller's values untouched, never as a crash.
// Whether it lists a physical monitor at all depends on its version; the
// listing must agree with the count either way.
namespace {

std::vector<PhysicalMonitor> ListPhysicalMonitors()
{
    win32::Win32Display display;
    win32::Win32MonitorConfig config;
    const DisplayHandle primary = display.MonitorFromPoint(0, 0);
    std::uint32_t count = 0;
    const bool counted = config.GetNumberOfPhysicalMonitorsFromHMONITOR(primary, &count);
    std::vector<PhysicalMonitor> monitors{PhysicalMonitor{7, "stale"}};
    const bool listed = config.GetPhysicalMonitorsFromHMONITOR(primary, count, monitors);
    if (counted && count >= 1) {
        EXPECT_TRUE(listed);
        EXPECT_EQ(monitors.size(), count);
    } else {
        EXPECT_FALSE(listed);
        EXPECT_TRUE(monitors.empty());
    }
    return monitors;
}

}  // namespace

TEST(Win32MonitorConfig, PhysicalMonitorListingAgreesWithItsCount)
{
    ListPhysicalMonitors();
}

TEST(Win32MonitorConfig, ImpossibleCountsAreRefusedWithoutCalling)
{
    win32::Win32Display display;
    win32::Win32MonitorConfig config;
    std::vector<PhysicalMonitor> monitors{PhysicalMonitor{1, "stale"}};
    EXPECT_FALSE(config.GetPhysicalMonitorsFromHMONITOR(display.MonitorFromPoint(0, 0), 0, monitors));
    EXPECT_TRUE(monitors.empty());
    EXPECT_FALSE(config.GetPhysicalMonitorsFromHMONITOR(display.MonitorFromPoint(0, 0), 0xFFFFFFFFu, monitors));
    EXPECT_FALSE(config.GetNumberOfPhysicalMonitorsFromHMONITOR(display.MonitorFromPoint(0, 0), nullptr));
}

TEST(Win32MonitorConfig, VcpCallsWithoutDdcFailCleanly)
{
    win32::Win32MonitorConfig config;
    std::vector<PhysicalMonitorHandle> handles{0, 0x1234};
    for (const PhysicalMonitor& monitor : ListPhysicalMonitors())
        handles.push_back(monitor.handle);
    for (PhysicalMonitorHandle handle : handles) {
        std::uint32_t codeType = 1;
        std::uint32_t current = 0xFFFFFFFFu;
        std::uint32_t maximum = 0xFFFFFFFFu;
        EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(handle, 0xAA, &codeType, &current, &maximum), 0);
        EXPECT_EQ(current, 0xFFFFFFFFu);
        EXPECT_EQ(maximum, 0xFFFFFFFFu);
        EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(handle, 0x10, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(config.SetVCPFeature(handle, 0xCA, 4), 0);
        std::uint32_t length = 0xFFFFFFFFu;
        EXPECT_EQ(config.GetCapabilitiesStringLength(handle, &length), 0);
        EXPECT_EQ(length, 0xFFFFFFFFu);
    }
}
