// Detection, EDID matching and VCP traffic through the real libddcutil and
// the project's Linux monitor access, against emulated monitors on the bus.
#include "tests/ddc-wire/WireFixture.h"

#include <QString>

using namespace orvane::ddcemu;
using orvane::platform::PhysicalMonitorHandle;

namespace {

std::uint32_t Read(Wire& wire, PhysicalMonitorHandle handle, std::uint8_t code, std::uint32_t* maximum = nullptr)
{
    std::uint32_t type = 0;
    std::uint32_t current = 0xFFFFFFFF;
    std::uint32_t most = 0xFFFFFFFF;
    if (!wire.config.GetVCPFeatureAndVCPFeatureReply(handle, code, &type, &current, &most))
        return 0xFFFFFFFF;
    if (maximum)
        *maximum = most;
    return current;
}

}  // namespace

TEST(DdcWire, OneMonitorIsFoundByItsEdidAndAnswersEveryRequest)
{
    REQUIRE_PRELOAD();
    auto monitors = Monitors(1);
    monitors[0].extensionBlock = true;  // 256 bytes at 0x50; the join uses the base block
    monitors[0].features.erase(0xCA);    // takes 0xCA writes but does not report 0xCA
    Wire wire(monitors);
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 1u);
    const auto displays = wire.ddc.Displays({});
    ASSERT_EQ(displays.size(), 1u);
    const auto edid = BuildEdid(monitors[0]);
    EXPECT_EQ(displays[0].edid, std::vector<std::uint8_t>(edid.begin(), edid.begin() + 128));
    EXPECT_EQ(displays[0].model, "ORV-27UHD");
    EXPECT_EQ(displays[0].i2cBus, 3);
    EXPECT_EQ(wire.devices.DevicesOf("DP-1").at(0).stateFlags & orvane::platform::DISPLAY_DEVICE_ACTIVE,
              orvane::platform::DISPLAY_DEVICE_ACTIVE);

    std::uint32_t maximum = 0;
    EXPECT_EQ(Read(wire, handles[0], 0xAA, &maximum), 1u);
    EXPECT_EQ(maximum, 4u);
    EXPECT_EQ(Read(wire, handles[0], 0xC9), 0x0102u);
    wire.emulation.SetValue(0, 0xAA, 2);  // the monitor is turned while the program runs
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 2u);
    EXPECT_EQ(Read(wire, handles[0], 0xDF), 0xFFFFFFFFu) << "a feature the monitor lacks reads as a failure";

    EXPECT_EQ(wire.config.SetVCPFeature(handles[0], 0xCA, 4), 1);
    EXPECT_EQ(wire.emulation.Writes(0), (std::vector<std::pair<std::uint8_t, std::uint16_t>>{{0xCA, 4}}));
    EXPECT_EQ(wire.config.SetVCPFeature(handles[0], 0xCA, 0x10000), 0) << "no truncated value goes on the bus";
    EXPECT_EQ(wire.emulation.Writes(0).size(), 1u);

    std::uint32_t length = 0;
    ASSERT_EQ(wire.config.GetCapabilitiesStringLength(handles[0], &length), 1);
    EXPECT_EQ(length, monitors[0].capabilities.size() + 1) << "all fragments joined";
}

TEST(DdcWire, ThreeMonitorsAreEachJoinedToTheirOwnConnector)
{
    REQUIRE_PRELOAD();
    // Bus order (the library's detection order) is the reverse of the
    // connector order, so only the EDID join can pair them right.
    auto monitors = Monitors(3);
    monitors[0].bus = 9;
    monitors[2].bus = 3;
    Wire wire(monitors);
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 3u);
    for (std::size_t i = 0; i < handles.size(); ++i)
        EXPECT_EQ(Read(wire, handles[i], 0xAA), i + 1) << "connector DP-" << i + 1;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        EXPECT_EQ(wire.config.SetVCPFeature(handles[i], 0xCA, std::uint32_t(4 + i)), 1);
        EXPECT_EQ(wire.emulation.Writes(i),
                  (std::vector<std::pair<std::uint8_t, std::uint16_t>>{{0xCA, std::uint16_t(4 + i)}}));
    }
}

TEST(DdcWire, RetriesHideShortFaultsAndLastingOnesFail)
{
    REQUIRE_PRELOAD();
    Wire wire(Monitors(1));
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 1u);
    MonitorState& monitor = wire.emulation.Monitor(0);
    for (const Fault fault : {Fault::Nak, Fault::BadChecksum, Fault::NullReply}) {
        SCOPED_TRACE(int(fault));
        const std::uint32_t before = monitor.requests + monitor.refused;
        wire.emulation.SetFault(0, fault, 1);
        EXPECT_EQ(Read(wire, handles[0], 0xAA), 1u);
        EXPECT_EQ(monitor.faultCount.load(), 0) << "the fault was met";
        EXPECT_GE(monitor.requests + monitor.refused, before + 2) << "the library tried again";
    }
    wire.emulation.SetFault(0, Fault::BadChecksum, -1);
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 0xFFFFFFFFu) << "a corrupted answer is never taken";
    wire.emulation.SetFault(0, Fault::Nak, -1);
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 0xFFFFFFFFu);
    EXPECT_EQ(wire.config.SetVCPFeature(handles[0], 0xCA, 5), 0);
    wire.emulation.SetFault(0, Fault::None, 0);
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 1u) << "the same handle works again";
}

TEST(DdcWire, UnplugInTheMiddleOfAReadFailsAndPlugBackRecovers)
{
    REQUIRE_PRELOAD();
    Wire wire(Monitors(2));
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 2u);
    wire.emulation.SetFault(0, Fault::UnplugMidRead, 1);
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 0xFFFFFFFFu);
    EXPECT_EQ(wire.emulation.Monitor(0).present.load(), 0u);
    EXPECT_EQ(Read(wire, handles[1], 0xAA), 2u) << "the other monitor is untouched";
    wire.emulation.Monitor(0).present = 1;
    EXPECT_EQ(Read(wire, handles[0], 0xAA), 1u);
}
