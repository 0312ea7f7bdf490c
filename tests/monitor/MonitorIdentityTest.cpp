#include <gtest/gtest.h>

#include <map>

#include "orvane/monitor/MonitorIdentity.h"
#include "platform/edid/Edid.h"

namespace orvane {
namespace {

const std::string kBase = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY";
const std::string kGuid = "{4d36e96e-e325-11ce-bfc1-08002be10318}";
const std::string kDeviceId = "MONITOR\\ABC1234\\" + kGuid + "\\0003";

class MapRegistry : public platform::DeviceRegistry {
public:
    std::map<std::string, std::vector<std::string>> children;
    std::map<std::string, std::string> drivers;
    std::map<std::string, std::vector<std::uint8_t>> edids;
    std::vector<std::string> asked;

    std::vector<std::string> ChildGroups(const std::string& key) override
    {
        asked.push_back(key);
        return children.count(key) ? children[key] : std::vector<std::string>();
    }
    std::optional<std::string> StringValue(const std::string& key, const std::string& name) override
    {
        if (name != "driver" || !drivers.count(key))
            return std::nullopt;
        return drivers[key];
    }
    std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string& key, const std::string& name) override
    {
        if (name != "EDID" || !edids.count(key))
            return std::nullopt;
        return edids[key];
    }

    void AddInstance(const std::string& instance, const std::string& driver, std::vector<std::uint8_t> edid)
    {
        const std::string model = kBase + "\\ABC1234";
        children[model].push_back(instance);
        drivers[model + "\\" + instance] = driver;
        edids[model + "\\" + instance + "\\Device Parameters"] = std::move(edid);
    }
};

std::vector<std::uint8_t> Edid(std::uint16_t code, int width, int height, const std::string& name = "",
                               const std::string& serial = "")
{
    platform::edid::Fields fields;
    fields.productCode = code;
    fields.width = width;
    fields.height = height;
    fields.name = name;
    fields.serial = serial;
    return platform::edid::Build(fields);
}

void SetText(std::vector<std::uint8_t>& edid, int descriptor, std::uint8_t tag, const std::string& bytes13)
{
    const size_t offset = 54 + 18 * static_cast<size_t>(descriptor);
    edid[offset + 3] = tag;
    for (size_t i = 0; i < 13; ++i)
        edid[offset + 5 + i] = static_cast<std::uint8_t>(bytes13[i]);
}

void ExpectEmpty(const MonitorIdentity& identity)
{
    EXPECT_EQ(identity.ProductCode(), QByteArray(2, '\0'));
    EXPECT_EQ(identity.NativeWidth(), 0);
    EXPECT_EQ(identity.NativeHeight(), 0);
    EXPECT_TRUE(identity.SerialNumber().isEmpty());
    EXPECT_TRUE(identity.MonitorName().isEmpty());
}

TEST(MonitorIdentityTest, PicksTheInstanceWhoseDriverValueMatches)
{
    MapRegistry registry;
    registry.AddInstance("5&aaa&0&UID1", kGuid + "\\0001", Edid(0x1111, 1920, 1080));
    registry.AddInstance("5&bbb&0&UID2", "  " + kGuid + "\\0003 \n", Edid(0x4F10, 2560, 1440));
    registry.AddInstance("5&ccc&0&UID3", kGuid + "\\0003", Edid(0x2222, 1280, 1024));
    const MonitorIdentity identity(kDeviceId, registry);
    EXPECT_EQ(registry.asked.front(), kBase + "\\ABC1234");
    EXPECT_EQ(identity.ModelKeyPath().toStdString(), kBase + "\\ABC1234");
    EXPECT_EQ(identity.DeviceId().toStdString(), kDeviceId);
    EXPECT_EQ(identity.ProductCode(), QByteArray("\x10\x4F", 2));
    EXPECT_EQ(identity.NativeWidth(), 2560);
    EXPECT_EQ(identity.NativeHeight(), 1440);
}

TEST(MonitorIdentityTest, DriverValueComparisonIsCaseSensitive)
{
    MapRegistry registry;
    registry.AddInstance("5&aaa&0&UID1", "{4D36E96E-E325-11CE-BFC1-08002BE10318}\\0003", Edid(0x4F10, 1920, 1080));
    ExpectEmpty(MonitorIdentity(kDeviceId, registry));
}

TEST(MonitorIdentityTest, ReadsNativeSizeFromThePreferredTiming)
{
    std::vector<std::uint8_t> edid = Edid(0x4F10, 1, 1);
    edid[54 + 2] = 0x00;
    edid[54 + 4] = 0xF0;
    edid[54 + 5] = 0x70;
    edid[54 + 7] = 0x80;
    MapRegistry registry;
    registry.AddInstance("i", kGuid + "\\0003", edid);
    const MonitorIdentity identity(kDeviceId, registry);
    EXPECT_EQ(identity.NativeWidth(), 3840);
    EXPECT_EQ(identity.NativeHeight(), 2160);
    EXPECT_EQ(identity.PreferredTiming(), QByteArray(reinterpret_cast<const char*>(edid.data()) + 54, 18));
}

TEST(MonitorIdentityTest, DescriptorTextsEndAtTheLineFeed)
{
    MonitorIdentity identity;
    std::vector<std::uint8_t> edid = Edid(0x4F10, 1920, 1080);
    SetText(edid, 1, 0xFF, "AB123456\n    ");
    SetText(edid, 2, 0xFC, "ORV-27UHD-PR\n");
    SetText(edid, 3, 0x10, "ignored tag  ");
    identity.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), 128));
    EXPECT_EQ(identity.SerialNumber(), QByteArray("AB123456"));
    EXPECT_EQ(identity.MonitorName(), QByteArray("ORV-27UHD-PR"));

    SetText(edid, 1, 0xFF, "ABCDEFGHIJKLM");
    identity.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), 128));
    EXPECT_EQ(identity.SerialNumber(), QByteArray("ABCDEFGHIJKLM"));

    SetText(edid, 1, 0xFF, "\nXXXXXXXXXXXX");
    identity.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), 128));
    EXPECT_TRUE(identity.SerialNumber().isEmpty());

    // A later descriptor with the same tag wins.
    SetText(edid, 1, 0xFF, "FIRST\n       ");
    SetText(edid, 3, 0xFF, "SECOND\n      ");
    identity.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), 128));
    EXPECT_EQ(identity.SerialNumber(), QByteArray("SECOND"));

    // A detailed timing is no text, whatever its byte 3 holds.
    SetText(edid, 2, 0x10, "no name here ");
    edid[54 + 3] = 0xFC;
    identity.ParseEdid(QByteArray(reinterpret_cast<const char*>(edid.data()), 128));
    EXPECT_TRUE(identity.MonitorName().isEmpty());
}

TEST(MonitorIdentityTest, FailedLookupsGiveTheEmptyIdentity)
{
    MapRegistry none;
    ExpectEmpty(MonitorIdentity(kDeviceId, none));  // model without instances

    MapRegistry other;
    other.AddInstance("i", kGuid + "\\0001", Edid(0x4F10, 1920, 1080));
    ExpectEmpty(MonitorIdentity(kDeviceId, other));  // no driver match

    MapRegistry shortEdid;
    std::vector<std::uint8_t> edid = Edid(0x4F10, 1920, 1080);
    edid.resize(127);
    shortEdid.AddInstance("i", kGuid + "\\0003", edid);
    ExpectEmpty(MonitorIdentity(kDeviceId, shortEdid));

    MapRegistry noEdid;
    noEdid.children[kBase + "\\ABC1234"].push_back("i");
    noEdid.drivers[kBase + "\\ABC1234\\i"] = kGuid + "\\0003";
    ExpectEmpty(MonitorIdentity(kDeviceId, noEdid));

    MapRegistry full;
    full.AddInstance("i", kGuid + "\\0003", Edid(0x4F10, 1920, 1080));
    const MonitorIdentity threeParts("MONITOR\\ABC1234\\" + kGuid, full);
    ExpectEmpty(threeParts);
    EXPECT_EQ(threeParts.ModelKeyPath().toStdString(), kBase + "\\ABC1234");
    const MonitorIdentity onePart("MONITOR", full);
    ExpectEmpty(onePart);
    EXPECT_TRUE(onePart.ModelKeyPath().isEmpty());
    ExpectEmpty(MonitorIdentity("", full));

    const MonitorIdentity fresh;
    ExpectEmpty(fresh);
    EXPECT_EQ(fresh.RegistryBasePath().toStdString(), kBase);
}

TEST(MonitorIdentityTest, CopiesAreIndependent)
{
    MapRegistry registry;
    registry.AddInstance("i", kGuid + "\\0003", Edid(0x4F10, 3840, 2160, "A", "B"));
    MonitorIdentity original(kDeviceId, registry);
    MonitorIdentity copy = original;
    original = MonitorIdentity();
    EXPECT_EQ(copy.NativeWidth(), 3840);
    EXPECT_EQ(copy.SerialNumber(), QByteArray("B"));
}

}  // namespace
}  // namespace orvane
