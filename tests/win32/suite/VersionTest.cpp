#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Process.h"
#include "platform/version/VersionResource.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"
#include <winver.h>

using namespace orvane;
using namespace orvane::platform;

namespace {

std::uint32_t Word(unsigned high, unsigned low) { return (high << 16) | low; }

std::string StringInfo(const std::wstring& path, const wchar_t* name)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<std::uint8_t> block(size);
    if (!size || !::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value)
        return {};
    return win32::Narrow(static_cast<const wchar_t*>(value));
}

// The Windows version API and the portable reader agree on the file.
void ExpectBothReaders(const std::wstring& file, std::uint32_t ms, std::uint32_t ls)
{
    const std::string path = win32::Narrow(test::OwnFolder() + file);
    win32::Win32System system;
    std::uint32_t apiMs = 0, apiLs = 0, portableMs = 1, portableLs = 1;
    ASSERT_EQ(system.ReadFileVersion(path, apiMs, apiLs), VersionRead::Ok) << path;
    ASSERT_EQ(version::ReadFixedFileVersion(path, portableMs, portableLs), VersionRead::Ok) << path;
    EXPECT_EQ(apiMs, ms) << path;
    EXPECT_EQ(apiLs, ls) << path;
    EXPECT_EQ(portableMs, apiMs) << path;
    EXPECT_EQ(portableLs, apiLs) << path;
}

void ProjectVersion(std::uint32_t& ms, std::uint32_t& ls)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(std::sscanf(ORVANE_PROJECT_VERSION, "%u.%u.%u.%u", &a, &b, &c, &d), 4);
    ms = Word(a, b);
    ls = Word(c, d);
}

}  // namespace

TEST(VersionResource, ExecutablesOfThisBuildCarryTheirVersions)
{
    std::uint32_t ms = 0, ls = 0;
    ProjectVersion(ms, ls);
    ExpectBothReaders(L"win32_suite.exe", ms, ls);
    ExpectBothReaders(L"Kestrun.exe", ms, ls);
    ExpectBothReaders(L"win32_probe.exe", Word(4, 3), Word(2, 1));
    EXPECT_EQ(StringInfo(test::OwnFolder() + L"win32_probe.exe", L"FileDescription"), "Orvane Windows layer probe");
}

TEST(VersionResource, CheckedInProgramResourcesHoldTheStatedFields)
{
    std::uint32_t ms = 0, ls = 0;
    ProjectVersion(ms, ls);
    ExpectBothReaders(L"rc_Orvane.exe", ms, ls);
    EXPECT_EQ(StringInfo(test::OwnFolder() + L"rc_Orvane.exe", L"ProductName"), "Orvane");

    ExpectBothReaders(L"rc_Renovo.exe", Word(1, 0), Word(0, 0));
    EXPECT_EQ(StringInfo(test::OwnFolder() + L"rc_Renovo.exe", L"FileDescription"), "Renovo");
    EXPECT_EQ(StringInfo(test::OwnFolder() + L"rc_Renovo.exe", L"ProductName"), "Renovo");
    EXPECT_EQ(StringInfo(test::OwnFolder() + L"rc_Renovo.exe", L"ProductVersion"), "1.0.0.0");
}

TEST(VersionResource, FilesWithoutResourceHaveNoVersionAndOutputsStay)
{
    const std::wstring path = test::ScratchFolder(L"version") + L"plain.txt";
    {
        win32::UniqueHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.Get(), "MZ but nothing more", 19, &written, nullptr));
    }
    win32::Win32System system;
    std::uint32_t ms = 7, ls = 9;
    EXPECT_EQ(system.ReadFileVersion(win32::Narrow(path), ms, ls), VersionRead::NoVersionInfo);
    EXPECT_EQ(system.ReadFileVersion(win32::Narrow(path) + ".absent", ms, ls), VersionRead::NoVersionInfo);
    EXPECT_EQ(version::ReadFixedFileVersion(win32::Narrow(path), ms, ls), VersionRead::NoVersionInfo);
    EXPECT_EQ(ms, 7u);
    EXPECT_EQ(ls, 9u);
}
