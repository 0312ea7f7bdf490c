// The Windows build of the programs (ORVANE_WINDOWS_STAGE, a Windows path to
// its stage folder, set by run-wine-suite.sh when that build exists): what
// the update check compares and what Windows reads from the executables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/version/VersionResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"

using namespace orvane;
using namespace orvane::platform;

namespace {

std::string Stage()
{
    const char* stage = std::getenv("ORVANE_WINDOWS_STAGE");
    return stage ? std::string(stage) + "\\" : std::string();
}

std::uint32_t Word(unsigned high, unsigned low) { return (high << 16) | low; }

void ExpectVersion(const std::string& exe, std::uint32_t ms, std::uint32_t ls)
{
    win32::Win32System system;
    std::uint32_t apiMs = 0, apiLs = 0, portableMs = 0, portableLs = 0;
    ASSERT_EQ(system.ReadFileVersion(Stage() + exe, apiMs, apiLs), VersionRead::Ok) << exe;
    ASSERT_EQ(version::ReadFixedFileVersion(Stage() + exe, portableMs, portableLs), VersionRead::Ok) << exe;
    EXPECT_EQ(apiMs, ms) << exe;
    EXPECT_EQ(apiLs, ls) << exe;
    EXPECT_EQ(portableMs, ms) << exe;
    EXPECT_EQ(portableLs, ls) << exe;
}

// The PE header's bytes of the program; empty when unreadable.
std::vector<char> Head(const std::string& exe)
{
    std::vector<char> head(4096);
    HANDLE file = ::CreateFileW(win32::Widen(Stage() + exe).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD read = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && ::ReadFile(file, head.data(), DWORD(head.size()), &read, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    std::uint32_t peOffset = 0;
    if (ok && read >= 0x40)
        std::memcpy(&peOffset, head.data() + 0x3C, 4);
    if (!ok || read < 0x40 || std::size_t(peOffset) + 24 + 70 > read)
        return {};
    head.erase(head.begin(), head.begin() + peOffset);
    return head;
}

std::uint16_t HeaderWord(const std::vector<char>& head, std::size_t at)
{
    std::uint16_t word = 0;
    if (head.size() >= at + 2)
        std::memcpy(&word, head.data() + at, 2);
    return word;
}

// IMAGE_OPTIONAL_HEADER.Subsystem, at the same place in PE32 and PE32+.
int Subsystem(const std::string& exe)
{
    return HeaderWord(Head(exe), 24 + 68);
}

// IMAGE_FILE_HEADER.Machine.
int Machine(const std::string& exe)
{
    return HeaderWord(Head(exe), 4);
}

// The resource's bytes, read without running the program.
std::string Resource(const std::string& exe, const wchar_t* name, const wchar_t* type)
{
    HMODULE module = ::LoadLibraryExW(win32::Widen(Stage() + exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return {};
    std::string bytes;
    if (HRSRC found = ::FindResourceW(module, name, type)) {
        const void* data = ::LockResource(::LoadResource(module, found));
        if (data)
            bytes.assign(static_cast<const char*>(data), ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return bytes;
}

class WindowsPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Stage().empty())
            GTEST_SKIP() << "no Windows build of the programs (ORVANE_WINDOWS_STAGE is not set)";
    }
};

}  // namespace

TEST_F(WindowsPrograms, CarryTheVersionsTheUpdateCheckCompares)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(std::sscanf(ORVANE_PROJECT_VERSION, "%u.%u.%u.%u", &a, &b, &c, &d), 4);
    ExpectVersion("Orvane.exe", Word(a, b), Word(c, d));
    ExpectVersion("Kestrun.exe", Word(a, b), Word(c, d));
    // The updater has a version of its own.
    ExpectVersion("Renovo.exe", Word(1, 0), Word(0, 0));
}

TEST_F(WindowsPrograms, AreGuiProgramsOfTheBuiltWidthWithIconAndManifest)
{
    constexpr int kGuiSubsystem = 2;  // IMAGE_SUBSYSTEM_WINDOWS_GUI
    // The stage's width (run-wine-suite.sh also reads the 32-bit programs
    // from the 64-bit suite where 32-bit code cannot run).
    const char* width = std::getenv("ORVANE_WINDOWS_WIDTH");
    const int machine = width && std::strcmp(width, "i686") == 0 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
    for (const char* exe : {"Orvane.exe", "Renovo.exe", "Kestrun.exe"}) {
        EXPECT_EQ(Subsystem(exe), kGuiSubsystem) << exe;
        EXPECT_EQ(Machine(exe), machine) << exe;
    }
    EXPECT_FALSE(Resource("Orvane.exe", L"IDI_ICON1", RT_GROUP_ICON).empty());
    const std::string manifest = Resource("Renovo.exe", MAKEINTRESOURCEW(1), RT_MANIFEST);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
}
