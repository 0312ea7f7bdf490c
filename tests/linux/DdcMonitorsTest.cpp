// Physical monitors over a fake DDC/CI library: matching to outputs by EDID,
// handles kept for good, VCP calls, abandoned calls and detection again.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

#include <thread>

#include "platform/linux/LinuxMonitorConfig.h"
#include "platform/linux/ddc/DdcMonitors.h"
#include "platform/linux/MonitorDevices.h"
#include "platform/linux/ddc/MonitorMatching.h"
#include "support/TestSupport.h"
#include "tests/linux/Samples.h"
#include "tests/linux/FakeDdcLibrary.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;

namespace {

DdcDisplayRecord Ddc(const Edid& edid, const std::string& model)
{
    return DdcDisplayRecord{edid, model, 3};
}

class FakeOutputs : public OutputSource {
public:
    std::vector<ActiveOutput> outputs;
    std::vector<ActiveOutput> ActiveOutputs() override { return outputs; }
};

QStringList g_warnings;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

const Edid kLeft = SampleEdid("ABC", 0x1111, "LEFT", "L1");
const Edid kRight = SampleEdid("ABC", 0x2222, "RIGHT", "R1");
const Edid kPanel = SampleEdid("XYZ", 0x0001, "PANEL", "");

}  // namespace

TEST(MonitorMatching, DisplaysGoToTheOutputWithTheSameEdid)
{
    const std::vector<DdcDisplayRecord> ddc{Ddc(kRight, "R"), Ddc(kLeft, "L")};
    const auto matches = MatchDisplaysToOutputs({kLeft, kPanel, kRight}, ddc);
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[0], std::vector<std::size_t>{1});
    EXPECT_TRUE(matches[1].empty());
    EXPECT_EQ(matches[2], std::vector<std::size_t>{0});
}

TEST(MonitorMatching, IdenticalMonitorsArePairedInOrderNotCountedTwice)
{
    const std::vector<DdcDisplayRecord> ddc{Ddc(kLeft, "A"), Ddc(kLeft, "B")};
    const auto matches = MatchDisplaysToOutputs({kLeft, kLeft}, ddc);
    EXPECT_EQ(matches[0], std::vector<std::size_t>{0});
    EXPECT_EQ(matches[1], std::vector<std::size_t>{1});
    // A DDC/CI display without an output showing it belongs to no display.
    EXPECT_TRUE(MatchDisplaysToOutputs({kPanel}, ddc)[0].empty());
    // An output without an EDID matches nothing, not even an empty one.
    EXPECT_TRUE(MatchDisplaysToOutputs({Edid()}, {Ddc(Edid(), "?")})[0].empty());
}

class DdcFixture : public ::testing::Test {
protected:
    FakeDdcLibrary library;
    DdcMonitors ddc{library};
    LinuxRegistry directory;
    FakeOutputs outputs;
    MonitorDevices devices{outputs, ddc, directory};
    LinuxMonitorConfig config{devices, ddc};

    void SetUp() override
    {
        library.displays = {Ddc(kLeft, "LEFT MODEL"), Ddc(kRight, "RIGHT MODEL")};
        library.values[{0, 0xAA}] = 2;
        library.values[{1, 0xAA}] = 1;
        outputs.outputs = {ActiveOutput{1, "DP-1", true, kLeft}, ActiveOutput{2, "eDP-1", false, kPanel},
                           ActiveOutput{3, "HDMI-1", false, kRight}};
    }
};

TEST_F(DdcFixture, PhysicalMonitorsPairWithTheActiveMonitorDevices)
{
    std::uint32_t count = 9;
    ASSERT_TRUE(config.GetNumberOfPhysicalMonitorsFromHMONITOR(3, &count));
    EXPECT_EQ(count, 1u);
    std::vector<PhysicalMonitor> monitors;
    ASSERT_TRUE(config.GetPhysicalMonitorsFromHMONITOR(3, count, monitors));
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_EQ(monitors[0].description, "RIGHT MODEL");

    std::uint32_t type = 0, current = 0, maximum = 0;
    ASSERT_EQ(config.GetVCPFeatureAndVCPFeatureReply(monitors[0].handle, 0xAA, &type, &current, &maximum), 1);
    EXPECT_EQ(current, 1u);
    EXPECT_EQ(maximum, 4u);

    const auto devicesOfRight = devices.DevicesOf("HDMI-1");
    ASSERT_EQ(devicesOfRight.size(), 1u);
    EXPECT_TRUE(devicesOfRight[0].stateFlags & DISPLAY_DEVICE_ACTIVE);
    EXPECT_EQ(devicesOfRight[0].deviceId, "MONITOR\\ABC2222\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\0000");
    EXPECT_EQ(devicesOfRight[0].deviceString, "RIGHT");
    EXPECT_TRUE(directory.BinaryValue(std::string(kDisplayEnumKey) + "\\ABC2222\\HDMI-1\\Device Parameters", "EDID"));

    // The panel does not answer DDC/CI: listed, but not active, and no physical monitor.
    const auto panel = devices.DevicesOf("eDP-1");
    ASSERT_EQ(panel.size(), 1u);
    EXPECT_FALSE(panel[0].stateFlags & DISPLAY_DEVICE_ACTIVE);
    ASSERT_TRUE(config.GetNumberOfPhysicalMonitorsFromHMONITOR(2, &count));
    EXPECT_EQ(count, 0u);

    // Counting active devices over all adapters gives the physical count.
    int active = 0;
    for (const auto& adapter : devices.Adapters())
        for (const auto& device : devices.DevicesOf(adapter.deviceName))
            active += (device.stateFlags & DISPLAY_DEVICE_ACTIVE) ? 1 : 0;
    EXPECT_EQ(active, 2);
    EXPECT_EQ(library.detections, 1);
}

TEST_F(DdcFixture, HandlesAreOpenedOnceAndKept)
{
    std::vector<PhysicalMonitor> first, second;
    config.GetPhysicalMonitorsFromHMONITOR(1, 1, first);
    config.GetPhysicalMonitorsFromHMONITOR(1, 1, second);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0].handle, 0u);
    EXPECT_EQ(first[0].handle, second[0].handle);
    EXPECT_EQ(library.opens, 1);
}

TEST_F(DdcFixture, WritesAndCapabilitiesGoToTheRightMonitor)
{
    std::vector<PhysicalMonitor> monitors;
    config.GetPhysicalMonitorsFromHMONITOR(1, 1, monitors);
    const auto handle = monitors.at(0).handle;
    EXPECT_EQ(config.SetVCPFeature(handle, 0xCA, 4), 1);
    EXPECT_EQ(library.values[(std::pair<std::size_t, std::uint8_t>{0, 0xCA})], 4);
    // A value that does not fit the 16 bits of the wire is refused, not cut.
    EXPECT_EQ(config.SetVCPFeature(handle, 0xCA, 0x10004), 0);
    EXPECT_EQ(library.values[(std::pair<std::size_t, std::uint8_t>{0, 0xCA})], 4);

    std::uint32_t length = 0;
    ASSERT_EQ(config.GetCapabilitiesStringLength(handle, &length), 1);
    EXPECT_EQ(length, library.capabilities.size() + 1);

    // Unknown handles and unreadable features fail without touching the outputs.
    std::uint32_t type = 7, current = 7, maximum = 7;
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(999, 0xAA, &type, &current, &maximum), 0);
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(handle, 0x10, &type, &current, &maximum), 0);
    EXPECT_EQ(current, 7u);
    EXPECT_EQ(config.SetVCPFeature(0, 0xCA, 1), 0);
}

TEST_F(DdcFixture, NewMonitorIsDetectedOnlyWhenNoCallIsRunning)
{
    std::vector<PhysicalMonitor> monitors;
    config.GetPhysicalMonitorsFromHMONITOR(1, 1, monitors);
    const auto oldHandle = monitors.at(0).handle;

    // A read that its caller abandoned is still on the bus.
    library.Hold();
    std::thread abandoned([&] {
        std::uint32_t type, current, maximum;
        config.GetVCPFeatureAndVCPFeatureReply(oldHandle, 0xAA, &type, &current, &maximum);
    });
    ASSERT_TRUE(orvane::test::WaitFor([&] { return library.running.load() == 1; }, 5000));

    const Edid added = SampleEdid("NEW", 0x0042, "ADDED", "N1");
    library.displays.push_back(Ddc(added, "ADDED MODEL"));
    outputs.outputs.push_back(ActiveOutput{4, "DP-2", false, added});
    std::uint32_t count = 9;
    config.GetNumberOfPhysicalMonitorsFromHMONITOR(4, &count);
    EXPECT_EQ(count, 0u) << "detection must wait while a call may still use the handles";
    EXPECT_EQ(library.detections, 1);

    library.Release();
    abandoned.join();
    config.GetNumberOfPhysicalMonitorsFromHMONITOR(4, &count);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(library.detections, 2);

    // Handles of the earlier detection fail from now on; the new ones work.
    std::uint32_t type, current, maximum;
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(oldHandle, 0xAA, &type, &current, &maximum), 0);
    config.GetPhysicalMonitorsFromHMONITOR(1, 1, monitors);
    EXPECT_NE(monitors.at(0).handle, oldHandle);
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(monitors[0].handle, 0xAA, &type, &current, &maximum), 1);
    EXPECT_EQ(current, 2u);
}

TEST_F(DdcFixture, NoDdcAccessMeansNoPhysicalMonitorsAndOneLogLine)
{
    library.problem = "no I2C device nodes (/dev/i2c-*); load the i2c-dev kernel module";
    g_warnings.clear();
    const auto previous = qInstallMessageHandler(CollectWarnings);
    std::uint32_t count = 9;
    config.GetNumberOfPhysicalMonitorsFromHMONITOR(1, &count);
    config.GetNumberOfPhysicalMonitorsFromHMONITOR(3, &count);
    qInstallMessageHandler(previous);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(library.detections, 0);
    ASSERT_EQ(g_warnings.size(), 1);
    EXPECT_TRUE(g_warnings[0].contains("i2c-dev")) << g_warnings[0].toStdString();
    for (const auto& output : outputs.outputs)
        for (const auto& device : devices.DevicesOf(output.name))
            EXPECT_FALSE(device.stateFlags & DISPLAY_DEVICE_ACTIVE);
}

TEST_F(DdcFixture, AccessReportNamesWhatKeepsMonitorsAway)
{
    // Detection found the two monitors: nothing is missing.
    std::uint32_t count = 0;
    config.GetNumberOfPhysicalMonitorsFromHMONITOR(1, &count);
    EXPECT_EQ(config.AccessReport().fault, DdcAccessFault::None);

    FakeDdcLibrary silent;
    DdcMonitors quiet{silent};
    EXPECT_EQ(quiet.AccessReport().fault, DdcAccessFault::None);  // nothing looked at yet
    quiet.Displays({kLeft});
    EXPECT_EQ(quiet.AccessReport().fault, DdcAccessFault::NoDdcAnswer);

    silent.problem = "no permission to use /dev/i2c-*";
    silent.fault = DdcAccessFault::NoI2cPermission;
    const DdcAccessReport report = quiet.AccessReport();
    EXPECT_EQ(report.fault, DdcAccessFault::NoI2cPermission);
    EXPECT_EQ(report.detail, silent.problem);
}
