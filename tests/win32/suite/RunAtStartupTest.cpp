#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Process.h"
#include "platform/win32/RunKey.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"

using namespace orvane;
using platform::win32::kRunKey;
using platform::win32::kRunValueName;

namespace {

std::optional<std::wstring> RunValue()
{
    platform::win32::UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), kRunValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    ::RegQueryValueExW(key.Get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    return text.substr(0, text.find(L'\0'));
}

void SetRunValue(const std::wstring& text)
{
    ASSERT_TRUE(platform::win32::WriteRunValue(HKEY_LOCAL_MACHINE, text));
}

int Kestrun(const std::vector<std::wstring>& args)
{
    return test::RunAndWait(test::OwnFolder() + L"Kestrun.exe", args);
}

class RunAtStartup : public ::testing::Test {
protected:
    void SetUp() override { platform::win32::DeleteRunValue(HKEY_LOCAL_MACHINE); }
    void TearDown() override { platform::win32::DeleteRunValue(HKEY_LOCAL_MACHINE); }
    platform::win32::Win32System system_;
};

}  // namespace

TEST_F(RunAtStartup, KestrunAddsAndDeletesTheValueThatIsRunAtStartupReads)
{
    EXPECT_FALSE(system_.IsRunAtStartup());
    ASSERT_EQ(Kestrun({L"1"}), 0);
    EXPECT_EQ(RunValue(), std::optional<std::wstring>(L"\"" + test::OwnFolder() + L"Orvane.exe\""));
    EXPECT_TRUE(system_.IsRunAtStartup());

    ASSERT_EQ(Kestrun({L"1"}), 0);  // adding twice leaves one, same value
    EXPECT_TRUE(system_.IsRunAtStartup());

    ASSERT_EQ(Kestrun({L"0"}), 0);
    EXPECT_FALSE(RunValue().has_value());
    EXPECT_FALSE(system_.IsRunAtStartup());
    EXPECT_EQ(Kestrun({L"0"}), 0);  // already absent is still success
}

TEST_F(RunAtStartup, KestrunRefusesAnyOtherArgumentsAndChangesNothing)
{
    SetRunValue(L"keep me");
    for (const auto& args : std::vector<std::vector<std::wstring>>{
             {}, {L"2"}, {L""}, {L"01"}, {L"true"}, {L"1", L"0"}, {L"0", L"0"}}) {
        EXPECT_NE(Kestrun(args), 0);
        EXPECT_EQ(RunValue(), std::optional<std::wstring>(L"keep me"));
    }
}

TEST_F(RunAtStartup, EmptyValueIsOffAndAnyTextIsOn)
{
    SetRunValue(L"");
    EXPECT_FALSE(system_.IsRunAtStartup());
    SetRunValue(L"x");
    EXPECT_TRUE(system_.IsRunAtStartup());
    // Longer than the 260-character buffer: still an entry.
    SetRunValue(L"\"C:\\" + std::wstring(400, L'a') + L"\\Orvane.exe\"");
    EXPECT_TRUE(system_.IsRunAtStartup());
}

TEST(RunEntry, CommandIsTheQuotedOrvaneBesideTheTool)
{
    EXPECT_EQ(platform::win32::RunCommandFor(L"C:\\Program Files\\Orvane\\Kestrun.exe"),
              L"\"C:\\Program Files\\Orvane\\Orvane.exe\"");
    EXPECT_EQ(platform::win32::RunCommandFor(L"Z:/x/Kestrun.exe"), L"\"Z:/x/Orvane.exe\"");
}
