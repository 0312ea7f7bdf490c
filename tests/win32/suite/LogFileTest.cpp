// The log is opened in a folder others may write to by a program that may
// run with more rights: only a plain file of its own is ever emptied or
// written.
#include <io.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "Process.h"
#include "platform/win32/LogFile.h"
#include "platform/win32/WinApi.h"

using namespace orvane::platform;

TEST(LogFile, OwnPlainFileIsEmptiedAndWrittenAsText)
{
    // A profile folder outside the ANSI code page.
    const std::wstring folder = orvane::test::ScratchFolder(L"Jos\u00e9");
    for (const std::wstring& path : {folder + L"absent_log.txt", folder + L"old_log.txt"}) {
        if (path == folder + L"old_log.txt") {
            ASSERT_TRUE(orvane::test::WriteUtf8File(path, "the previous run's lines, longer than the new ones\r\n"));
        }
        std::FILE* log = win32::OpenLogForWriting(path);
        ASSERT_NE(log, nullptr);
        DWORD flags = HANDLE_FLAG_INHERIT;
        EXPECT_TRUE(::GetHandleInformation(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(log))), &flags));
        EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u) << "the programs it starts would inherit the log";
        std::fputs("12:00:00:000: Opened log file.\n", log);
        std::fclose(log);
        EXPECT_EQ(orvane::test::ReadUtf8File(path), "12:00:00:000: Opened log file.\r\n");
    }
}

TEST(LogFile, RefusesASymbolicLinkAndLeavesItsTargetIntact)
{
    const std::wstring folder = orvane::test::ScratchFolder(L"symlinked");
    const std::wstring victim = folder + L"victim.txt";
    ASSERT_TRUE(orvane::test::WriteUtf8File(victim, "somebody else's data"));
    const std::wstring linked = folder + L"linked_log.txt";
    // 2: SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE (developer mode).
    ::CreateSymbolicLinkW(linked.c_str(), victim.c_str(), 2);
    const DWORD attributes = ::GetFileAttributesW(linked.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no symbolic link could be made here (Wine 8 reports success without making one)";
    EXPECT_EQ(win32::OpenLogForWriting(linked), nullptr);
    EXPECT_EQ(orvane::test::ReadUtf8File(victim), "somebody else's data");
}

TEST(LogFile, OnlyThisUsersOwnersCount)
{
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE user[512];
    DWORD size = 0;
    const bool read = ::GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    ::CloseHandle(token);
    ASSERT_TRUE(read);
    EXPECT_TRUE(win32::IsThisUsersOwner(reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
    // Nobody runs these tests as the system, and nobody is "Everyone".
    for (const WELL_KNOWN_SID_TYPE other : {WinLocalSystemSid, WinWorldSid, WinLocalServiceSid}) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof sid;
        ASSERT_TRUE(::CreateWellKnownSid(other, nullptr, sid, &sidSize));
        EXPECT_FALSE(win32::IsThisUsersOwner(sid)) << "well-known SID " << other;
    }
    EXPECT_FALSE(win32::IsThisUsersOwner(nullptr));
}

TEST(LogFile, RefusesAHardLinkOrADirectoryAndLeavesThemIntact)
{
    const std::wstring folder = orvane::test::ScratchFolder(L"planted");
    const std::wstring victim = folder + L"victim.txt";
    ASSERT_TRUE(orvane::test::WriteUtf8File(victim, "somebody else's data"));
    const std::wstring linked = folder + L"linked_log.txt";
    ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr));
    EXPECT_EQ(win32::OpenLogForWriting(linked), nullptr);
    EXPECT_EQ(orvane::test::ReadUtf8File(victim), "somebody else's data");

    const std::wstring directory = folder + L"dir_log.txt";
    ASSERT_TRUE(::CreateDirectoryW(directory.c_str(), nullptr));
    EXPECT_EQ(win32::OpenLogForWriting(directory), nullptr);
    const DWORD attributes = ::GetFileAttributesW(directory.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}
