#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/CommandLine.h"
#include "platform/win32/Win32Notices.h"
#include "platform/win32/Win32Platform.h"

#include "platform/win32/WinApi.h"
#include <shellapi.h>

using namespace orvane::platform;

TEST(Notices, TheFourWatchedMessagesBecomeNoticesWithTheirWParam)
{
    const std::pair<std::uint32_t, std::uintptr_t> watched[] = {
        {WM_POWERBROADCAST, PBT_APMSUSPEND}, {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
        {WM_POWERBROADCAST, 0x12},           {WM_SETTINGCHANGE, SPI_SETWORKAREA},
        {WM_SETTINGCHANGE, 0},               {WM_DISPLAYCHANGE, 32},
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL}, {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE}};
    for (const auto& [message, wParam] : watched) {
        const auto notice = win32::NoticeFromMessage(message, wParam);
        ASSERT_TRUE(notice.has_value()) << message;
        EXPECT_EQ(notice->message, message);
        EXPECT_EQ(notice->wParam, wParam);
    }
    for (std::uint32_t other : {0x0001u, 0x000Fu, 0x0010u, 0x0112u, 0x0400u})
        EXPECT_FALSE(win32::NoticeFromMessage(other, PBT_APMSUSPEND).has_value()) << other;
}

TEST(Notices, DeliveredToTheSubscriberOnlyAfterSubscribing)
{
    auto platform = win32::CreateWin32Platform();
    EXPECT_STREQ(platform->Name(), "win32");
    auto& source = dynamic_cast<win32::Win32NoticeSource&>(platform->Notices());
    source.Deliver(SystemNotice{WM_DISPLAYCHANGE, 0});  // nobody listens yet: dropped
    std::vector<SystemNotice> got;
    platform->Notices().Subscribe([&](const SystemNotice& n) { got.push_back(n); });
    source.Deliver(SystemNotice{WM_POWERBROADCAST, PBT_APMSUSPEND});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_POWERBROADCAST);
    EXPECT_EQ(got[0].wParam, PBT_APMSUSPEND);
}

TEST(CommandLine, ArgumentsSurviveTheSystemsOwnSplitting)
{
    const std::vector<std::wstring> args = {L"Orvane.exe", L"http://h/dept-rkwt/Orvane/", L"",
                                            L"two words", L"a\"b", L"ends\\", L"\\\\server\\share\\",
                                            L"x\\\"y", L"tab\there"};
    const std::wstring line = L"prog.exe " + win32::JoinArguments(args);
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    std::vector<std::wstring> back(argv + 1, argv + count);
    ::LocalFree(argv);
    EXPECT_EQ(back, args);
    EXPECT_EQ(win32::QuoteArgument(L"http://h/dept-rkwt/Orvane/"), L"http://h/dept-rkwt/Orvane/");
}
