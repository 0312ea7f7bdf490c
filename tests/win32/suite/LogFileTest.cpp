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
