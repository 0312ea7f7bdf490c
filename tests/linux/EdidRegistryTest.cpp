// EDID facts, the registry-shaped monitor directory and the sysfs connectors.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/linux/devices/DrmConnectors.h"
#include "platform/edid/Edid.h"
#include "platform/linux/LinuxRegistry.h"
#include "support/TestSupport.h"
#include "tests/linux/Samples.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::MakeScratchDir;
using orvane::test::WriteFile;

TEST(Edid, ModelIdAndNameComeFromTheBaseBlock)
{
    const Edid edid = SampleEdid("DEL", 0xA0EC, "DELL U2720Q", "ABC123");
    EXPECT_EQ(edid::ModelId(edid), "DELA0EC");
    EXPECT_EQ(edid::MonitorName(edid), "DELL U2720Q");
    EXPECT_EQ(edid::ModelId(Edid(100, 0)), "");            // truncated
    EXPECT_EQ(edid::ModelId(Edid(128, 0)), "");            // maker ID of zero letters
    EXPECT_EQ(edid::MonitorName(SampleEdid("ABC", 1, "", "S")), "");
}

TEST(Edid, SameBaseBlockIgnoresExtensionsAndRejectsShortBlocks)
{
    Edid a = SampleEdid("ABC", 0x1234, "ONE", "1");
    Edid b = a;
    b.resize(256, 0x55);
    EXPECT_TRUE(edid::SameBaseBlock(a, b));
    b[20] ^= 1;
    EXPECT_FALSE(edid::SameBaseBlock(a, b));
    EXPECT_FALSE(edid::SameBaseBlock(Edid(), Edid()));
}

TEST(LinuxRegistry, DeviceIdLeadsTheIdentificationToTheEdid)
{
    LinuxRegistry directory;
    const Edid first = SampleEdid("ABC", 0x1234, "FIRST", "1");
    const Edid second = SampleEdid("ABC", 0x1234, "SECOND", "2");
    EXPECT_EQ(directory.Record("DP-1", first), "MONITOR\\ABC1234\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\0000");
    const std::string id = directory.Record("HDMI-1", second);
    EXPECT_EQ(id, "MONITOR\\ABC1234\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\0001");

    // The lookup the identification code makes: model key, instances, driver, EDID.
    const std::string modelKey = std::string(kDisplayEnumKey) + "\\ABC1234";
    const auto instances = directory.ChildGroups(modelKey);
    ASSERT_EQ(instances.size(), 2u);
    std::string matching;
    for (const auto& instance : instances) {
        if (directory.StringValue(modelKey + "\\" + instance, "driver") ==
            std::string("{4d36e96e-e325-11ce-bfc1-08002be10318}\\0001"))
            matching = instance;
    }
    ASSERT_EQ(matching, "HDMI-1");
    EXPECT_EQ(directory.BinaryValue(modelKey + "\\" + matching + "\\Device Parameters", "EDID"), second);
    EXPECT_FALSE(directory.BinaryValue(modelKey + "\\" + matching, "EDID").has_value());
    EXPECT_FALSE(directory.StringValue(modelKey + "\\nothing", "driver").has_value());
    // Registry paths are not case-sensitive.
    EXPECT_EQ(directory.ChildGroups(std::string("hkey_local_machine\\system\\currentcontrolset\\enum\\display\\abc1234"))
                  .size(),
              2u);
}

TEST(LinuxRegistry, ConnectorKeepsItsNumberWhenTheMonitorChanges)
{
    LinuxRegistry directory;
    directory.Record("DP-1", SampleEdid("ABC", 1, "A", "1"));
    directory.Record("DP-2", SampleEdid("ABC", 1, "B", "2"));
    const std::string id = directory.Record("DP-1", SampleEdid("XYZ", 0xBEEF, "C", "3"));
    EXPECT_EQ(id, "MONITOR\\XYZBEEF\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\0000");
    // The old model no longer lists the connector.
    EXPECT_EQ(directory.ChildGroups(std::string(kDisplayEnumKey) + "\\ABC0001"), std::vector<std::string>{"DP-2"});
}

TEST(LinuxRegistry, MonitorWithoutEdidGetsNoEntry)
{
    LinuxRegistry directory;
    const std::string id = directory.Record("eDP-1", Edid(60, 0));
    EXPECT_EQ(id, "MONITOR\\Default_Monitor\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\0000");
    EXPECT_TRUE(directory.ChildGroups(std::string(kDisplayEnumKey) + "\\Default_Monitor").empty());
}

TEST(DrmConnectors, ReadsConnectorsAndEdidsOfAFakeSysfsTree)
{
    const QString root = MakeScratchDir("drm");
    const Edid edid = SampleEdid("ABC", 0x1234, "PANEL", "9");
    WriteFile(root + "/card0-DP-1/status", "connected\n");
    WriteFile(root + "/card0-DP-1/edid", QByteArray(reinterpret_cast<const char*>(edid.data()), int(edid.size())));
    WriteFile(root + "/card0-HDMI-A-1/status", "disconnected\n");
    WriteFile(root + "/card0-HDMI-A-1/edid", "");
    WriteFile(root + "/card0/dev", "226:0\n");
    WriteFile(root + "/renderD128/dev", "226:128\n");

    const auto connectors = ReadDrmConnectors(root.toStdString());
    ASSERT_EQ(connectors.size(), 2u);
    EXPECT_EQ(connectors[0].card, "card0");
    EXPECT_EQ(connectors[0].name, "DP-1");
    EXPECT_TRUE(connectors[0].connected);
    EXPECT_EQ(connectors[0].edid, edid);
    EXPECT_EQ(connectors[1].name, "HDMI-A-1");
    EXPECT_FALSE(connectors[1].connected);
    EXPECT_TRUE(connectors[1].edid.empty());

    EXPECT_TRUE(ReadDrmConnectors(root.toStdString() + "/missing").empty());
}

TEST(DrmConnectors, OutputNamesOfTheServerFindTheKernelConnector)
{
    std::vector<DrmConnector> connectors(3);
    connectors[0].name = "DP-1";
    connectors[1].name = "HDMI-A-1";
    connectors[2].name = "eDP-1";
    const auto find = [&](const std::string& output) {
        const DrmConnector* c = FindConnectorForOutput(connectors, output);
        return c ? c->name : std::string("-");
    };
    EXPECT_EQ(find("DP-1"), "DP-1");
    EXPECT_EQ(find("DisplayPort-1"), "DP-1");
    EXPECT_EQ(find("HDMI-1"), "HDMI-A-1");
    EXPECT_EQ(find("HDMI-A-1"), "HDMI-A-1");
    EXPECT_EQ(find("eDP1"), "eDP-1");
    EXPECT_EQ(find("DP-2"), "-");

    // The same connector name on two cards cannot be told apart.
    connectors.push_back(connectors[1]);
    connectors.back().card = "card1";
    EXPECT_EQ(find("HDMI-1"), "-");
}
