#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/DeviceName.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using test::LogCapture;
using test::MakeSim;
using test::MakeSimFromExample;
using test::SimCommand;
using test::SimDisplay;
using test::SimMonitor;

constexpr int kSupported = 0x4F10;
constexpr int kUnsupported = 0x1234;

bool AnyLineMatches(const LogCapture& log, const QString& pattern)
{
    const QRegularExpression expression(pattern);
    for (const QString& line : log.Lines())
        if (expression.match(line).hasMatch())
            return true;
    return false;
}

TEST(MonitorInventoryTest, CountsDisplaysMonitorsAndSupportedModels)
{
    auto sim = MakeSimFromExample("two-plus-unsupported.json");
    ASSERT_TRUE(sim.platform);
    LogCapture log;
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);

    ASSERT_EQ(inventory.Displays().size(), 3u);
    ASSERT_EQ(inventory.Monitors().size(), 3u);
    EXPECT_EQ(inventory.m_TotalMonitor, 3u);
    EXPECT_EQ(inventory.m_nSupportedCount, 2);
    EXPECT_TRUE(inventory.Monitors()[0].supported);
    EXPECT_TRUE(inventory.Monitors()[1].supported);
    EXPECT_FALSE(inventory.Monitors()[2].supported);
    EXPECT_EQ(inventory.Displays()[0].dwFlags, platform::MONITORINFOF_PRIMARY);
    EXPECT_EQ(inventory.Displays()[2].width, 1920);
    EXPECT_EQ(inventory.Displays()[2].rcMonitor.left, -1920);
    EXPECT_EQ(inventory.Monitors()[1].hPhysicalMonitor, 258u);
    EXPECT_EQ(inventory.Monitors()[1].deviceName, "\\\\.\\DISPLAY2");
    // The stale registry entry of the same model is passed over.
    EXPECT_EQ(inventory.Monitors()[1].identity.NativeWidth(), 3840);
    EXPECT_EQ(inventory.Monitors()[1].identity.SerialNumber(), QByteArray("SN4K00002"));
    EXPECT_FALSE(inventory.ModulePath().empty());

    EXPECT_TRUE(AnyLineMatches(log, "^Monitor  0   0x[0-9a-f]+ : 0xAA = \"70\"  Handle: 0x101$"));
    EXPECT_TRUE(AnyLineMatches(log, "^Monitor  2   0x[0-9a-f]+ : 0xAA = \"80\"  Handle: 0x103$"));
    EXPECT_TRUE(log.Contains("X  3840  Y 2160 : SerialNumber = \"SN4K00002\""));
    EXPECT_TRUE(log.Contains("Total Monitor: 3"));
}

TEST(MonitorInventoryTest, CheckMonitorNumReportsAChangeOnce)
{
    auto sim = MakeSimFromExample("two-plus-unsupported.json");
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    LogCapture log;
    EXPECT_EQ(inventory.CheckMonitorNum(), 0);
    EXPECT_TRUE(log.Contains("CheckMonitorNum= 3  equal m_TotalMonitor 3"));

    ASSERT_EQ(SimCommand(sim.path, {"unplug", "office"}), 0);
    EXPECT_EQ(inventory.CheckMonitorNum(), 1);
    EXPECT_TRUE(log.Contains("CheckMonitorNum= 2  not equal m_TotalMonitor 3"));
    EXPECT_EQ(inventory.m_TotalMonitor, 2u);
    EXPECT_EQ(inventory.CheckMonitorNum(), 0);
    EXPECT_TRUE(log.Contains("CheckMonitorNum= 2  equal m_TotalMonitor 2"));

    inventory.Reset();
    EXPECT_EQ(inventory.Monitors().size(), 2u);
    EXPECT_EQ(inventory.Displays().size(), 2u);
}

TEST(MonitorInventoryTest, SelectMonitorFallsBackToTheLastSupported)
{
    QJsonObject description{
        {"displays", QJsonArray{SimDisplay("D1", 0, 1920, 1080), SimDisplay("D2", 1920, 1920, 1080)}},
        {"monitors", QJsonArray{SimMonitor("plain", "D1", kUnsupported, 1920, 1080, "0001"),
                                SimMonitor("ours", "D2", kSupported, 1920, 1080, "0002")}}};
    auto sim = MakeSim(description);
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    EXPECT_EQ(inventory.SelectMonitor(0), 1);
    EXPECT_EQ(inventory.m_nCurrentMonitor, 0);
    EXPECT_EQ(inventory.SelectMonitor(1), 0);
    EXPECT_EQ(inventory.m_nCurrentMonitor, 0);

    ASSERT_EQ(SimCommand(sim.path, {"unplug", "ours"}), 0);
    inventory.Reset();
    EXPECT_EQ(inventory.m_nSupportedCount, 0);
    EXPECT_EQ(inventory.SelectMonitor(0), -1);
    EXPECT_EQ(inventory.m_nCurrentMonitor, -1);
}

TEST(MonitorInventoryTest, MonitorsWithoutAnActiveDeviceGetAnEmptyIdentity)
{
    QJsonObject inactive = SimMonitor("second", "D1", kSupported, 1920, 1080, "0002");
    inactive["active"] = false;
    QJsonObject noDdc = SimMonitor("noddc", "D2", kSupported, 1920, 1080, "0003");
    noDdc["physical"] = false;
    QJsonObject description{
        {"displays", QJsonArray{SimDisplay("D1", 0, 1920, 1080), SimDisplay("D2", 1920, 1920, 1080)}},
        {"monitors", QJsonArray{SimMonitor("first", "D1", kSupported, 1920, 1080, "0001"), inactive, noDdc}}};
    auto sim = MakeSim(description);
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    // Two physical monitors behind D1 but one active device; none behind D2.
    ASSERT_EQ(inventory.Monitors().size(), 2u);
    EXPECT_TRUE(inventory.Monitors()[0].supported);
    EXPECT_FALSE(inventory.Monitors()[1].supported);
    EXPECT_EQ(inventory.Monitors()[1].identity.NativeWidth(), 0);
    EXPECT_TRUE(inventory.Monitors()[1].monitorDevice.deviceId.empty());
    EXPECT_EQ(inventory.m_nSupportedCount, 1);
    // Active devices (2) and physical monitors (2) differ in where they are,
    // but the count check sees the same total.
    EXPECT_EQ(inventory.CheckMonitorNum(), 0);
}

TEST(MonitorInventoryTest, FailedEnumerationKeepsTheTotal)
{
    auto sim = MakeSimFromExample("one-4k.json");
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    ASSERT_EQ(inventory.m_TotalMonitor, 1u);
    QJsonObject broken = QJsonDocument::fromJson(test::ReadFile(sim.path)).object();
    broken["failEnumDisplayMonitors"] = true;
    test::WriteFile(sim.path, QJsonDocument(broken).toJson());
    LogCapture log;
    EXPECT_EQ(inventory.EnumMonitors(), 0);
    EXPECT_TRUE(inventory.Displays().empty());
    EXPECT_TRUE(inventory.Monitors().empty());
    EXPECT_EQ(inventory.m_TotalMonitor, 1u);
    EXPECT_EQ(log.CountStartingWith("Total Monitor:"), 0);
}

TEST(MonitorInventoryTest, UnreadableSettingsGiveOrientationZero)
{
    QJsonObject display = SimDisplay("D1", 0, 1920, 1080);
    display["orientation"] = 1;
    display["settingsReadable"] = false;
    auto sim = MakeSim({{"displays", QJsonArray{display}},
                        {"monitors", QJsonArray{SimMonitor("m", "D1", kSupported, 1920, 1080, "0001")}}});
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    ASSERT_EQ(inventory.Displays().size(), 1u);
    EXPECT_EQ(inventory.Displays()[0].orientation, 0);
}

TEST(MonitorInventoryTest, DeviceNamesAreCutToThirtyOneCharacters)
{
    EXPECT_EQ(CutDeviceName("\\\\.\\DISPLAY1"), "\\\\.\\DISPLAY1");
    const std::string longName(40, 'x');
    EXPECT_EQ(CutDeviceName(longName), std::string(31, 'x'));
    // Never inside a character: 30 ASCII then a character of two UTF-16 units.
    const std::string wide = std::string(30, 'a') + "\xF0\x9F\x96\xA5" + "zz";
    EXPECT_EQ(CutDeviceName(wide), std::string(30, 'a'));
    const std::string accents = std::string(29, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9";
    EXPECT_EQ(CutDeviceName(accents), std::string(29, 'a') + "\xC3\xA9\xC3\xA9");
}

}  // namespace
}  // namespace orvane
