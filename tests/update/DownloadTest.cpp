// DownloadFile against a real HTTP server on 127.0.0.1.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "common/Download.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

constexpr qint64 kCap = 1024 * 1024;

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = MakeScratchDir("site");
        local = MakeScratchDir("local");
        WriteFile(site + "/file.bin", payload);
        server = std::make_unique<SiteServer>(site);
        ASSERT_TRUE(server->Started());
        target = local + "/file.bin";
    }
    // Only the target: no staged copy left behind.
    QStringList LocalFiles() const { return QDir(local).entryList(QDir::Files | QDir::Hidden); }

    QByteArray payload = QByteArray(300 * 1024, 'p') + "end";
    QString site;
    QString local;
    QString target;
    std::unique_ptr<SiteServer> server;
};

TEST_F(DownloadTest, SuccessReplacesTheWholeFile)
{
    WriteFile(target, QByteArray(2 * 1024 * 1024, 'o'));  // longer than the new body
    LogCapture log;
    EXPECT_TRUE(DownloadFile(server->Url("file.bin"), target, kCap));
    EXPECT_EQ(ReadFile(target), payload);
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.Contains("Download..."));
    EXPECT_TRUE(log.Contains("ok"));

    WriteFile(site + "/empty", "");
    EXPECT_TRUE(DownloadFile(server->Url("empty"), local + "/empty", kCap));
    EXPECT_TRUE(QFileInfo(local + "/empty").exists());
    // Redirects are not followed: only the site itself answers.
    EXPECT_FALSE(DownloadFile(server->Url("redirect/file.bin"), local + "/redirected", kCap));
    EXPECT_FALSE(QFileInfo::exists(local + "/redirected"));
}

TEST_F(DownloadTest, FailuresLeaveTheOldFile)
{
    WriteFile(target, "old copy");
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("status/404/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("missing.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("status/500/file.bin"), target, kCap));
    // 2xx other than 200 is no complete file either.
    EXPECT_FALSE(DownloadFile(server->Url("status/204/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("short/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(QStringLiteral("http://127.0.0.1:%1/file.bin").arg(UnusedPort()), target, kCap));
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    EXPECT_FALSE(log.Contains("ok"));
}

TEST_F(DownloadTest, StalledTransferFailsAfterTheLimit)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "800");
    WriteFile(target, "old copy");
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(DownloadStallLimitMs(), 60000);
}

TEST_F(DownloadTest, UnwritableTargetIsAFailure)
{
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/no/such/folder/file.bin", kCap));
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    // A folder where the file should go.
    QDir().mkdir(local + "/folder");
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/folder", kCap));
    EXPECT_TRUE(QFileInfo(local + "/folder").isDir());
}

TEST_F(DownloadTest, CancelAbortsAndLaterCallsFailAtOnce)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    DownloadCancel cancel;
    QTimer::singleShot(300, &cancel, &DownloadCancel::Cancel);
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap, &cancel));
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), target, kCap, &cancel));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}

TEST_F(DownloadTest, HostileBodiesAreCutOffAndLeaveNothing)
{
    WriteFile(target, "old copy");
    LogCapture log;
    // Announced above the cap: refused from the headers.
    EXPECT_FALSE(DownloadFile(server->Url("huge/file.bin"), target, kCap));
    EXPECT_TRUE(log.Contains(QStringLiteral("Failure \"larger than the limit of %1 bytes\"").arg(kCap)));
    // Chunked without end: cut off at the cap.
    EXPECT_FALSE(DownloadFile(server->Url("endless/file.bin"), target, kCap));
    // One byte at a time, never stalling: given up at the overall limit
    // (800 ms stall limit + 1 MiB at 1 MiB/s).
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "800");
    qputenv("ORVANE_DOWNLOAD_MIN_RATE", "1048576");
    EXPECT_EQ(DownloadTimeLimitMs(kCap), 1800);
    EXPECT_FALSE(DownloadFile(server->Url("trickle/100/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    qunsetenv("ORVANE_DOWNLOAD_MIN_RATE");
    EXPECT_TRUE(log.Contains("Failure \"not complete after 1800 ms\""));
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
}

TEST_F(DownloadTest, ApplicationQuitMidTransferIsNotASuccess)
{
    // Quitting the application ends every event loop of the thread, the
    // download's local one too, before the body has arrived.
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    QTimer::singleShot(300, []() { QCoreApplication::exit(0); });
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}
