#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Process.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"

using namespace orvane;
using namespace orvane::platform;
using platform::win32::Narrow;
using platform::win32::UniqueHandle;

namespace {

std::wstring Probe() { return test::OwnFolder() + L"win32_probe.exe"; }

std::wstring MutexName(const wchar_t* tag)
{
    return std::wstring(L"OrvaneTest-") + tag + L"-" + std::to_wstring(::GetCurrentProcessId());
}

void CreateEmptyFile(const std::wstring& path)
{
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
}

void FileTimes(const std::wstring& path, FILETIME& created, FILETIME& accessed, FILETIME& written)
{
    UniqueHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
    ASSERT_TRUE(::GetFileTime(file.Get(), &created, &accessed, &written));
}

std::uint64_t Ticks(const FILETIME& t) { return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstHoldsTheMutex)
{
    const std::wstring name = MutexName(L"mutex");
    EXPECT_EQ(test::RunAndWait(Probe(), {L"mutex", name}), 10);  // free: the probe gets it and ends
    {
        win32::Win32System first;
        ASSERT_EQ(first.AcquireSingleInstance(Narrow(name)), InstanceLock::Acquired);
        EXPECT_EQ(test::RunAndWait(Probe(), {L"mutex", name}), 11);
        win32::Win32System again;
        EXPECT_EQ(again.AcquireSingleInstance(Narrow(name)), InstanceLock::AlreadyRunning);
    }
    EXPECT_EQ(test::RunAndWait(Probe(), {L"mutex", name}), 10);  // released with its holder
}

TEST(SingleInstance, NameThatCannotBeAMutexFails)
{
    win32::Win32System system;
    // A namespace that does not exist cannot hold the mutex.
    EXPECT_EQ(system.AcquireSingleInstance("NoSuchNamespace\\Orvane"), InstanceLock::Failed);
}

// Wine starts no program from a path beyond 260 characters, so the growing
// buffer is exercised on Windows only; here the path must come back whole.
TEST(ModuleFileName, IsTheRunningExecutable)
{
    win32::Win32System system;
    EXPECT_EQ(system.ModuleFileName(), Narrow(test::OwnFolder()) + "win32_suite.exe");
    const std::wstring out = test::ScratchFolder(L"module") + L"module.txt";
    ASSERT_EQ(test::RunAndWait(Probe(), {L"module", out}), 0);
    EXPECT_EQ(test::ReadUtf8File(out), Narrow(Probe()));
}

// GetModuleFileNameW's truncation: as much as fits, terminated, and the
// buffer size as the result.
TEST(ModuleFileName, GrowsItsBufferUntilALongPathFits)
{
    for (std::size_t length : {std::size_t(10), std::size_t(259), std::size_t(260), std::size_t(1000),
                               std::size_t(32767)}) {
        const std::wstring path = L"C:\\" + std::wstring(length - 3, L'x');
        int calls = 0;
        const std::wstring got = win32::GrowingModuleFileName([&](wchar_t* buffer, std::uint32_t size) {
            ++calls;
            const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
            path.copy(buffer, copied);
            buffer[copied] = L'\0';
            return static_cast<std::uint32_t>(path.size() < size ? path.size() : size);
        });
        EXPECT_EQ(got, path) << length;
        EXPECT_LE(calls, 8) << length;
    }
    EXPECT_EQ(win32::GrowingModuleFileName([](wchar_t*, std::uint32_t) { return 0u; }), L"");
    EXPECT_EQ(win32::GrowingModuleFileName([](wchar_t*, std::uint32_t size) { return size; }), L"");
}

TEST(StartElevated, StartsTheProgramWithEachArgumentIntact)
{
    win32::Win32System system;
    const std::wstring out = test::ScratchFolder(L"elevated") + L"args.txt";
    const std::string url = "http://updates.example.invalid/dept-rkwt/Orvane/";
    ASSERT_TRUE(system.StartElevated(Narrow(Probe()), {"args", Narrow(out), "Orvane.exe", url, "ServerManifest.xml",
                                                        "with blank", "quote\"d", "trail\\"},
                                     SW_HIDE));
    // The start is not waited for: wait for the probe's file, with a deadline.
    const std::string expected = "Orvane.exe\n" + url + "\nServerManifest.xml\nwith blank\nquote\"d\ntrail\\\n";
    std::string got;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000; ::Sleep(50)) {
        got = test::ReadUtf8File(out);
        if (got == expected)
            break;
    }
    EXPECT_EQ(got, expected);
}

TEST(StartElevated, MissingProgramFails)
{
    win32::Win32System system;
    EXPECT_FALSE(system.StartElevated(Narrow(test::OwnFolder()) + "NoSuchProgram.exe", {"1"}, SW_HIDE));
}

TEST(SetFileLastWriteTime, LeavesExactlyTheRequestedTime)
{
    const std::wstring path = test::ScratchFolder(L"time") + L"stamped.bin";
    CreateEmptyFile(path);
    // 2021-03-04 05:06:07.1234567 UTC, with every tick significant.
    const std::uint64_t stamp = 132593079671234567ull;
    win32::Win32System system;
    ASSERT_TRUE(system.SetFileLastWriteTime(Narrow(path), stamp));
    FILETIME created, accessed, written;
    FileTimes(path, created, accessed, written);
    EXPECT_EQ(Ticks(written), stamp);

    ASSERT_TRUE(system.SetFileLastWriteTime(Narrow(path), 116444736000000000ull));  // 1970-01-01
    FileTimes(path, created, accessed, written);
    EXPECT_EQ(Ticks(written), 116444736000000000ull);
}

TEST(SetFileLastWriteTime, MissingOrLockedFilesFail)
{
    win32::Win32System system;
    const std::wstring folder = test::ScratchFolder(L"locked");
    EXPECT_FALSE(system.SetFileLastWriteTime(Narrow(folder) + "absent.bin", 132593079671234567ull));

    const std::wstring path = folder + L"locked.bin";
    UniqueHandle holder(
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr));
    ASSERT_TRUE(holder.Valid());
    EXPECT_FALSE(system.SetFileLastWriteTime(Narrow(path), 132593079671234567ull));
}
