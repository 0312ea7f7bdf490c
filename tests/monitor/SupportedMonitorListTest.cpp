#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using test::LogCapture;
using test::MakeSim;
using test::SimCommand;
using test::SimDisplay;
using test::SimMonitor;

constexpr int kSupported = 0x4F10;
constexpr int kUnsupported = 0x1234;

// Counts the monitor calls that go through the simulated platform.
class CountingPlatform : public platform::Platform, public platform::MonitorConfigApi {
public:
    explicit CountingPlatform(platform::Platform& inner) : m_inner(inner) {}
    int vcpCalls = 0;

    const char* Name() const override { return "counting"; }
    platform::DisplayApi& Display() override { return m_inner.Display(); }
    platform::MonitorConfigApi& MonitorConfig() override { return *this; }
    platform::DeviceRegistry& Registry() override { return m_inner.Registry(); }
    platform::SystemApi& System() override { return m_inner.System(); }
    platform::NoticeSource& Notices() override { return m_inner.Notices(); }

    bool GetNumberOfPhysicalMonitorsFromHMONITOR(platform::DisplayHandle d, std::uint32_t* n) override
    {
        return m_inner.MonitorConfig().GetNumberOfPhysicalMonitorsFromHMONITOR(d, n);
    }
    bool GetPhysicalMonitorsFromHMONITOR(platform::DisplayHandle d, std::uint32_t n,
                                         std::vector<platform::PhysicalMonitor>& out) override
    {
        return m_inner.MonitorConfig().GetPhysicalMonitorsFromHMONITOR(d, n, out);
    }
    int GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle m, std::uint8_t c, std::uint32_t* t,
                                        std::uint32_t* cur, std::uint32_t* max) override
    {
        ++vcpCalls;
        return m_inner.MonitorConfig().GetVCPFeatureAndVCPFeatureReply(m, c, t, cur, max);
    }
    int SetVCPFeature(platform::PhysicalMonitorHandle m, std::uint8_t c, std::uint32_t v) override
    {
        ++vcpCalls;
        return m_inner.MonitorConfig().SetVCPFeature(m, c, v);
    }
    int GetCapabilitiesStringLength(platform::PhysicalMonitorHandle m, std::uint32_t* l) override
    {
        ++vcpCalls;
        return m_inner.MonitorConfig().GetCapabilitiesStringLength(m, l);
    }

private:
    platform::Platform& m_inner;
};

QJsonObject TwoMonitors(bool secondFails)
{
    QJsonObject display = SimDisplay("D2", 1920, 3840, 2160);
    display["modes"] = QJsonArray{QJsonObject{{"width", 3840}, {"height", 2160}, {"hz", 30}},
                                  QJsonObject{{"width", 3840}, {"height", 2160}, {"hz", 60}},
                                  QJsonObject{{"width", 2160}, {"height", 3840}, {"hz", 60}, {"fixedOutput", 2}}};
    QJsonObject ours = SimMonitor("ours", "D2", kSupported, 3840, 2160, "0002");
    ours["fail"] = secondFails;
    return {{"displays", QJsonArray{SimDisplay("D1", 0, 1920, 1080), display}},
            {"monitors", QJsonArray{SimMonitor("plain", "D1", kUnsupported, 1920, 1080, "0001"), ours}}};
}

TEST(SupportedMonitorListTest, HoldsOnlySupportedMonitorsByOrdinal)
{
    auto sim = MakeSim(TwoMonitors(false));
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    LogCapture log;
    SupportedMonitorList list(inventory, vcp, *sim.platform);
    ASSERT_EQ(list.Count(), 1);
    SupportedMonitor& monitor = list[0];
    EXPECT_EQ(monitor.hPhysicalMonitor, 0x102u);
    EXPECT_EQ(monitor.deviceName, "D2");
    EXPECT_EQ(monitor.orientation, 0);
    EXPECT_EQ(monitor.identity.NativeWidth(), 3840);
    EXPECT_EQ(monitor.firmwareLevel, 258);
    EXPECT_TRUE(monitor.capabilities);
    ASSERT_EQ(monitor.displayModes.size(), 3u);
    EXPECT_EQ(monitor.displayModes[0].frequency, 30);
    EXPECT_EQ(monitor.displayModes[2].width, 2160);
    EXPECT_EQ(monitor.displayModes[2].fixedOutput, 2);
    EXPECT_TRUE(log.Contains("hMonitor  0x102  Monitor  258"));
    EXPECT_TRUE(log.Contains("Moinotr  0  GetCapabilites  true"));

    EXPECT_EQ(monitor.valueTable[0].code, 0xAAu);
    EXPECT_EQ(monitor.valueTable[0].values.size(), 4u);
    EXPECT_EQ(monitor.valueTable[1].code, 0xDCu);
    ASSERT_EQ(monitor.valueTable[1].values.size(), 30u);
    EXPECT_EQ(monitor.valueTable[1].values.back().value, 0x3E);
    EXPECT_TRUE(monitor.valueTable[1].valid);

    EXPECT_EQ(monitor.ReadOrientation(), 1);
    ASSERT_EQ(SimCommand(sim.path, {"pivot", "ours", "2"}), 0);
    EXPECT_EQ(monitor.ReadOrientation(), 2);
    EXPECT_TRUE(monitor.SetVcp(0xCA, 4));
    ASSERT_EQ(SimCommand(sim.path, {"maxunset", "ours", "on"}), 0);
    EXPECT_EQ(monitor.ReadOrientation(), -1);

    // A stale ordinal reaches no monitor and no memory.
    SupportedMonitor& absent = list[5];
    EXPECT_EQ(absent.hPhysicalMonitor, 0u);
    EXPECT_FALSE(absent.Rotate(1));
}

TEST(SupportedMonitorListTest, FailedFirmwareReadIsLoggedAsNoValue)
{
    auto sim = MakeSim(TwoMonitors(true));
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    LogCapture log;
    SupportedMonitorList list(inventory, vcp, *sim.platform);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].firmwareLevel, -1);
    EXPECT_TRUE(list[0].capabilities);
    EXPECT_TRUE(log.Contains("hMonitor  0x102  Monitor  4294967295"));
}

TEST(SupportedMonitorListTest, NoSupportedMonitorMeansNoMonitorTraffic)
{
    QJsonObject description{{"displays", QJsonArray{SimDisplay("D1", 0, 1920, 1080)}},
                            {"monitors", QJsonArray{SimMonitor("plain", "D1", kUnsupported, 1920, 1080, "0001")}}};
    auto sim = MakeSim(description);
    CountingPlatform counting(*sim.platform);
    VcpAccess vcp(counting.MonitorConfig());
    MonitorInventory inventory(counting, vcp);
    EXPECT_EQ(counting.vcpCalls, 1);  // the start-up probe
    LogCapture log;
    SupportedMonitorList list(inventory, vcp, counting);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(counting.vcpCalls, 1);
    EXPECT_TRUE(log.Lines().isEmpty());
}

TEST(SupportedMonitorListTest, ReloadFollowsPluggedMonitors)
{
    auto sim = MakeSim(TwoMonitors(false));
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    SupportedMonitorList list(inventory, vcp, *sim.platform);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(SimCommand(sim.path, {"unplug", "ours"}), 0);
    list.ReloadMonitors();
    EXPECT_EQ(inventory.m_nSupportedCount, 0);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(SimCommand(sim.path, {"plug", "ours"}), 0);
    list.ReloadMonitors();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(inventory.m_TotalMonitor, 2u);
}

}  // namespace
}  // namespace orvane
