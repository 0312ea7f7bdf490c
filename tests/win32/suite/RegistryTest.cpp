#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/edid/Edid.h"
#include "platform/win32/RegistryPath.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Registry.h"

#include "platform/win32/WinApi.h"

using namespace orvane::platform;

namespace {

// The monitor keys are written where the program reads them, in the
// throw-away prefix's HKLM; HKCU stands in if HKLM refuses the write.
class DeviceRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base_ = L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\ORV" + std::to_wstring(::GetCurrentProcessId());
        root_ = HKEY_LOCAL_MACHINE;
        rootName_ = "HKEY_LOCAL_MACHINE";
        if (!CanWrite(root_)) {
            root_ = HKEY_CURRENT_USER;
            rootName_ = "HKEY_CURRENT_USER";
        }
    }
    void TearDown() override { ::RegDeleteTreeW(root_, base_.c_str()); }

    bool CanWrite(HKEY root)
    {
        win32::UniqueKey key;
        return ::RegCreateKeyExW(root, base_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                                 nullptr) == ERROR_SUCCESS;
    }

    void Put(const std::wstring& sub, const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        win32::UniqueKey key;
        const std::wstring path = sub.empty() ? base_ : base_ + L"\\" + sub;
        ASSERT_EQ(::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                                    nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    void PutText(const std::wstring& sub, const wchar_t* name, const std::wstring& text)
    {
        Put(sub, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    std::string ModelPath() const
    {
        return rootName_ + "\\" + std::string(base_.begin(), base_.end());
    }

    std::wstring base_;
    HKEY root_ = nullptr;
    std::string rootName_;
};

std::vector<std::uint8_t> RegistryEdid()
{
    edid::Fields fields;
    fields.productCode = 0x1234;
    fields.name = "REGISTRY";
    fields.serial = "RB0001";
    return edid::Build(fields);
}

}  // namespace

TEST_F(DeviceRegistryTest, InstancesDriverValuesAndBinaryEdidReadBack)
{
    const std::wstring guid = L"{4d36e96e-e325-11ce-bfc1-08002be10318}";
    PutText(L"1&2b0c3e&0&UID4352", L"Driver", guid + L"\\0001");
    PutText(L"5&1f3a2d&0&UID0", L"Driver", L"  " + guid + L"\\0003 \t");
    const auto edid = RegistryEdid();
    Put(L"5&1f3a2d&0&UID0\\Device Parameters", L"EDID", REG_BINARY, edid.data(), 128);

    win32::Win32Registry registry;
    const auto instances = registry.ChildGroups(ModelPath());
    ASSERT_EQ(instances.size(), 2u);
    EXPECT_EQ(instances[0], "1&2b0c3e&0&UID4352");
    EXPECT_EQ(instances[1], "5&1f3a2d&0&UID0");

    // Value names are case-insensitive in the registry, as QSettings has them.
    EXPECT_EQ(registry.StringValue(ModelPath() + "\\" + instances[0], "driver"),
              std::optional<std::string>("{4d36e96e-e325-11ce-bfc1-08002be10318}\\0001"));
    EXPECT_EQ(registry.StringValue(ModelPath() + "\\" + instances[1], "driver"),
              std::optional<std::string>("  {4d36e96e-e325-11ce-bfc1-08002be10318}\\0003 \t"));

    const auto read = registry.BinaryValue(ModelPath() + "\\5&1f3a2d&0&UID0\\Device Parameters", "EDID");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, edid);
    // Forward slashes and a doubled separator reach the same key.
    std::string slashed = ModelPath() + "//5&1f3a2d&0&UID0/Device Parameters";
    EXPECT_EQ(registry.BinaryValue(slashed, "EDID"), read);
}

TEST_F(DeviceRegistryTest, MissingKeysValuesAndRootsReadAsNothing)
{
    PutText(L"", L"Present", L"x");
    win32::Win32Registry registry;
    EXPECT_TRUE(registry.ChildGroups(ModelPath() + "\\NoSuchInstance").empty());
    EXPECT_TRUE(registry.ChildGroups(ModelPath()).empty());
    EXPECT_FALSE(registry.StringValue(ModelPath(), "Absent").has_value());
    EXPECT_FALSE(registry.BinaryValue(ModelPath() + "\\NoSuchInstance\\Device Parameters", "EDID").has_value());
    EXPECT_TRUE(registry.ChildGroups("HKEY_NOWHERE\\SYSTEM").empty());
    EXPECT_FALSE(registry.StringValue("", "Present").has_value());
}

TEST_F(DeviceRegistryTest, ValueTypesConvertAsTextWhereTheyCan)
{
    const DWORD number = 1234567;
    const std::uint64_t big = 0x123456789ull;
    const std::uint8_t bytes[3] = {1, 2, 3};
    Put(L"", L"Number", REG_DWORD, &number, sizeof(number));
    Put(L"", L"Big", REG_QWORD, &big, sizeof(big));
    Put(L"", L"Bytes", REG_BINARY, bytes, sizeof(bytes));
    PutText(L"", L"Unicode", L"Gr\u00FC\u00DFe \u65E5\u672C");
    Put(L"", L"Empty", REG_BINARY, nullptr, 0);

    win32::Win32Registry registry;
    EXPECT_EQ(registry.StringValue(ModelPath(), "Number"), std::optional<std::string>("1234567"));
    EXPECT_EQ(registry.StringValue(ModelPath(), "Big"), std::optional<std::string>("4886718345"));
    EXPECT_FALSE(registry.StringValue(ModelPath(), "Bytes").has_value());
    EXPECT_EQ(registry.StringValue(ModelPath(), "Unicode"),
              std::optional<std::string>("Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC"));
    const auto empty = registry.BinaryValue(ModelPath(), "Empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
}

TEST_F(DeviceRegistryTest, LargeValuesAreReadWhole)
{
    std::vector<std::uint8_t> large(70000);
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<std::uint8_t>(i);
    Put(L"", L"Large", REG_BINARY, large.data(), static_cast<DWORD>(large.size()));
    win32::Win32Registry registry;
    EXPECT_EQ(registry.BinaryValue(ModelPath(), "Large"), std::optional<std::vector<std::uint8_t>>(large));
}

TEST(RegistryPath, RootNamesAndSeparators)
{
    win32::RegistryPath path;
    ASSERT_TRUE(win32::ParseRegistryPath("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\ABC1234", path));
    EXPECT_EQ(path.root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(path.subKey, L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\ABC1234");
    ASSERT_TRUE(win32::ParseRegistryPath("hkcu/Software//Orvane/", path));
    EXPECT_EQ(path.root, HKEY_CURRENT_USER);
    EXPECT_EQ(path.subKey, L"Software\\Orvane");
    EXPECT_FALSE(win32::ParseRegistryPath("SYSTEM\\CurrentControlSet", path));
    EXPECT_FALSE(win32::ParseRegistryPath("", path));
}
